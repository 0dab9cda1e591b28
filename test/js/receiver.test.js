'use strict';
// Every call finds its own object, however calls alternate between objects and whatever has
// been collected: the add-on remembers the receiver of the last call to skip a lookup.
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const v8 = require('node:v8');
const vm = require('node:vm');
const { addon, fixtureDictionary } = require('./helpers');

const { Spellchecker } = addon;

v8.setFlagsFromString('--expose-gc');
const gc = vm.runInNewContext('gc');
const collect = async () => {
  for (let i = 0; i < 3; i++) {
    gc();
    await new Promise(setImmediate); // the host finalizes wrapped objects after a collection
  }
};

suite('receivers', () => {
  test('calls alternating at random between objects each reach their own object', (t) => {
    const alphaDir = fixtureDictionary(t, 'xx_ALPHA', ['alpha']);
    const betaDir = fixtureDictionary(t, 'xx_BETA', ['beta']);
    class Sub extends Spellchecker {}
    const alpha = new Spellchecker(true);
    const beta = new Sub(true);
    const none = new Spellchecker(true);
    assert.equal(alpha.setDictionary('xx_ALPHA', alphaDir), true);
    assert.equal(beta.setDictionary('xx_BETA', betaDir), true);
    const cases = [
      [alpha, 'alpha', false], [alpha, 'beta', true],
      [beta, 'alpha', true], [beta, 'beta', false],
      [none, 'alpha', false], [none, 'beta', false],
    ];
    let seed = 20261208;
    for (let i = 0; i < 3000; i++) {
      seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
      const [checker, word, expected] = cases[seed % cases.length];
      assert.equal(checker.isMisspelled(word), expected, `call ${i}`);
    }
    assert.equal(beta.isHunspell(), true);
  });

  test('an object made after the last receiver was collected is answered for itself', async (t) => {
    const dir = fixtureDictionary(t, 'xx_TEST', ['alpha']);
    (() => {
      const gone = new Spellchecker(true);
      gone.setDictionary('xx_TEST', dir);
      assert.equal(gone.isMisspelled('zzz'), true);
    })();
    await collect();
    for (let i = 0; i < 200; i++) {
      // No dictionary: nothing is misspelled. The collected object's answer would be true.
      assert.equal(new Spellchecker(true).isMisspelled('zzz'), false, `object ${i}`);
    }
  });

  test('a method taken from one object and called on another answers for the other', (t) => {
    const dir = fixtureDictionary(t, 'xx_TEST', ['alpha']);
    const first = new Spellchecker(true);
    const second = new Spellchecker(true);
    first.setDictionary('xx_TEST', dir);
    const { isMisspelled } = first;
    assert.equal(isMisspelled.call(first, 'zzz'), true);
    assert.equal(isMisspelled.call(second, 'zzz'), false);
    assert.equal(isMisspelled.call(first, 'zzz'), true);
  });
});
