'use strict';
// The language server's parts on their own: a document's positions through random edits, the
// blocks a document is checked in, and document URIs to paths (Windows drive letters included,
// tested on every platform, and against a real file on this one).
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { TextDocument } = require('../../lib/lsp/document');
const { blockStarts } = require('../../lib/lsp/blocks');
const { DocumentCheck } = require('../../lib/lsp/document-check');
const { DiagnosticsWriter } = require('../../lib/lsp/diagnostics');
const { DocumentLayer } = require('../../lib/lsp/document-layer');
const { uriToPath } = require('../../lib/lsp/uri');
const { readSettings } = require('../../lib/lsp/settings');
const { proseWords } = require('../../lib/formats');
const { random } = require('./helpers');

// The protocol's lines, the plain way: split at CRLF, CR or LF.
const linesOf = (text) => text.split(/\r\n|\r|\n/);
function offsetOf(text, { line, character }) {
  const lines = linesOf(text);
  const breaks = text.match(/\r\n|\r|\n/g) ?? [];
  if (line >= lines.length) return text.length;
  let offset = 0;
  for (let i = 0; i < line; i++) offset += lines[i].length + breaks[i].length;
  return offset + Math.min(character, lines[line].length);
}

suite('language server: a document through edits', () => {
  test('random edits over CRLF, CR, LF, astral and combining characters keep positions right', () => {
    const pieces = ['a', 'wrod ', '\n', '\r\n', '\r', '😀', 'e\u0301', ' ', 'é'];
    for (const seed of [1, 2, 3, 4, 5, 6, 7, 8]) {
      const next = random(seed);
      const piece = () => pieces[Math.floor(next() * pieces.length)];
      let text = Array.from({ length: 30 }, piece).join('');
      const document = new TextDocument('file:///x', 'plaintext', 1, text);
      for (let step = 0; step < 200; step++) {
        const lines = linesOf(text);
        const position = () => {
          const line = Math.floor(next() * (lines.length + 1));
          return { line, character: Math.floor(next() * ((lines[line] ?? '').length + 2)) };
        };
        let start = position();
        let end = position();
        if (offsetOf(text, end) < offsetOf(text, start)) [start, end] = [end, start];
        const inserted = Array.from({ length: Math.floor(next() * 4) }, piece).join('');
        document.update([{ range: { start, end }, text: inserted }], step + 2);
        text = text.slice(0, offsetOf(text, start)) + inserted + text.slice(offsetOf(text, end));
        const where = `seed ${seed}, step ${step}`;
        assert.equal(document.text, text, where);
        assert.equal(document.lineStarts.length, linesOf(text).length, where);
        for (let line = 0; line < linesOf(text).length; line++) {
          const offset = offsetOf(text, { line, character: 0 });
          assert.equal(document.lineStarts[line], offset, where);
          assert.deepEqual(document.positionAt(offset), { line, character: 0 }, where);
        }
      }
      assert.equal(document.version, 201);
    }
  });
  test('a long document (kept in chunks) through random edits, some across chunks, reads back right', () => {
    const next = random(11);
    const pieces = ['word ', '\r\n', '\n', '\r', '😀', 'é'];
    let text = Array.from({ length: 40000 }, () => pieces[Math.floor(next() * pieces.length)]).join('');
    const document = new TextDocument('file:///x', 'markdown', 1, text);
    for (let step = 0; step < 300; step++) {
      const start = Math.floor(next() * text.length);
      // Mostly a keystroke; now and then a cut or paste of up to 40,000 units.
      const end = Math.min(text.length, start + (step % 10 === 0 ? Math.floor(next() * 40000) : Math.floor(next() * 3)));
      const inserted = step % 15 === 0 ? text.slice(0, Math.floor(next() * 40000)) : pieces[Math.floor(next() * pieces.length)];
      // (An offset between CR and LF has no position: it means the line's end.)
      const range = { start: document.positionAt(start), end: document.positionAt(end) };
      const [from0, to0] = [document.offsetAt(range.start), document.offsetAt(range.end)];
      document.update([{ range, text: inserted }], step + 2);
      text = text.slice(0, from0) + inserted + text.slice(to0);
      const from = Math.floor(next() * text.length);
      const where = `step ${step}`;
      assert.equal(document.length, text.length, where);
      assert.equal(document.slice(from, from + 50000), text.slice(from, from + 50000), where);
      if (step % 30 === 0) {
        assert.deepEqual(document.lineStarts, new TextDocument('', '', 0, text).lineStarts, where);
        assert.equal(document.text, text, where);
      }
    }
  });
});

