'use strict';
// Formats: which words of a Markdown, HTML or source text are judged, at which offsets, and how
// a file or an editor document gets its format.
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const { FORMATS, formatForPath, formatForLanguageId, proseWords } = require('../../lib/formats');
const { SpellService } = require('../..');
const { fixtureDictionary } = require('./helpers');

const wordsOf = (format, text) => proseWords(format, text).map((w) => w.word);

// [what the row shows, text, the words judged]
const MARKDOWN = [
  ['a paragraph', 'One two.', ['One', 'two']],
  ['ATX headings, with closing hashes', '# Frist head #\n## Secnd', ['Frist', 'head', 'Secnd']],
  ['a setext heading', 'Heding\n=====\n\nOther\n---', ['Heding', 'Other']],
  ['list items, nested, ordered', '- aple\n  - bnana\n1. chery\n2) date', ['aple', 'bnana', 'chery', 'date']],
  ['a task list item without its box', '- [ ] todoo\n- [x] doen', ['todoo', 'doen']],
  ['block quotes, nested and lazy', '> qoute\n> > depe\nlazzy', ['qoute', 'depe', 'lazzy']],
  ['table cells', '| hed | col |\n|-----|:---:|\n| celll | ox |', ['hed', 'col', 'celll']],
  ['a table cell of one or two letters alone is a code', '| id | nam |\n|---|---|\n| xh | Xhosa |\n|za|Zhuang; Chuang|\n| a \\| zu | b c |', ['nam', 'Xhosa', 'Zhuang', 'Chuang', 'a', 'zu', 'b', 'c']],
  ['without a delimiter row, no table', 'a | xh\n| zu |', ['a', 'xh', 'zu']],
  ['emphasis, strong and strikethrough', '*emf* **strng** _undr_ __dbl__ ~~strk~~', ['emf', 'strng', 'undr', 'dbl', 'strk']],
  ['snake_case stays one identifier', 'call snake_case now', ['call', 'now']],
  ['link and image texts; not destinations or titles', '[lnk txt](http://x.org/wrod "titl") ![alt txt](pic.png \'ttl\')', ['lnk', 'txt', 'alt', 'txt']],
  ['destinations in angle brackets and with parentheses', '[a](<my url>) [b](foo(and(bar)))', ['a', 'b']],
  ['reference links: the text, not the label or the definition', '[txt][lbl] and [shrt]\n\n[lbl]: /u "deftitle"\n[shrt]: /v', ['txt', 'and', 'shrt']],
  ['a badge: an image in a full reference link; neither label is judged', '[![covrage][ci-image]][ci-url]\n\n[ci-image]: /b.svg\n[ci-url]: /ci', ['covrage']],
  ['an image in an inline link, and images by collapsed and shortcut references', '[![covrage][ci-image]](/ci) ![shwn][] ![shrtcut]\n\n[ci-image]: /b.svg\n[shwn]: /s.png\n[shrtcut]: /t.png', ['covrage', 'shwn', 'shrtcut']],
  ['a bracket with no definition is text', '[not a link] [x][nope]', ['not', 'a', 'link', 'x', 'nope']],
  ['a definition title on the next line', '[a]: /url\n  "long titel"\n\nword', ['word']],
  ['code spans of any length', 'use `codez` or ``co`de`` here', ['use', 'or', 'here']],
  ['an unmatched backtick is text', 'a `tick alone', ['a', 'tick', 'alone']],
  ['fenced code and its info string', 'before\n```jvascript\nconst codez = 1;\n```\n~~~\nmore codez\n~~~\nafter', ['before', 'after']],
  ['an unclosed fence runs to the end', '```\ncodez\n\nstill', []],
  ['indented code, not inside a paragraph', 'para\n    contnued\n\n    codez\nafter', ['para', 'contnued', 'after']],
  ['code inside a list item and a quote', '- item\n\n      codez\n> ```\n> qcode\n> ```\n> qtext', ['item', 'qtext']],
  ['autolinks', 'see <https://exmple.com/wrod> and <me@exmple.com>', ['see', 'and']],
  ['raw HTML tags, not the text between them', 'a <span titel="x">spn txt</span> <!-- coment -->', ['a', 'spn', 'txt']],
  ['HTML blocks: the text, not tags or comments', '<div clas="x">\nblck txt <code>codez</code>\n</div>\n\n<!--\ncoment\n-->\nafter', ['blck', 'txt', 'after']],
  ['a script block', '<script>\nvar codez;\n</script>\nafter', ['after']],
  ['YAML front matter', '---\ntitel: x\n---\nbody', ['body']],
  ['TOML front matter', '+++\ntitel = 1\n+++\nbody', ['body']],
  ['a thematic break is not front matter later on', 'text\n\n---\nmore', ['text', 'more']],
  ['math between dollars', 'so $x^2 + yz$ and $$\\frac{ab}{cd}$$ ok', ['so', 'and', 'ok']],
  ['a math block', '$$\n\\alpha beta\n$$\nafter', ['after']],
  ['money is not math', 'costs $5 and $10 now', ['costs', 'and', 'now']],
  ['escaped characters are text', '\\*nt emph\\* \\`no code\\`', ['nt', 'emph', 'no', 'code']],
  ['entities are decoded', 'caf&eacute; &amp; na&iuml;ve', ['café', 'naïve']],
  ['CRLF line ends', '# Hed\r\n\r\n```\r\ncodez\r\n```\r\n- itm\r\n', ['Hed', 'itm']],
];

