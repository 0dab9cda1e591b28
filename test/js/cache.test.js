'use strict';
// isMisspelled answers repeated words from a per-object cache; these tests prove that no call
// ever returns anything but what Hunspell would, across add, remove and setDictionary.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { addon, fixtureDictionary, random } = require('./helpers');

const { Spellchecker } = addon;

suite('answer cache', () => {
  test('every answer follows add, remove and setDictionary at once', (t) => {
    const checker = new Spellchecker(true);
    const dir = fixtureDictionary(t, 'xx_TEST', ['alpha', 'beta']);
    assert.equal(checker.setDictionary('xx_TEST', dir), true);
    assert.equal(checker.isMisspelled('gamma'), true);
    assert.equal(checker.isMisspelled('gamma'), true); // now cached
    checker.add('gamma');
    assert.equal(checker.isMisspelled('gamma'), false);
    checker.remove('alpha');
    assert.equal(checker.isMisspelled('alpha'), true);
    assert.equal(checker.setDictionary('xx_TEST', dir), true); // reloaded: add and remove gone
    assert.equal(checker.isMisspelled('gamma'), true);
    assert.equal(checker.isMisspelled('alpha'), false);
    assert.equal(checker.setDictionary('zz_NONE', dir), false); // no dictionary: all correct
    assert.equal(checker.isMisspelled('gamma'), false);
  });

  test('a seeded random sequence of calls matches the dictionary model exactly', (t) => {
    // Plain word lists without affix rules: a word is correct exactly when it is listed or
    // added, and not removed since. Few words, so most checks hit the cache.
    const vocabulary = Array.from({ length: 40 }, (_, i) => `w${'abcdefghij'[i % 10]}${'klmnopqrst'[Math.floor(i / 10)]}x`);
    const dictionaries = {
      xx_ONE: vocabulary.slice(0, 20),
      xx_TWO: vocabulary.slice(10, 30),
    };
    const dirOne = fixtureDictionary(t, 'xx_ONE', dictionaries.xx_ONE);
    const dirTwo = fixtureDictionary(t, 'xx_TWO', dictionaries.xx_TWO);
    const dirs = { xx_ONE: dirOne, xx_TWO: dirTwo };
    const next = random(20261208);
    const pick = (list) => list[Math.floor(next() * list.length)];

    const checker = new Spellchecker(true);
    let correct = null; // null: no dictionary
    for (let step = 0; step < 20000; step++) {
      const roll = next();
      const word = pick(vocabulary);
      if (roll < 0.002) {
        const language = pick(['xx_ONE', 'xx_TWO', 'xx_NONE']);
        const loaded = checker.setDictionary(language, dirs[language] || dirOne);
        assert.equal(loaded, language !== 'xx_NONE');
        correct = loaded ? new Set(dictionaries[language]) : null;
      } else if (roll < 0.01) {
        checker.add(word);
        if (correct) correct.add(word);
      } else if (roll < 0.02) {
        checker.remove(word);
        if (correct) correct.delete(word);
      } else {
        const expected = correct ? !correct.has(word) : false;
        assert.equal(checker.isMisspelled(word), expected, `step ${step}: ${word}`);
      }
    }
  });

  test('words past the cache and the stack buffer give the same answers as short ones', (t) => {
    const long = 'a'.repeat(251) + 'é'; // 253 bytes: too close to the end of a 256-byte read
    const dir = fixtureDictionary(t, 'xx_TEST', ['alpha', long, 'x'.repeat(31)]);
    const checker = new Spellchecker(true);
    assert.equal(checker.setDictionary('xx_TEST', dir), true);
    for (let i = 0; i < 3; i++) {
      assert.equal(checker.isMisspelled(long), false);
      assert.equal(checker.isMisspelled(long.slice(0, -1)), true);
      assert.equal(checker.isMisspelled('x'.repeat(31)), false);
      assert.equal(checker.isMisspelled('x'.repeat(30)), true);
      // Longer than any one-call read: Hunspell still sees the bytes up to the NUL.
      assert.equal(checker.isMisspelled('alpha\0' + 'z'.repeat(400)), false);
      assert.equal(checker.isMisspelled('alphz\0' + 'z'.repeat(400)), true);
    }
  });

  test('each object has its own cache', (t) => {
    const dir = fixtureDictionary(t, 'xx_TEST', ['alpha']);
    const first = new Spellchecker(true);
    const second = new Spellchecker(true);
    first.setDictionary('xx_TEST', dir);
    second.setDictionary('xx_TEST', dir);
    assert.equal(first.isMisspelled('delta'), true);
    second.add('delta');
    assert.equal(second.isMisspelled('delta'), false);
    assert.equal(first.isMisspelled('delta'), true);
  });
});