suite('language server: the blocks a document is checked in', () => {
  const rows = [
    ['plain', 'one two\n\nthree\n\n\nfour', ['one two\n\n', 'three\n\n\n', 'four']],
    // Indentation means nothing outside Markdown; in Markdown, only inside a list.
    ['plain', 'one\n\n  indented\n\nnext', ['one\n\n', '  indented\n\n', 'next']],
    ['code:c', '  // one\n\n  // two', ['  // one\n\n', '  // two']],
    ['markdown', ' one\n two\n\n three\n\n    code\n\n\tcode', [' one\n two\n\n', ' three\n\n', '    code\n\n', '\tcode']],
    ['markdown', '- item\n\n    more of it\n\n  and more\n\nafter\n\n    code', ['- item\n\n    more of it\n\n  and more\n\n', 'after\n\n', '    code']],
    ['markdown', ' 1. item\n\n    more\n\n- next\nlazy\n\n    more', [' 1. item\n\n    more\n\n', '- next\nlazy\n\n    more']],
    ['plain', 'one\r\n\r\ntwo\r\rthree', ['one\r\n\r\n', 'two\r\r', 'three']],
    ['markdown', '# Title\n\n```js\nconst a = 1;\n\nwrod();\n```\n\nafter', ['# Title\n\n', '```js\nconst a = 1;\n\nwrod();\n```\n\n', 'after']],
    ['markdown', '````\n```\n\n````\n\nafter', ['````\n```\n\n````\n\n', 'after']],
    ['markdown', '---\ntitle: x\n\ntags: y\n---\n\ntext', ['---\ntitle: x\n\ntags: y\n---\n\n', 'text']],
    ['markdown', 'a <!-- one\n\ntwo --> b\n\nc', ['a <!-- one\n\ntwo --> b\n\n', 'c']],
    ['markdown', 'a\n\n<pre>\nx\n\ny\n</pre>\n\nb', ['a\n\n', '<pre>\nx\n\ny\n</pre>\n\n', 'b']],
    ['markdown', 'unclosed\n\n```\ncode\n\nmore', ['unclosed\n\n', '```\ncode\n\nmore']],
    ['html', '<p>a</p>\n\n<script>\nx\n\ny\n</script>\n\n<p>b</p>', ['<p>a</p>\n\n', '<script>\nx\n\ny\n</script>\n\n', '<p>b</p>']],
    ['code:c', '/* a\n\nb */ x /* c */\n\nint y;\n/* open\n\nz', ['/* a\n\nb */ x /* c */\n\n', 'int y;\n/* open\n\nz']],
    ['code:c', 'f() {\n  a();\n\n  b();\n}\n\ng()', ['f() {\n  a();\n\n', '  b();\n}\n\n', 'g()']],
    ['code:hash', 'def f():\n"""doc\n\nmore"""\n\nx = 1', ['def f():\n"""doc\n\nmore"""\n\n', 'x = 1']],
    ['code:hash', '=pod\n\ntext\n\n=cut\n\nprint', ['=pod\n\ntext\n\n=cut\n\n', 'print']],
    // A format without rules of its own gets every rule.
    ['code:lua', '/* x\n\n*/\n\n```\n\n```\n\nend', ['/* x\n\n*/\n\n', '```\n\n```\n\n', 'end']],
  ];
  for (const [format, text, blocks] of rows) {
    test(`${format}: ${JSON.stringify(text).slice(0, 50)}`, () => {
      const starts = blockStarts(new TextDocument('file:///x', 'plaintext', 1, text), format);
      assert.deepEqual(starts.map((start, i) => text.slice(start, starts[i + 1] ?? text.length)), blocks);
    });
  }
});