const HTML = [
  ['text content', '<p>Hello <b>wrld</b>!</p>', ['Hello', 'wrld']],
  ['tags and ordinary attributes are not judged', '<div class="wrapr" data-x="valu" id=ident>ok</div>', ['ok']],
  ['attributes people read', '<img alt="an imag" title=\'tipp\'><input placeholder=Typ aria-label="labl">', ['an', 'imag', 'tipp', 'Typ', 'labl']],
  ['a meta description, not other meta content', '<meta name="description" content="descrption here"><meta name="generator" content="genx">', ['descrption', 'here']],
  ['the description also when content comes first', '<meta content="frst" name=description>', ['frst']],
  ['entities decoded', '<p>caf&eacute; &mdash; na&#239;ve &#x61;b</p>', ['café', 'naïve', 'ab']],
  ['entities in attributes', '<img alt="caf&eacute;">', ['café']],
  ['skipped elements', '<script>var codez</script><style>.clas{}</style><code>cde</code><pre>pr</pre><kbd>kb</kbd><samp>sm</samp><var>vr</var><template>tmpl</template>ok', ['ok']],
  ['elements of code by their class, and tt', '<span class="command">cmnd</span> <code class="literal">x</code><p class="x filename y">fle</p><img class="literal" alt="shwn"><tt>tty</tt>ok', ['shwn', 'ok']],
  ['a link whose text names the anchor it points to', '<a href="api.html#xmlParseFle">xmlParseFle</a> <a href="#intro">Introducton</a>', ['Introducton']],
  ['nested skipped elements', '<pre><code>a</code>still pre</pre>after', ['after']],
  ['comments, also with -- inside, and the doctype', '<!DOCTYPE html><!-- a -- b -->ok<!---->', ['ok']],
  ['CDATA is no text in HTML', '<p><![CDATA[cdta]]>ok</p>', ['ok']],
  ['a < in text', '<p>1 < 2 and a<b</p> ok', ['and', 'a', 'ok']],
  ['unclosed tags', '<p>one<p>two<li>three', ['one', 'two', 'three']],
  ['unquoted attributes with entities', '<a title=x&amp;y href=/u>lnk</a>', ['x', 'y', 'lnk']],
  ['the title element, and textarea content', '<title>Titl</title><textarea>Writen</textarea>', ['Titl', 'Writen']],
  ['CRLF', '<p>\r\nline\r\n</p>', ['line']],
];

