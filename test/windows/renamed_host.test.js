'use strict';
// The add-on in a host that is not called node.exe, as in an Electron application: its Node-API
// and libuv imports name "node.exe", and its delay-load hook binds them to whichever executable
// hosts it. scripts/test-windows runs this file with a copy of node.exe named app.exe, in a
// folder of its own; the first test makes sure that no node.exe could be found instead.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { Worker } = require('node:worker_threads');
const { addon, fixtureDictionary } = require('../js/helpers');

const { Spellchecker } = addon;

suite('a host executable named app.exe', () => {
  test('is this process, and no node.exe is within the loader\'s reach', () => {
    assert.equal(path.basename(process.execPath).toLowerCase(), 'app.exe');
    // The folders the Windows loader searches for a library named without a path.
    const searched = [path.dirname(process.execPath), process.cwd(),
      ...(process.env.PATH || '').split(';').filter(Boolean)];
    for (const folder of searched) {
      assert.equal(fs.existsSync(path.join(folder, 'node.exe')), false, folder);
    }
    const loaded = process.report.getReport().sharedObjects.map((file) => path.basename(file).toLowerCase());
    assert.ok(loaded.includes('app.exe'));
    assert.ok(loaded.includes('spellshell.node'));
    assert.equal(loaded.includes('node.exe'), false);
  });

  test('serves every call of the add-on: classes, strings, errors, the host mutex', (t) => {
    const dir = fixtureDictionary(t);
    const hunspell = new Spellchecker(true);
    assert.equal(hunspell.setDictionary('xx_TEST', dir), true);
    assert.deepEqual([hunspell.isMisspelled('hello'), hunspell.isMisspelled('helo')], [false, true]);
    assert.deepEqual(hunspell.getCorrectionsForMisspelling('cafe'), ['café']);
    assert.throws(() => hunspell.isMisspelled(), { name: 'Error', message: 'Bad argument.' });
    assert.throws(() => hunspell.isMisspelled(1), { name: 'TypeError', message: 'A string was expected' });
    // Without an argument the Windows backend is tried first; its constructor and destructor
    // take the host's uv_mutex_init and uv_mutex_destroy.
    assert.equal(typeof new Spellchecker().isHunspell(), 'boolean');
    assert.equal(addon.openProperties(''), undefined);
  });

  test('serves a worker thread, which loads the add-on into its own environment', async () => {
    const worker = new Worker(
      `const { parentPort, workerData } = require('node:worker_threads');
       const { Spellchecker } = require(workerData.addonPath);
       parentPort.postMessage(new Spellchecker(true).isHunspell());`,
      { eval: true, workerData: { addonPath: require.resolve('../..') } },
    );
    const [answer] = await Promise.all([
      new Promise((resolve, reject) => worker.once('message', resolve).once('error', reject)),
      new Promise((resolve) => worker.once('exit', resolve)),
    ]);
    assert.equal(answer, true);
  });
});
