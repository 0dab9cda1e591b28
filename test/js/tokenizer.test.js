'use strict';
// The words that a check looks at: which runs of a text count as words, and where they are.
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const { suite, test } = require('node:test');
const { words, camelParts } = require('../../lib/words/tokenizer');

// [what the row shows, text, the words found]
const TABLE = [
  ['letters between spaces and punctuation', 'Hello, world! (again)', ['Hello', 'world', 'again']],
  ['an apostrophe between letters joins, of either kind', "don't l’eau rock'n'roll", ["don't", 'l’eau', "rock'n'roll"]],
  ['an apostrophe at either end does not', "'quoted' dogs' ’tis", ['quoted', 'dogs', 'tis']],
  ['a doubled apostrophe does not', "a''b", ['a', 'b']],
  ['hyphens and slashes separate', 'well-known and/or', ['well', 'known', 'and', 'or']],
  ['combining marks belong to the word', 'cafe\u0301 nai\u0308ve', ['cafe\u0301', 'nai\u0308ve']],
  ['letters outside ASCII', 'Größe ελληνικά кириллица', ['Größe', 'ελληνικά', 'кириллица']],
  ['letters outside the BMP', '𝒜bc ok', ['𝒜bc', 'ok']],
  ['a run touching a digit is skipped whole', 'abc1 1st x2y 3d ok', ['ok']],
  ['so is one touching an underscore', 'snake_case _private trailing_ ok', ['ok']],
  ['digits of other scripts count too', 'x٣y ok', ['ok']],
  ['an apostrophe beside a digit separates', "abc'1 ok", ['abc', 'ok']],
  ['a digit after a joined apostrophe taints the run', "don't1 1don't ok", ['ok']],
  ['numbers alone are not words', '42 3.14 1,000', []],
  ['URLs up to the next space', 'see https://example.com/a-path?q=wrod#frag, then', ['see', 'then']],
  ['URLs with any scheme', 'svn+ssh://host/repo s3://bucket/key file:///etc/hosts ok', ['ok']],
  ['www. addresses', 'visit www.exampel.org. WWW.Other.org ok', ['visit', 'ok']],
  ['a colon alone is no URL', 'note: this', ['note', 'this']],
  ['e-mail addresses', 'write to john.smith+tag@mail.example.com or x_y@host now', ['write', 'to', 'or', 'now']],
  ['an at sign without a domain is no address', 'word@ here', ['word', 'here']],
  ['runs in scripts without spaces are skipped', '漢字 ひらがな カタカナ 한국어 ภาษาไทย ok', ['ok']],
  ['and split off from the letters around them', 'これはtestです', ['test']],
  ['an empty text', '', []],
  ['absolute, relative and home paths', 'in /usr/share/x or ./a/b, ../up, ~/.config and ~user/bin ok', ['in', 'or', 'and', 'ok']],
  ['Windows paths, with drive letters and shares', 'C:\\Users\\me d:/games \\\\srv\\share %APPDATA%\\x ok', ['ok']],
  ['a path without a leading separator: two separators, or a file name last', 'config/arm/arm.cc docs/guide and src/lib/x ok', ['docs', 'guide', 'and', 'ok']],
  ['one slash between words stays prose', 'and/or km/h input/output', ['and', 'or', 'km', 'h', 'input', 'output']],
  ['file names with an extension', 'see index.js, README.md and .bashrc.', ['see', 'and']],
  ['dotted member access and product names with a dot', 'fs.statSync() path.join Node.js e.g. this', ['this']],
  ['a sentence end is not a dot between words', 'end. Next: this.', ['end', 'Next', 'this']],
  ['command-line options', 'run --ignore-scripts -rf --lang=en_US now', ['run', 'now']],
  ['hyphenated words stay words', 'well-known a - b', ['well', 'known', 'a', 'b']],
  ['@scopes and mentions', '@scope/name and @someone ok', ['and', 'ok']],
  ['hex numbers, colours, hashes and UUIDs', '0xff #fade a3f9c21 123e4567-e89b-12d3-a456-426614174000 ok', ['ok']],
  ['format specifiers, variables and escapes', '%s %lu $HOME \\n \\section ok', ['ok']],
  ['scope resolution', 'std::vector Foo::bar ok', ['ok']],
  ['e-mail addresses spelled out', 'john at example dot com, jane (at) host.org, x [at] y [dot] net ok', ['ok']],
  ['at that ends no address', 'look at home at five', ['look', 'at', 'home', 'at', 'five']],
  ['a word that starts with at is no at', 'word attic.example ok', ['word', 'ok']],
  ['~~ is no home folder', '~~strike~~', ['strike']],
];