suite('language server: re-checking after edits', () => {
  // A service whose "misspellings" are the words starting with q, in any context: whatever
  // the blocks, a right re-check finds what a check of the whole finds.
  const service = {
    async check(text) {
      return [...text.matchAll(/\bq\w*/g)].map((m) => ({ start: m.index, end: m.index + m[0].length, word: m[0] }));
    },
  };

  test('random edits: the blocks and misspellings equal those of a check from scratch', async () => {
    const pieces = ['qa ', 'word ', '\n', '\n\n', '\r\n\r\n', '  ', '```\n', '<!-- ', ' -->', '---\n', 'é😀 '];
    for (const format of ['markdown', 'plain', 'code:c']) {
      const next = random(format.length);
      const piece = () => pieces[Math.floor(next() * pieces.length)];
      const document = new TextDocument('file:///x', format, 1, Array.from({ length: 400 }, piece).join(''));
      const check = new DocumentCheck();
      await check.run(document, service, format);
      for (let step = 0; step < 150; step++) {
        const start = Math.floor(next() * (document.length + 1));
        const end = Math.min(document.length, start + Math.floor(next() * (step % 7 === 0 ? 200 : 3)));
        const changes = [{ range: { start: document.positionAt(start), end: document.positionAt(end) }, text: Array.from({ length: Math.floor(next() * 3) }, piece).join('') }];
        check.edited(document.update(changes, step + 2));
        if (next() < 0.3) continue; // several edits before the next check
        const { misspellings } = await check.run(document, service, format);
        const where = `${format}, step ${step}`;
        assert.deepEqual(check.base.starts, blockStarts(document, format), where);
        assert.deepEqual(misspellings, await service.check(document.text), where);
      }
    }
  });
});

suite('language server: blocks judged like the whole document', () => {
  // Paragraphs, indented lines, lists and their continuations, code and quotes, joined with
  // blank lines or not: the words the Markdown format judges, block by block, are those it
  // judges in the whole document, also after edits re-find the blocks around them.
  const pieces = ['Some qa prose.', ' An indented qa line.', '  Two qa spaces.', '   Three qa spaces.', '    indented qcode', '\tqtabbed code', '- a qitem',
    '  continued qitem', '1. qnumbered', '    qfour in a list', '      qsix', '```\nqfenced\n\nqmore\n```', '> quoted qa', '# Qheading',
    '<!-- qcomment\n\nqstill -->', ' - qitem indented', '* * *', 'lazy qline\ncontinues'];
  const judged = async (text) => proseWords('markdown', text).filter((w) => w.word.startsWith('q'));
  const service = { check: async (text) => judged(text) };

  test('random Markdown documents and edits', async () => {
    for (const seed of [1, 2, 3, 4, 5, 6]) {
      const next = random(seed);
      const piece = () => pieces[Math.floor(next() * pieces.length)] + (next() < 0.7 ? '\n\n' : '\n');
      const document = new TextDocument('file:///x', 'markdown', 1, Array.from({ length: 60 }, piece).join(''));
      const check = new DocumentCheck();
      await check.run(document, service, 'markdown');
      for (let step = 0; step < 60; step++) {
        // A piece typed somewhere, or a line's start deleted (a block may stop or start there).
        const { line } = document.positionAt(Math.floor(next() * document.length));
        const start = { line, character: 0 };
        const change = next() < 0.5 ? { range: { start, end: start }, text: piece() } : { range: { start, end: { line, character: 1 + Math.floor(next() * 4) } }, text: '' };
        check.edited(document.update([change], step + 2));
        const { misspellings } = await check.run(document, service, 'markdown');
        const where = `seed ${seed}, step ${step}`;
        assert.deepEqual(check.base.starts, blockStarts(document, 'markdown'), where);
        assert.deepEqual(misspellings.map(({ start, end, word }) => ({ start, end, word })), await judged(document.text), where);
      }
    }
  });
});

