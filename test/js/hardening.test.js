'use strict';
// The add-on runs inside someone else's application, so no input, thread or teardown order
// may take the process down: the bad-input table stays true, a seeded fuzzer hammers the
// script boundary in a child process, and workers build and drop objects while others come
// and go.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { Worker } = require('node:worker_threads');
const { addon, systemDictionaryDir, hasSpellService } = require('./helpers');
const { renderBadInputTable, TABLE_PATH } = require('./bad-input-table');

const root = path.join(__dirname, '..', '..');
const addonPath = path.join(root, 'build', 'Release', 'spellshell.node');
// Both call the dialogs, which on Windows are the shell's own windows: they run on Linux, where
// the dialogs go to a session bus that is not there.
const skipOnWindows = process.platform === 'win32' && 'the dialogs would open real windows';

suite('bad-input table', () => {
  test('docs/bad-input.md is what the add-on does now (scripts/bad-input-table rewrites it)', { skip: skipOnWindows }, () => {
    assert.equal(fs.readFileSync(TABLE_PATH, 'utf8'), renderBadInputTable(addon));
  });
});

suite('script boundary fuzzing', () => {
  // A child process, so that a crash is a failed test and not the end of the test runner. It
  // inherits the environment, and with it any preloaded sanitizer and add-on substitute.
  for (const seed of [1, 2]) {
    test(`fixed seed ${seed}: every call returns its type or throws the add-on's errors, and the process exits normally`, { skip: skipOnWindows }, () => {
      const child = spawnSync(process.execPath,
        ['--expose-gc', path.join(root, 'fuzz', 'script-fuzzer.js'), '--seed', String(seed), '--calls', '1000'],
        { encoding: 'utf8' });
      assert.equal(child.signal, null, child.stderr);
      assert.equal(child.status, 0, child.stdout + child.stderr);
      assert.match(child.stdout, new RegExp(`^script fuzzer: seed ${seed}, 1000 calls, \\d+ returned, \\d+ threw the expected errors\\n$`));
    });
  }
});

function runWorker(source, workerData) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(source, { eval: true, workerData });
    let message;
    worker.on('message', (m) => (message = m));
    worker.on('error', reject);
    worker.on('exit', (code) => (code === 0 ? resolve(message) : reject(new Error(`worker exit ${code}`))));
  });
}

// Constructs with and without arguments in turn, so that every construction writes the
// process environment (set or remove), and drops each object at once.
const CHURN_SOURCE = `
  const { parentPort, workerData } = require('node:worker_threads');
  const { Spellchecker } = require(workerData.addonPath);
  let verdicts = 0;
  for (let i = 0; i < workerData.rounds; i++) {
    const checker = i % 2 ? new Spellchecker() : new Spellchecker(true);
    if (i % 50 === 0) {
      checker.setDictionary('en_US', workerData.dictionaryDir);
      verdicts += checker.isMisspelled('wrod') && !checker.isMisspelled('word') ? 1 : 0;
      checker.getCorrectionsForMisspelling('wrod');
    }
    checker.isHunspell();
  }
  parentPort.postMessage(verdicts);
`;

suite('worker threads', () => {
  test('four workers and the main thread construct and drop objects at the same time', async () => {
    const rounds = 1000;
    const workers = Array.from({ length: 4 }, () =>
      runWorker(CHURN_SOURCE, { addonPath, dictionaryDir: systemDictionaryDir, rounds }));
    for (let i = 0; i < rounds; i++) {
      const checker = i % 2 ? new addon.Spellchecker() : new addon.Spellchecker(true);
      assert.equal(checker.isHunspell(), !(i % 2 && hasSpellService));
    }
    assert.deepEqual(await Promise.all(workers), [20, 20, 20, 20]);
  });

  test('workers terminated in the middle of loading dictionaries leave nothing behind', async () => {
    for (let i = 0; i < 30; i++) {
      const worker = new Worker(
        `const { parentPort, workerData } = require('node:worker_threads');
         const { Spellchecker } = require(workerData.addonPath);
         parentPort.postMessage('started');
         for (;;) {
           const checker = new Spellchecker(true);
           checker.setDictionary('en_US', workerData.dictionaryDir);
           checker.add('spellshell');
         }`,
        { eval: true, workerData: { addonPath, dictionaryDir: systemDictionaryDir } },
      );
      await new Promise((resolve) => worker.once('message', resolve));
      await new Promise((resolve) => setTimeout(resolve, i % 5));
      assert.equal(await worker.terminate(), 1);
    }
  });
});