const CODE_C = [
  ['line and block comments', 'int x; // a coment\n/* blok\n * more */ y();', ['a', 'coment', 'blok', 'more']],
  ['strings, with escapes blanked', 'puts("Helo\\nWrld"); s = \'it\\\'s\';', ['Helo', 'Wrld', "it", 's']],
  ['template literals without their expressions', 'x = `temp ${a + "q"} late`;', ['temp', 'late']],
  ['code is not judged', 'function recieve(dataz) { return dataz.lenght; }', []],
  ['a quote with no close on its line is no string', "fn f<'a>(x: &str) {} // ok", ['ok']],
  ['a comment marker inside a string is string text', 'x = "not // coment"; y = \'/*\'; z(); // end', ['not', 'coment', 'end']],
  ['an unterminated block comment', '/* to the end', ['to', 'the', 'end']],
  ['directives to tools are not prose, the reasons given are', '/* eslint-disable no-x */ // istanbul ignore next\n// @ts-expect-error (chek this)\n// eslint-disable-line max-len -- too lng\n// c8 ignore next - not covred\n// global state is', ['chek', 'this', 'too', 'lng', 'not', 'covred', 'global', 'state', 'is']],
  ['documentation tags: not their types and names', '/**\n * @param {Map<string, X>} wsock the sockt\n * @returns {boolean} trueish\n * \\param nme desc\n */', ['the', 'sockt', 'trueish', 'desc']],
  ['a string of one lower-case token is a key or a name', 'require("fs"); x("Cancl", "two wrds", \'utf-8\', "a.b/c")', ['Cancl', 'two', 'wrds']],
];

const CODE_HASH = [
  ['hash comments and strings', 'x = 1  # a coment\necho "quoted txt" \'key\'', ['a', 'coment', 'quoted', 'txt']],
  ['directives', 'import x  # noqa: F401\ny = 1  # type: ignore\n# pylint: disable=x\n# shellcheck disable=SC2086', []],
  ['docstrings', 'def f():\n    """Doc\n    strng"""\n    return 1', ['Doc', 'strng']],
  ['$# and ${#x} are no comments', 'echo $# ${#arr} done', []],
  ['an apostrophe inside a word is no string', "key: don't # note", ['note']],
  ['a shebang is a path', '#!/usr/bin/env python3\n# real', ['real']],
];

const CODE_DASH = [
  ['SQL comments and strings', "SELECT 'Valu' FROM t -- a note\n/* blk */", ['Valu', 'a', 'note', 'blk']],
  ['Lua block comments', '--[[ lua\nblok ]] x = 1 --[==[ lvl ]==]', ['lua', 'blok', 'lvl']],
  ['Haskell block comments', '{- hask -} main = 1', ['hask']],
];