suite('language server: the whole document\'s directives and names from kept blocks', () => {
  test('random Markdown documents and edits: the same known words, skipped offsets and problems as from the whole text', async () => {
    const pieces = ['Some qa prose.', '<!-- spellshell:ignore qb -->', '<!-- spellshell:disable -->', '<!-- spellshell:enable -->', '<!-- spellshell:nonsense -->',
      '```js\nconst qcode = qvalue;\n```', 'Inline `qinline` code.', 'spellshell:ignore qc', '- a qitem', '    indented qcode'];
    const service = { check: async () => [] };
    const words = ['qa', 'qb', 'qc', 'qcode', 'qvalue', 'qinline', 'qitem'];
    const viewOf = (layer, length) => ({
      known: words.filter((w) => layer.known(w)),
      skipped: Array.from({ length }, (_, i) => i).filter((i) => layer.skipped(i)),
      problems: layer.problems,
    });
    for (const seed of [1, 2, 3, 4]) {
      const next = random(seed);
      const piece = () => pieces[Math.floor(next() * pieces.length)] + (next() < 0.7 ? '\n\n' : '\n');
      // Over 64 blocks: the first view is the whole text's, dealt out to the blocks.
      const document = new TextDocument('file:///x', 'markdown', 1, Array.from({ length: 160 }, piece).join(''));
      const check = new DocumentCheck();
      const layer = new DocumentLayer();
      await check.run(document, service, 'markdown');
      for (let step = 0; step < 25; step++) {
        const { line } = document.positionAt(Math.floor(next() * document.length));
        const start = { line, character: 0 };
        check.edited(document.update([{ range: { start, end: next() < 0.5 ? start : { line, character: 3 } }, text: next() < 0.5 ? piece() : '' }], step + 2));
        const result = await check.run(document, service, 'markdown');
        const where = `seed ${seed}, step ${step}`;
        assert.deepEqual(viewOf(layer.of(document, 'markdown', result), document.length), viewOf(new DocumentLayer().of(document, 'markdown'), document.length), where);
      }
    }
  });
});

suite('language server: diagnostics written from kept pieces', () => {
  test('random edits of a document of hundreds of blocks publish what a writer from scratch would', async () => {
    const service = { check: async (text) => [...text.matchAll(/\bq\w*/g)].map((m) => ({ start: m.index, end: m.index + m[0].length, word: m[0] })) };
    const next = random(5);
    const pieces = ['qa ', 'word ', 'qé😀 ', '\n', '\n\n', '\r\n\r\n'];
    const piece = () => pieces[Math.floor(next() * pieces.length)];
    const document = new TextDocument('file:///x', 'plaintext', 1, Array.from({ length: 3000 }, piece).join(''));
    const check = new DocumentCheck();
    const writer = new DiagnosticsWriter();
    let hidden = '';
    for (let step = 0; step < 120; step++) {
      const start = Math.floor(next() * (document.length + 1));
      const end = Math.min(document.length, start + Math.floor(next() * (step % 9 === 0 ? 300 : 3)));
      check.edited(document.update([{ range: { start: document.positionAt(start), end: document.positionAt(end) }, text: piece() }], step + 2));
      const result = await check.run(document, service, 'plain');
      if (step % 20 === 19) hidden = hidden === '' ? 'qa' : ''; // as when a word is ignored, then shown again
      const options = { severity: 1 + (step % 40 < 20 ? 0 : 2), shown: (word) => word !== hidden, key: `${step % 40 < 20} ${hidden}` };
      assert.equal(writer.paramsJson(document, result, options), new DiagnosticsWriter().paramsJson(document, result, options), `step ${step}`);
    }
    assert.ok(check.base.starts.length > 3 * 64, `${check.base.starts.length} blocks`);
  });
});

