'use strict';
// A loaded dictionary weighs 8 to 16 MB outside the script heap. The collector must know it, so
// that a dropped checker is collected without waiting for the script heap to fill, and the
// service lets go of the dictionaries it replaces or closes at once.
const { describe, test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const path = require('node:path');
const { addon, systemDictionaryDir } = require('./helpers');
const { Engine } = require('../../lib/service/engine');

const hunspell = (language) => ({ language, backend: 'hunspell', dir: systemDictionaryDir });

describe('memory of dictionaries', () => {
  test('dropped checkers with a dictionary are collected without a forced collection', () => {
    // In a process of its own, so that no other test's garbage starts a collection. 30 English
    // dictionaries are 250 MB to the collector, tiny objects to the script heap alone.
    const script = `
      const { Spellchecker } = require(${JSON.stringify(path.join(__dirname, '..', '..'))});
      let collected = 0;
      const registry = new FinalizationRegistry(() => collected++);
      (async () => {
        for (let i = 0; i < 30; i++) {
          const checker = new Spellchecker(true);
          checker.setDictionary('en_US', ${JSON.stringify(systemDictionaryDir)});
          registry.register(checker, i);
          await new Promise((resolve) => setImmediate(resolve));
        }
        await new Promise((resolve) => setTimeout(resolve, 50));
        console.log(collected);
      })();`;
    const collected = Number(execFileSync(process.execPath, ['-e', script], { encoding: 'utf8' }));
    assert.ok(collected >= 10, `only ${collected} of 30 dropped checkers were collected`);
  });

  test('a language switch drops the replaced dictionaries at once', () => {
    const engine = new Engine({ languages: [hunspell('en_US')] });
    const [english] = engine.checkers;
    assert.equal(english.isMisspelled('qwzx'), true);
    engine.setLanguages([hunspell('fr_FR')]);
    assert.equal(english.isMisspelled('qwzx'), false, 'the replaced checker still has its dictionary');
    assert.equal(engine.isMisspelled('qwzx'), true);
    assert.equal(engine.isMisspelled('bonjour'), false);
  });

  test('a switch that fails keeps the languages and drops only the dictionaries it loaded', () => {
    const engine = new Engine({ languages: [hunspell('en_US')] });
    const before = engine.checkers;
    assert.throws(() => engine.setLanguages([hunspell('fr_FR'), hunspell('xx_NONE')]), /no dictionary for "xx_NONE"/);
    assert.equal(engine.checkers, before);
    assert.equal(engine.isMisspelled('qwzx'), true);
    assert.equal(engine.isMisspelled('hello'), false);
  });

  test('closing drops every dictionary at once', () => {
    const engine = new Engine({ languages: [hunspell('en_US'), hunspell('fr_FR')] });
    const checkers = engine.checkers;
    engine.close();
    for (const checker of checkers) assert.equal(checker.isMisspelled('qwzx'), false);
  });

  test('the add-on alone answers as before once a load failed', () => {
    const checker = new addon.Spellchecker(true);
    assert.equal(checker.setDictionary('en_US', systemDictionaryDir), true);
    assert.equal(checker.setDictionary('unloaded', __filename), false);
    assert.equal(checker.isMisspelled('qwzx'), false);
    assert.equal(checker.setDictionary('en_US', systemDictionaryDir), true);
    assert.equal(checker.isMisspelled('qwzx'), true);
  });
});