suite('formats', () => {
  for (const [format, table] of [['markdown', MARKDOWN], ['html', HTML], ['code:c', CODE_C], ['code:hash', CODE_HASH], ['code:dash', CODE_DASH]]) {
    suite(format, () => {
      for (const [name, text, expected] of table) {
        test(name, () => {
          assert.deepEqual(wordsOf(format, text), expected);
        });
      }
    });
  }

  test('plain judges the text as it is', () => {
    assert.deepEqual(wordsOf('plain', '`codez` <b>x</b>'), ['codez', 'b', 'x']);
  });

  test('offsets are UTF-16 units of the text as given, with astral characters and CRLF', () => {
    const text = '# 𝒜bc hed\r\n\r\n> 😀 qote `𝒜` aftr\r\n';
    for (const format of ['markdown', 'plain']) {
      const found = proseWords(format, text);
      for (const { start, end, word } of found) assert.equal(text.slice(start, end), word);
    }
    assert.deepEqual(proseWords('markdown', text), [
      { start: 2, end: 6, word: '𝒜bc' },
      { start: 7, end: 10, word: 'hed' },
      { start: 19, end: 23, word: 'qote' },
      { start: 29, end: 33, word: 'aftr' },
    ]);
  });

  test('a decoded word covers its whole source range', () => {
    const text = '<p>x caf&eacute;s &#x1F600;ok &lt;b&gt;</p>';
    assert.deepEqual(proseWords('html', text), [
      { start: 3, end: 4, word: 'x' },
      { start: 5, end: 17, word: 'cafés' },
      { start: 27, end: 29, word: 'ok' },
      { start: 34, end: 35, word: 'b' },
    ]);
    const markdown = 'na\\*ive f&ouml;o';
    assert.deepEqual(proseWords('markdown', markdown), [
      { start: 0, end: 2, word: 'na' },
      { start: 4, end: 7, word: 'ive' },
      { start: 8, end: 16, word: 'föo' },
    ]);
  });

  // Seeded random texts: every format keeps every word's offsets, and only a decoded word
  // differs from the text at them.
  test('in every format a word is the text at its offsets unless it was decoded', () => {
    let seed = 19;
    const next = () => {
      seed = (seed * 1103515245 + 12345) & 0x7fffffff;
      return seed / 0x7fffffff;
    };
    const pieces = ['word', ' ', '\n', '\r\n', '`', '<b>', '</b>', '&amp;', '&eacute;', '[', ']', '(', ')', '#', '//', '/*', '*/', '"', "'", '_', '*', '>', '- ', '```', '$', '\\', '𝒜', 'é', 'e\u0301', '<!--', '-->', '    ', '\t', 'fs.read', '~/x'];
    for (let round = 0; round < 300; round++) {
      let text = '';
      const length = 1 + Math.floor(next() * 40);
      for (let i = 0; i < length; i++) text += pieces[Math.floor(next() * pieces.length)];
      for (const format of FORMATS) {
        for (const { start, end, word } of proseWords(format, text)) {
          assert.ok(start >= 0 && start < end && end <= text.length, `${format} ${JSON.stringify(text)}`);
          const source = text.slice(start, end);
          if (source !== word) assert.ok(/[&\\]/.test(source), `${format} ${JSON.stringify(text)}: ${word} at ${start}`);
        }
      }
    }
  });

  test('a megabyte of Markdown punctuation is read to the end', () => {
    const text = '[`<_*&'.repeat(180000);
    assert.deepEqual(wordsOf('markdown', text), []);
    assert.deepEqual(wordsOf('markdown', `${'['.repeat(200000)}word`), ['word']);
    assert.deepEqual(wordsOf('markdown', `${'![a'.repeat(300000)}`).length, 300000);
    // Openers of one kind of emphasis and closers of the other, which never pair.
    assert.equal(wordsOf('markdown', '*a_ x '.repeat(170000)).length, 170000);
  });
});

// [file, format]
const PATHS = [
  ['README.md', 'markdown'], ['notes.markdown', 'markdown'], ['doc.MDX', 'markdown'],
  ['index.html', 'html'], ['page.htm', 'html'], ['a.xhtml', 'html'],
  ['main.c', 'code:c'], ['x.h', 'code:c'], ['x.cc', 'code:c'], ['x.cpp', 'code:c'], ['x.hpp', 'code:c'], ['x.cs', 'code:c'],
  ['X.java', 'code:c'], ['x.js', 'code:c'], ['x.mjs', 'code:c'], ['x.cjs', 'code:c'], ['x.ts', 'code:c'], ['x.tsx', 'code:c'],
  ['x.jsx', 'code:c'], ['x.go', 'code:c'], ['x.rs', 'code:c'], ['x.swift', 'code:c'], ['x.kt', 'code:c'], ['x.css', 'code:c'], ['x.scss', 'code:c'],
  ['x.sh', 'code:hash'], ['x.bash', 'code:hash'], ['x.py', 'code:hash'], ['x.rb', 'code:hash'], ['x.pl', 'code:hash'],
  ['x.yaml', 'code:hash'], ['x.yml', 'code:hash'], ['x.toml', 'code:hash'], ['x.cmake', 'code:hash'], ['Makefile', 'code:hash'],
  ['CMakeLists.txt', 'code:hash'], ['Dockerfile', 'code:hash'],
  ['q.sql', 'code:dash'], ['x.lua', 'code:dash'], ['x.hs', 'code:dash'],
  ['notes.txt', 'plain'], ['LICENSE', 'plain'], ['archive.tar.gz', 'plain'], ['.md', 'plain'], ['', 'plain'],
  ['/home/me/docs/README.md', 'markdown'], ['C:\\Users\\me\\site\\index.HTML', 'html'], ['src\\main.rs', 'code:c'],
  ['dir.md/file', 'plain'], ['C:\\dir.py\\Makefile', 'code:hash'], ['./a/b/c.PY', 'code:hash'],
];

