'use strict';
// Every call finds its own object, however calls alternate between objects and whatever has
// been collected: the add-on remembers the receiver of the last call to skip a lookup.
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const v8 = require('node:v8');
const vm = require('node:vm');
const { Worker } = require('node:worker_threads');
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

  test('with one object alive it answers every call; as objects come and go, each its own', async (t) => {
    // In a worker, so that the environment holds no object but the ones made here: with a
    // single live object the add-on skips comparing receivers.
    const dirs = ['xx_ONE', 'xx_TWO', 'xx_THREE'].map((name, i) => fixtureDictionary(t, name, [`word${i}`]));
    const source = `
      const assert = require('node:assert/strict');
      const v8 = require('node:v8');
      const vm = require('node:vm');
      const { parentPort, workerData } = require('node:worker_threads');
      const { Spellchecker } = require(workerData.helpers).addon;
      v8.setFlagsFromString('--expose-gc');
      const forceGc = vm.runInNewContext('gc');
      const collect = async () => {
        for (let i = 0; i < 3; i++) {
          forceGc();
          await new Promise(setImmediate);
        }
      };
      (async () => {
        // Each live object knows one word of its own; the others are misspelled for it.
        let live = [];
        const make = (i) => {
          const checker = new Spellchecker(true);
          assert.equal(checker.setDictionary(workerData.names[i], workerData.dirs[i]), true);
          live.push({ checker, own: 'word' + i });
        };
        const expectOwnAnswers = (step) => {
          for (const { checker, own } of live) {
            for (let i = 0; i < 3; i++) {
              const word = 'word' + i;
              assert.equal(checker.isMisspelled(word), word !== own, step + ': ' + own + ' asked ' + word);
            }
          }
        };
        let seed = 20261209;
        const random = (n) => {
          seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
          return (seed >>> 16) % n;
        };
        for (let step = 0; step < 60; step++) {
          if (live.length === 0 || (live.length < 3 && random(2) === 0)) {
            make(random(3));
          } else {
            live.splice(random(live.length), 1);
            if (random(2) === 0) await collect(); // the dropped object really goes
          }
          expectOwnAnswers('step ' + step);
        }
        live = [];
        await collect();
        make(2);
        expectOwnAnswers('alone after all were collected');
        parentPort.postMessage('done');
      })().catch((error) => { throw error; });
    `;
    const worker = new Worker(source, {
      eval: true,
      workerData: { helpers: require.resolve('./helpers'), dirs, names: ['xx_ONE', 'xx_TWO', 'xx_THREE'] },
    });
    const messages = [];
    worker.on('message', (message) => messages.push(message));
    const exitCode = await new Promise((resolve, reject) => {
      worker.once('error', reject);
      worker.once('exit', resolve);
    });
    assert.deepEqual([exitCode, messages], [0, ['done']]);
  });
});
