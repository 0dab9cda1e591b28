'use strict';
// The words that a check looks at: which runs of a text count as words, and where they are.
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const { suite, test } = require('node:test');
const { words } = require('../../lib/tokenizer');

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
});