suite('choosing a format', () => {
  test('by file name, with either separator', () => {
    for (const [file, format] of PATHS) assert.equal(formatForPath(file), format, file);
    const extensions = new Set(PATHS.map(([file]) => /\.([^./\\]+)$/.exec(file)?.[1].toLowerCase()).filter(Boolean));
    assert.ok(extensions.size >= 25);
  });

  test('by editor language id', () => {
    const rows = [['markdown', 'markdown'], ['html', 'html'], ['plaintext', 'plain'], ['c', 'code:c'], ['cpp', 'code:c'],
      ['javascript', 'code:c'], ['typescriptreact', 'code:c'], ['python', 'code:hash'], ['shellscript', 'code:hash'],
      ['yaml', 'code:hash'], ['sql', 'code:dash'], ['lua', 'code:dash'], ['cobol', 'plain'], ['', 'plain']];
    for (const [id, format] of rows) assert.equal(formatForLanguageId(id), format, id);
  });

  test('every format a file may get is a format', () => {
    for (const [file] of PATHS) assert.ok(FORMATS.includes(formatForPath(file)));
  });

  test('non-strings are rejected', () => {
    assert.throws(() => formatForPath(undefined), { name: 'TypeError', message: 'filePath must be a string' });
    assert.throws(() => formatForLanguageId(3), { name: 'TypeError', message: 'languageId must be a string' });
  });
});

suite('SpellService.check with a format', () => {
  for (const worker of [true, false]) {
    test(`only the prose is judged, at its offsets (worker: ${worker})`, async (t) => {
      const dir = fixtureDictionary(t, 'xx_FMT', ['hello', 'world', 'café', 'data']);
      const service = await SpellService.open({ languages: ['xx_FMT'], dictionaryDirs: [dir], backend: 'hunspell', worker });
      t.after(() => service.close());
      const markdown = '# Helo `codez`\n\n[wrld](http://x.org/bad) recieveData caf&eacute;';
      assert.deepEqual(await service.check(markdown, { format: 'markdown' }), [
        { start: 2, end: 6, word: 'Helo' },
        { start: 17, end: 21, word: 'wrld' },
        { start: 41, end: 48, word: 'recieve' },
      ]);
      const html = '<p title="Wrold">caf&eacute;x &amp; hello</p>';
      assert.deepEqual(await service.check(html, { format: 'html', suggestions: 1 }), [
        { start: 10, end: 15, word: 'Wrold', suggestions: ['World'] },
        { start: 17, end: 29, word: 'caféx', suggestions: ['café'] },
      ]);
      assert.deepEqual(await service.check('x = "Helo"; // wrld', { format: 'code:c' }), [
        { start: 5, end: 9, word: 'Helo' },
        { start: 15, end: 19, word: 'wrld' },
      ]);
      assert.deepEqual((await service.check('`helo`')).map((m) => m.word), ['helo']);
    });
  }

  test('an unknown format rejects, naming the formats', async (t) => {
    const dir = fixtureDictionary(t, 'xx_FMT');
    const service = await SpellService.open({ languages: ['xx_FMT'], dictionaryDirs: [dir], backend: 'hunspell', worker: false });
    t.after(() => service.close());
    for (const format of ['md', null, 1]) {
      await assert.rejects(service.check('x', { format }), {
        name: 'TypeError',
        message: 'format must be "plain", "markdown", "html", "code:c", "code:hash" or "code:dash"',
      });
    }
  });
});