suite('tokeniser', () => {
  for (const [name, text, expected] of TABLE) {
    test(name, () => {
      assert.deepEqual(words(text).map((w) => w.word), expected);
    });
  }

  test('offsets are UTF-16 units of the text as given', () => {
    const text = '𝒜 cafe\u0301, l’eau';
    const found = words(text);
    assert.deepEqual(found, [
      { start: 0, end: 2, word: '𝒜' },
      { start: 3, end: 8, word: 'cafe\u0301' },
      { start: 10, end: 15, word: 'l’eau' },
    ]);
    for (const { start, end, word } of found) assert.equal(text.slice(start, end), word);
  });

  test('camelCase and PascalCase identifiers split into parts with their own offsets', () => {
    // [word, parts] (null: not such an identifier)
    const rows = [
      ['recieveData', ['recieve', 'Data']],
      ['XMLHttpRequest', ['XML', 'Http', 'Request']],
      ['iPhone', ['i', 'Phone']],
      ['McDonald', ['Mc', 'Donald']],
      ['getHTML', ['get', 'HTML']],
      ['Ärger', null],
      ['hello', null],
      ['HELLO', null],
      ['ÜberÄrger', ['Über', 'Ärger']],
      // After a run of capitals, the apostrophe or marks that follow are not part of a word.
      ["zé𝐀İ'ßß", ['zé', '𝐀İ', 'ßß']],
      ['abCD\u0301efg', ['ab', 'CD', 'efg']],
      ["itsOK'", ['its', 'OK']],
    ];
    for (const [word, expected] of rows) {
      const parts = camelParts(word);
      assert.deepEqual(parts && parts.map(([start, end]) => word.slice(start, end)), expected, word);
    }
  });

  test('every camelCase part starts with a letter and ends on no apostrophe (seeded random words)', () => {
    // A small generator with a fixed seed: failures repeat.
    let seed = 20261209;
    const next = () => {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      return seed / 2147483648;
    };
    const alphabet = ['a', 'z', 'é', 'ß', 'A', 'Z', 'İ', '𝐀', 'Ä', "'", '’', '\u0301', '\u0308'];
    for (let n = 0; n < 5000; n++) {
      let word = 'a';
      for (let k = 1 + Math.floor(next() * 10); k > 0; k--) word += alphabet[Math.floor(next() * alphabet.length)];
      for (const [start, end] of camelParts(word) ?? []) {
        const part = word.slice(start, end);
        assert.match(part, /^\p{L}/u, `${JSON.stringify(word)}: ${JSON.stringify(part)}`);
        assert.doesNotMatch(part, /['’]$/, `${JSON.stringify(word)}: ${JSON.stringify(part)}`);
      }
    }
  });

  test('a long text of words is scanned to the end', () => {
    const text = 'alpha beta1 gamma '.repeat(20000);
    const found = words(text);
    assert.equal(found.length, 40000);
    assert.deepEqual(found.at(-1), { start: text.length - 6, end: text.length - 1, word: 'gamma' });
  });

  // Each run there is followed by a character that may start a URL or an e-mail address; when
  // those patterns read to the end of the text at every try, a megabyte takes minutes.
  test('a megabyte of short runs joined by - or of base64url is scanned to the end', () => {
    const joined = 'ab-'.repeat(350000); // 1 MB
    assert.equal(words(joined).length, joined.length / 3);
    const base64 = crypto.randomBytes(768 * 1024).toString('base64url');
    assert.equal(base64.length, 1024 * 1024);
    const runs = base64.match(/(?<![A-Za-z0-9_])[A-Za-z]+(?![A-Za-z0-9_])/g) ?? [];
    assert.deepEqual(words(base64).map((w) => w.word), runs);
  });

  // Chunks without white space are read once each, however long (else a megabyte of path-like
  // or dotted text takes minutes).
  test('a megabyte without white space of dots and slashes is scanned to the end', () => {
    for (const [unit, count] of [['a.b/', 0], ['ab/', 0], ['x-y.', 0], ['--a ', 0], ['a-b ', 2]]) {
      const text = unit.repeat(1024 * 1024 / unit.length);
      assert.equal(words(text).length, (count * text.length) / unit.length, unit);
    }
  });
});
