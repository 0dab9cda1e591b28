'use strict';
// Software's jargon: the vocabularies (installed @cspell/dict-* packages) and their choice by
// file type, the rules of case, the document's own words, and inline directives in every
// comment syntax, through SpellService against the system's en_US dictionary.
const assert = require('node:assert/strict');
const { before, after, suite, test } = require('node:test');
const { SpellService, vocabulariesFor, languageIdForPath, VOCABULARIES } = require('../..');
const { WordList } = require('../../lib/words/word-list');
const { loadVocabulary } = require('../../lib/words/vocabularies');
const { readDirectives } = require('../../lib/words/directives');
const { ignoreInFile, ignoreLine } = require('../../lib/lsp/directive-edits');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
let spell;
before(async () => {
  spell = await SpellService.open({ languages: ['en_US'], dictionaryDirs: [dictionaryDir], backend: 'hunspell', worker: false });
});
after(() => spell.close());

const words = async (text, options) => (await spell.check(text, options)).map((m) => m.word);

suite('vocabularies', () => {
  test('every list of the table loads from its installed package', () => {
    for (const name of VOCABULARIES) assert.ok(loadVocabulary(name).words.size > 100, name);
  });

  test('the lists are chosen by format and by the language of the source', () => {
    const prose = ['software', 'companies', 'licenses', 'filetypes'];
    const cases = [
      ['plain', undefined, prose],
      ['markdown', undefined, [...prose, 'npm', 'html']],
      ['html', undefined, [...prose, 'html', 'css', 'typescript', 'npm']],
      ['code:c', undefined, prose],
      ['code:c', 'javascript', [...prose, 'typescript', 'node', 'npm', 'fullstack']],
      ['code:c', 'cpp', [...prose, 'cpp', 'fullstack']],
      ['code:hash', 'python', [...prose, 'python', 'fullstack']],
      ['code:hash', 'shellscript', [...prose, 'shell']],
      ['code:c', 'go', [...prose, 'go']],
    ];
    for (const [format, languageId, expected] of cases) assert.deepEqual(vocabulariesFor(format, languageId), expected, `${format} ${languageId}`);
    assert.deepEqual(['a.js', 'b.H', 'c.py', 'd.rs', 'README.md', 'Makefile'].map(languageIdForPath), ['javascript', 'c', 'python', 'rust', 'markdown', undefined]);
  });

  test('software terms are known in prose; a language list only where its files are checked', async () => {
    const text = 'Run npm with stdout on GitHub; wrod. The ifstream and the wrod.';
    assert.deepEqual(await words(text, { vocabularies: false }), ['npm', 'stdout', 'wrod', 'ifstream', 'wrod']);
    assert.deepEqual(await words(text), ['wrod', 'ifstream', 'wrod']);
    assert.deepEqual(await words(`// ${text}`, { format: 'code:c', vocabularies: vocabulariesFor('code:c', 'cpp') }), ['wrod', 'wrod']);
  });

  test('a service opened without vocabularies uses none unless a check names some', async (t) => {
    const bare = await SpellService.open({ languages: ['en_US'], dictionaryDirs: [dictionaryDir], backend: 'hunspell', worker: false, vocabularies: false });
    t.after(() => bare.close());
    assert.deepEqual((await bare.check('npm stdout')).map((m) => m.word), ['npm', 'stdout']);
    assert.deepEqual((await bare.check('npm stdout', { vocabularies: ['software'] })).map((m) => m.word), []);
    await assert.rejects(bare.check('x', { vocabularies: ['klingon'] }), { name: 'TypeError', message: /^vocabularies must be true, false or an array of vocabulary names \(software, companies/ });
  });

  test('a short keyword of a language list counts only where no dictionary word is one letter longer', async () => {
    // `locl` is a CSS keyword, and `local` mistyped.
    assert.deepEqual(await words('<p>a locl copy</p>', { format: 'html' }), ['locl']);
  });
});

suite('acronyms', () => {
  // [text, reported]: a word in capitals of two to five letters that no dictionary knows is an
  // acronym; a longer one, or one with a lower-case letter, is judged.
  const rows = [
    ['TLS over UDP in a VM', []],
    ['the WASI and EXSLT specs', []],
    ['two VMs and other CA’s or CA\'s', []],
    ['the INSTALATION guide', ['INSTALATION']],
    ['ask Wasi and Exslt', ['Wasi', 'Exslt']],
  ];
  for (const [text, reported] of rows) {
    test(`${JSON.stringify(text)} reports ${JSON.stringify(reported)}`, async () => {
      assert.deepEqual(await words(text, { vocabularies: false }), reported);
    });
  }

  test('the same with paragraphs judged in two languages', async (t) => {
    const both = await SpellService.open({ languages: ['en_US', 'de_DE'], dictionaryDirs: [dictionaryDir], backend: 'hunspell', worker: false, vocabularies: false });
    t.after(() => both.close());
    const text = 'The WASI and EXSLT specs and the INSTALATION guide.\n\nDie WASI und EXSLT Dokumente und die INSTALATION.';
    assert.deepEqual((await both.check(text)).map((m) => m.word), ['INSTALATION', 'INSTALATION']);
  });
});

suite('rules of case', () => {
  const list = new WordList(['npm', 'GitHub', 'JSON', 'Valgrind']);
  const table = [
    ['npm', true], ['Npm', true], ['NPM', true], ['nPm', false],
    ['GitHub', true], ['GITHUB', true], ['github', false], ['Github', false],
    ['JSON', true], ['Json', false], ['json', false],
    ['Valgrind', true], ['VALGRIND', true], ['valgrind', false],
    ["npm's", true], ['GitHub’s', true], ["github's", false],
  ];
  for (const [word, known] of table) {
    test(`${word} is ${known ? '' : 'not '}known from npm, GitHub, JSON, Valgrind`, () => assert.equal(list.has(word), known));
  }
});

suite("the document's own words", () => {
  test('a name of the code is known in the comments and strings of a source file, whole and by its parts', async () => {
    const source = 'const minipass = makeFlurb(zorgSize, MAX_GRUQ);\n// minipass and flurb and zorg and gruq and blarp\nlog("a zorg string");\n';
    assert.deepEqual(await words(source, { format: 'code:c' }), ['blarp']);
    assert.deepEqual(await words(source, { format: 'code:c', ownWords: false }), ['minipass', 'flurb', 'zorg', 'gruq', 'blarp', 'zorg']);
  });

  test('in Markdown, a word of a code span or fence is known in the prose', async () => {
    const text = 'Use `minipass` here.\n\n```js\nflurb()\n```\n\nMinipass and flurb, not blarp.\n';
    assert.deepEqual(await words(text, { format: 'markdown', vocabularies: false }), ['blarp']);
  });

  test('in HTML, a word of <code> or <pre> is known in the text', async () => {
    const text = '<p>Call <code>flurb</code>. Flurb returns zorg.</p><pre>zorg</pre><p>blarp</p>';
    assert.deepEqual(await words(text, { format: 'html', vocabularies: false }), ['blarp']);
  });

  test('a misspelling known as such stays one, whatever the code repeats', async () => {
    // `agrs` is on the table of software misspellings that comes with the software vocabulary.
    assert.deepEqual(await words('f(agrs, flurb);\n// agrs and flurb\n', { format: 'code:c' }), ['agrs']);
  });
});

suite('directives', () => {
  // One text per comment syntax; each holds every form, and the same words outside them.
  const forms = (open, close = '') => [
    `${open}spellshell:ignore zorgg blarpp${close}`,
    'zorgg blarpp qwzx',
    `${open}spellshell:disable${close}`,
    'qwzx one',
    `${open}spellshell:enable${close}`,
    `qwzy two ${open}spellshell:disable-line${close}`,
    `${open}spellshell:disable-next-line${close}`,
    'qwzv three',
    'qwzw four',
  ].join('\n');
  const syntaxes = [
    ['plain', '', ''],
    ['markdown', '<!-- ', ' -->'],
    ['html', '<!-- ', ' -->'],
    ['code:c', '// ', ''],
    ['code:c', '/* ', ' */'],
    ['code:hash', '# ', ''],
    ['code:dash', '-- ', ''],
  ];
  for (const [format, open, close] of syntaxes) {
    test(`every form in ${format} ${open.trim()} comments`, async () => {
      let text = forms(open, close);
      // In source code the words stand in comments too, to be prose at all.
      if (format.startsWith('code:')) {
        text = text.split('\n').map((line) => {
          if (line.startsWith(open) && line.includes('spellshell:')) return line;
          const at = line.indexOf(open);
          return at === -1 ? `${open}${line}${close}` : `${open}${line.slice(0, at)}${close} ${line.slice(at)}`;
        }).join('\n');
      }
      assert.deepEqual(await words(text, { format, vocabularies: false }), ['qwzx', 'qwzw']);
      assert.deepEqual((await words(text, { format, vocabularies: false, directives: false })).filter((w) => w.startsWith('q') || w.endsWith('g') || w.endsWith('p')),
        ['zorgg', 'blarpp', 'qwzx', 'qwzx', 'qwzy', 'qwzv', 'qwzw'], 'turned off, they do nothing (and are not judged)');
    });
  }

  test("the docs checker's prefixes mean the same (examples as its documentation writes them)", async () => {
    const text = [
      '// cspell:ignore zaallano, wooorrdd',
      '// cSpell:words woorxs sweeetbeat',
      '// zaallano wooorrdd woorxs sweeetbeat',
      '/* spell-checker: disable */',
      '// qwzx',
      '/* spell-checker: enable */',
      '// spellchecker:disable-next-line',
      '// qwzy',
      '// cspell:disable-line qwzv',
      '// qwzw',
    ].join('\n');
    assert.deepEqual(await words(text, { format: 'code:c' }), ['qwzw']);
    assert.deepEqual(await words('<!--- cSpell:disable --->\nqwzx\n<!--- cSpell:enable --->\nqwzy', { format: 'markdown' }), ['qwzy']);
  });

  test('an unknown directive is a problem beside the misspellings, and its text is not judged', async () => {
    const found = await spell.check('<!-- spellshell:ignor wrodd -->\nwrod\n<!-- cspell:ignoreRegExp /x/ -->', { format: 'markdown' });
    assert.deepEqual(found, [{ start: 32, end: 36, word: 'wrod' }]);
    assert.deepEqual(found.problems, [{ start: 5, end: 21, directive: 'spellshell:ignor', message: 'unknown directive "spellshell:ignor"' }]);
    assert.deepEqual(Object.keys(found), ['0'], 'not among the entries');
  });

  test('a directive outside a comment is prose like any other, and the language directive is read', () => {
    assert.equal(readDirectives('x spellshell:disable y', [0, 1]).count, 0);
    assert.deepEqual(readDirectives('# spellshell:language fr_FR\nBonjour', [1, 27]).languages, [{ start: 1, end: 27, language: 'fr_FR' }]);
  });
});

suite("the language server's directive fixes", () => {
  const apply = (text, { offset, end, newText }) => text.slice(0, offset) + newText + text.slice(end);
  const cases = [
    ['markdown', '# Title\n\nA wrod here.\n', '<!-- spellshell:ignore wrod -->\n# Title\n\nA wrod here.\n'],
    ['code:c', '#!/usr/bin/env node\n// a wrod\n', '#!/usr/bin/env node\n// spellshell:ignore wrod\n// a wrod\n'],
    ['code:hash', '# a wrod\n', '# spellshell:ignore wrod\n# a wrod\n'],
    ['html', '<!DOCTYPE html>\n<p>wrod</p>\n', '<!DOCTYPE html>\n<!-- spellshell:ignore wrod -->\n<p>wrod</p>\n'],
    ['plain', 'a wrod', 'spellshell:ignore wrod\na wrod'],
    ['code:c', '// cspell:ignore zorgg \n// a wrod\n', '// cspell:ignore zorgg wrod \n// a wrod\n'],
    ['markdown', 'x\n<!-- spellshell:words zorgg -->\nwrod\n', 'x\n<!-- spellshell:words zorgg wrod -->\nwrod\n'],
  ];
  for (const [format, text, expected] of cases) {
    test(`ignore in the file, ${format}: ${JSON.stringify(text.slice(0, 24))}`, async () => {
      const edited = apply(text, ignoreInFile(text, format, 'wrod'));
      assert.equal(edited, expected);
      assert.deepEqual(await words(edited, { format }), []);
    });
  }

  test('ignore this line writes a disable-next-line above it, at its indentation', async () => {
    const text = 'function f() {\n  // a wrod here\n  return 1; // wrod\n}\n';
    const edited = apply(text, ignoreLine(text, 'code:c', text.indexOf('wrod')));
    assert.equal(edited, 'function f() {\n  // spellshell:disable-next-line\n  // a wrod here\n  return 1; // wrod\n}\n');
    assert.deepEqual(await words(edited, { format: 'code:c' }), ['wrod']);
  });
});