suite('language server: settings', () => {
  const home = os.homedir();
  const rows = [
    // [given, what differs from the defaults, warnings]
    [undefined, {}, []],
    [{ spellshell: { languages: 'en_US, de' } }, { languages: ['en_US', 'de'] }, []],
    [{ languages: ['fr'], severity: 'Warning', suggestions: 0 }, { languages: ['fr'], severity: 2, suggestions: 0 }, []],
    [{ personalDictionary: null, severity: 4 }, { personalDictionary: null, severity: 4 }, []],
    [{ personalDictionary: '' }, { personalDictionary: null }, []],
    [{ personalDictionary: '~/words.txt', dictionaryDirs: ['~/dicts'] }, { personalDictionary: path.join(home, 'words.txt'), dictionaryDirs: [path.join(home, 'dicts')] }, []],
    [{ formats: { plaintext: 'markdown', x: 'nope' } }, { formats: { plaintext: 'markdown' } }, [`spellshell.formats.x: "nope" is not a format (${require('../../lib/formats').FORMATS.join(', ')}); it is left out`]],
    [{ languages: [], severity: 7, suggestions: -1, dictionaryDirs: 'dir', personalDictionary: 3 }, {}, [
      'spellshell.languages must be a non-empty array of language names; it is left out',
      'spellshell.personalDictionary must be a file path, or null; it is left out',
      'spellshell.dictionaryDirs must be an array of folders; it is left out',
      'spellshell.severity must be "error", "warning", "information" or "hint"; it is left out',
      'spellshell.suggestions must be a whole number; it is left out',
    ]],
  ];
  const defaults = readSettings(undefined).settings;
  for (const [given, differs, warnings] of rows) {
    test(JSON.stringify(given) ?? 'nothing', () => {
      assert.deepEqual(readSettings(given), { settings: { ...defaults, ...differs }, warnings });
    });
  }
});

suite('language server: document URIs to paths', () => {
  const rows = [
    // [uri, on Windows, elsewhere]
    ['file:///c%3A/Users/me/notes%20today.md', 'C:\\Users\\me\\notes today.md', '/c:/Users/me/notes today.md'],
    ['file:///C:/x/y.txt', 'C:\\x\\y.txt', '/C:/x/y.txt'],
    ['file:///d%3A', 'D:\\', '/d:'],
    ['file://server/share/a.md', '\\\\server\\share\\a.md', null],
    ['file:///home/me/%E2%82%AC.md', null, '/home/me/€.md'],
    ['file://localhost/home/me/a.md', null, '/home/me/a.md'],
    ['file:///tmp/a.md?query#part', null, '/tmp/a.md'],
    ['untitled:Untitled-1', null, null],
    ['file:///tmp/%E2%82', null, null],
    ['file:///tmp/a%00b', null, null],
  ];
  for (const [uri, windows, posix] of rows) {
    test(uri, () => {
      assert.equal(uriToPath(uri, 'win32'), windows);
      assert.equal(uriToPath(uri, 'linux'), posix);
    });
  }

  test('a URI written as editors write it names the file on this platform', (t) => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-uri-'));
    t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
    const file = path.join(dir, 'été 1 #2.md');
    fs.writeFileSync(file, 'found');
    // Editors escape the drive's colon and write its letter in lowercase.
    const encoded = file.split(path.sep).map((part, i) => (i === 0 && /^[A-Za-z]:$/.test(part) ? `${part[0].toLowerCase()}%3A` : encodeURIComponent(part))).join('/');
    const uri = `file://${encoded.startsWith('/') ? '' : '/'}${encoded}`;
    assert.equal(fs.readFileSync(uriToPath(uri), 'utf8'), 'found');
  });
});
