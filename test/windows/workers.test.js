'use strict';
// Worker threads over real COM: scripts/test-windows runs this file in the Windows node.exe
// under Wine with the fake spell service registered (see spell_service.test.js). COM belongs to
// a thread, so each worker's first Spellchecker must initialise it on the worker's own thread,
// whatever the main thread holds, and the last one collected there must undo only that.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { Worker } = require('node:worker_threads');
const { addon } = require('../js/helpers');

const { Spellchecker } = addon;
const HELPERS = path.resolve(__dirname, '..', 'js', 'helpers.js');

// A worker that makes a checker with no argument, answers with what it sees, then (when told
// to hold) keeps the checker until the main thread says "go".
const WORKER = `
const { parentPort, workerData } = require('node:worker_threads');
const { Spellchecker } = require(workerData.helpers).addon;
const checker = new Spellchecker();
const answers = {
  hunspell: checker.isHunspell(),
  set: checker.setDictionary(workerData.language),
  misspelled: ['wrod', 'hello', 'bonjour'].map((word) => checker.isMisspelled(word)),
  corrections: checker.getCorrectionsForMisspelling('wrod'),
};
parentPort.postMessage(answers);
if (workerData.hold) {
  parentPort.once('message', () => {
    parentPort.postMessage(checker.isMisspelled('wrod'));
    parentPort.close();
  });
}
`;

function startWorker(language, hold = false) {
  const worker = new Worker(WORKER, { eval: true, workerData: { helpers: HELPERS, language, hold } });
  const messages = [];
  const waiters = [];
  worker.on('message', (message) => {
    const waiter = waiters.shift();
    if (waiter) waiter(message);
    else messages.push(message);
  });
  const next = () => (messages.length > 0 ? Promise.resolve(messages.shift())
    : new Promise((resolve) => waiters.push(resolve)));
  const exited = new Promise((resolve, reject) => {
    worker.once('error', reject);
    worker.once('exit', resolve);
  });
  return { worker, next, exited };
}

const ENGLISH = { hunspell: false, set: true, misspelled: [true, false, true], corrections: ['world', 'word'] };
const FRENCH = { hunspell: false, set: true, misspelled: [true, true, false], corrections: [] };

suite('Spellchecker in worker threads over the spell service', () => {
  test("each worker's new Spellchecker() is the service while the main thread holds one", async () => {
    const main = new Spellchecker();
    assert.equal(main.isHunspell(), false);
    assert.equal(main.setDictionary('en_US'), true);
    const workers = ['en_US', 'fr_FR', 'en-US'].map((language) => startWorker(language));
    const answers = await Promise.all(workers.map(({ next }) => next()));
    assert.deepEqual(answers, [ENGLISH, FRENCH, ENGLISH]);
    assert.deepEqual(await Promise.all(workers.map(({ exited }) => exited)), [0, 0, 0]);
    // The workers' checkers are gone with their threads; the main thread's still answers.
    assert.equal(main.isMisspelled('wrod'), true);
    assert.deepEqual(main.getCorrectionsForMisspelling('wrod'), ['world', 'word']);
  });

  test('a checker made on the main thread after the workers took the service, and kept longer', async () => {
    const held = [startWorker('en_US', true), startWorker('fr_FR', true)];
    assert.deepEqual(await Promise.all(held.map(({ next }) => next())), [ENGLISH, FRENCH]);
    const main = new Spellchecker();
    assert.equal(main.isHunspell(), false);
    assert.equal(main.setDictionary('fr_FR'), true);
    held[0].worker.postMessage('go');
    assert.equal(await held[0].next(), true);
    await held[0].exited;
    assert.equal(main.isMisspelled('bonjour'), false);
    held[1].worker.postMessage('go');
    assert.equal(await held[1].next(), true); // not a French word either
    await held[1].exited;
    assert.equal(main.isMisspelled('wrod'), true);
  });

  test('once every checker of every thread is collected, the service holds no object', () => {
    // In a process of its own, which writes the service's live-object count when it unloads.
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-'));
    const report = path.join(folder, 'report.txt');
    // node.exe under Wine fails on a piped output: the child's goes to a file.
    const output = fs.openSync(path.join(folder, 'output.txt'), 'w');
    const script = `
      const { Worker } = require('node:worker_threads');
      const { Spellchecker } = require(${JSON.stringify(HELPERS)}).addon;
      let main = new Spellchecker();
      main.setDictionary('en_US');
      const source = ${JSON.stringify(WORKER)};
      const runs = ['en_US', 'fr_FR', 'en_US'].map((language) => new Promise((resolve, reject) => {
        const worker = new Worker(source, { eval: true,
          workerData: { helpers: ${JSON.stringify(HELPERS)}, language, hold: false } });
        worker.on('message', (answers) => { if (answers.hunspell) reject(new Error('Hunspell in a worker')); });
        worker.on('error', reject);
        worker.on('exit', resolve);
      }));
      Promise.all(runs).then(async () => {
        main = null;
        for (let i = 0; i < 5; i += 1) {
          globalThis.gc();
          await new Promise((resolve) => setImmediate(resolve));
        }
      });
    `;
    const run = spawnSync(process.execPath, ['--expose-gc', '-e', script], {
      env: { ...process.env, SPELLSHELL_FAKE_SERVICE_REPORT: report },
      stdio: ['ignore', output, output],
      timeout: 60_000,
    });
    fs.closeSync(output);
    assert.equal(run.status, 0, fs.readFileSync(path.join(folder, 'output.txt'), 'utf8'));
    assert.equal(fs.readFileSync(report, 'utf8'), 'live objects: 0\n');
  });
});
