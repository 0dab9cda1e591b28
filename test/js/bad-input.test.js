'use strict';
// Input that looks like nothing a user would type: language names that are names of an object's
// prototype members, and texts that mix unsegmented scripts with apostrophes and combining
// marks.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const path = require('node:path');
const { describe, test } = require('node:test');
const { SpellService } = require('../..');
const { resolveLanguage } = require('../../lib/dictionaries/languages');
const { words } = require('../../lib/words/tokenizer');
const { fixtureDictionary, random } = require('./helpers');

const PROTOTYPE_NAMES = ['constructor', '__proto__', 'toString', 'hasOwnProperty', 'valueOf', '__defineGetter__', 'isPrototypeOf'];

describe('language names from an object\'s prototype', () => {
  const candidates = [{ language: 'en_US' }, { language: 'xx_ONE' }];
  for (const name of PROTOTYPE_NAMES) {
    test(`"${name}" names no language`, () => {
      assert.equal(resolveLanguage(name, candidates), undefined);
      assert.equal(resolveLanguage(name.toUpperCase(), candidates), undefined);
    });
  }

  test('open and setLanguages reject such names as any unknown language, and the service goes on', async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const options = { dictionaryDirs: [dir], backend: 'hunspell', worker: false };
    const unknown = (name) => (error) => error.message.startsWith(`no dictionary for "${name}" (searched: ${dir}`);
    const service = await SpellService.open({ ...options, languages: ['xx_ONE'] });
    t.after(() => service.close());
    for (const name of PROTOTYPE_NAMES) {
      await assert.rejects(SpellService.open({ ...options, languages: [name] }), unknown(name));
      await assert.rejects(service.setLanguages([name]), unknown(name));
    }
    assert.equal(await service.isMisspelled('hello'), false);
  });

  test('spellshell --lang constructor says that no dictionary has it', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const bin = path.join(__dirname, '..', '..', 'bin', 'spellshell.js');
    const run = spawnSync(process.execPath, [bin, '--lang', 'constructor', '--dict-dir', dir, '-'], { input: 'hello', encoding: 'utf8' });
    assert.match(run.stderr, /no dictionary for "constructor"/);
    assert.doesNotMatch(run.stderr, /is not a function/);
  });
});

describe('words in texts that mix unsegmented scripts, apostrophes and marks', () => {
  const PIECES = ['漢', '字', 'ひ', 'カ', '한', 'ไ', 'ລ', 'ក', 'ဗ', "'", '’', '\u0301', '\u0308', '\u0E31', 'a', 'é', 'z', 'Ω', 'я', ' ', '-', '.'];

  test('seeded random texts: every word starts on a letter and ends on a letter or a mark', () => {
    const next = random(20261209);
    let seen = 0;
    for (let round = 0; round < 3000; round++) {
      let text = '';
      const length = 1 + Math.floor(next() * 24);
      for (let i = 0; i < length; i++) text += PIECES[Math.floor(next() * PIECES.length)];
      for (const { start, end, word } of words(text)) {
        seen++;
        assert.equal(word, text.slice(start, end), JSON.stringify(text));
        assert.match(word, /^\p{L}/u, `${JSON.stringify(word)} in ${JSON.stringify(text)}`);
        assert.doesNotMatch(word, /['’]$/, `${JSON.stringify(word)} in ${JSON.stringify(text)}`);
      }
    }
    assert.ok(seen > 1000, `only ${seen} words`);
  });

  test('unsegmented script far into a long text, or in a word across 64K characters, still splits words', () => {
    const far = `${'a '.repeat(100000)}ab漢cd`;
    assert.deepEqual(words(far).slice(-2).map((w) => w.word), ['ab', 'cd']);
    const across = `${'a'.repeat(65532)} xyz漢漢uvw`; // the word starts before 65536, 漢 at it
    assert.deepEqual(words(across).slice(-2).map((w) => w.word), ['xyz', 'uvw']);
    const before = `${'a'.repeat(65533)} 漢xyzuvw`; // 漢 before 65536, the rest of the run after it
    assert.deepEqual(words(before).slice(-1).map((w) => w.word), ['xyzuvw']);
  });

  // [text, the words]
  const CASES = [
    ["漢'abc def", ['abc', 'def']],
    ['漢\u0301abc', ['abc']],
    ["abc'漢", ['abc']],
    ['ab漢’cd', ['ab', 'cd']],
    ['漢\u0301\u0308', []],
    ["don't 日本 l’eau", ["don't", 'l’eau']],
  ];
  for (const [text, expected] of CASES) {
    test(`${JSON.stringify(text)} has the words ${JSON.stringify(expected)}`, () => {
      assert.deepEqual(words(text).map((w) => w.word), expected);
    });
  }
});
