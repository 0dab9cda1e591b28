'use strict';
// Hunspell stops some suggestion steps after a time limit. The limits count the calling
// thread's own work, so a busy machine (other processes, the service's other workers) gives the
// same lists as a quiet one.
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const { suite, test } = require('node:test');
const { addon, systemDictionaryDir } = require('./helpers');
const { SpellService } = require('../..');

// French misspellings: fr_FR's suggestions take about 100 ms of work each, most of it in steps
// that its limits end, so a limit measured on a wall clock cuts their lists short under load.
const WORDS = ['crtural', 'antiptatique', 'aérobiolgique', 'mégèr', 'cntrepartiste', 'brigandkerie'];
const hasFrench = fs.existsSync(path.join(systemDictionaryDir, 'fr_FR.dic'));

function quietLists() {
  const checker = new addon.Spellchecker(true);
  checker.setDictionary('fr_FR', systemDictionaryDir);
  return WORDS.map((word) => checker.getCorrectionsForMisspelling(word));
}

// Every processor kept busy by a spinning thread of this process and a spinning process.
function keepBusy() {
  const cores = os.availableParallelism ? os.availableParallelism() : os.cpus().length;
  const threads = Array.from({ length: cores }, () => new Worker('for (;;);', { eval: true }));
  const children = Array.from({ length: cores }, () => spawn(process.execPath, ['-e', 'for (;;);'], { stdio: 'ignore' }));
  return async () => {
    for (const child of children) child.kill();
    await Promise.all(threads.map((thread) => thread.terminate()));
  };
}

// Windows reads a thread's CPU time in scheduler ticks (15.6 ms; 10 ms under Wine), a fifth of
// the shortest limit: words near a limit get a longer or shorter list from one quiet run to the
// next, whatever the load, so the comparison holds only where the time is read to the
// microsecond.
const coarseThreadTimes = process.platform === 'win32' && 'thread CPU time is read in scheduler ticks here';

suite('suggestions under load', { skip: (!hasFrench && 'no fr_FR dictionary') || coarseThreadTimes }, () => {
  test('lists equal a quiet single-threaded run while every processor is busy', async () => {
    // A word whose quiet lists differ between two runs sits on a limit's edge (within the
    // clock's sampling); the others must not move at all.
    const first = quietLists();
    const second = quietLists();
    const steady = WORDS.filter((_, i) => JSON.stringify(first[i]) === JSON.stringify(second[i]));
    assert.ok(steady.length >= WORDS.length - 2, `only ${steady.length} of ${WORDS.length} words give steady lists`);

    const service = await SpellService.open({ languages: ['fr_FR'], dictionaryDirs: [systemDictionaryDir], workers: 2, backgroundSuggestions: false });
    const stop = keepBusy();
    try {
      const loaded = await Promise.all(WORDS.map((word) => service.suggest(word, { limit: 100 })));
      for (const word of steady) {
        const i = WORDS.indexOf(word);
        assert.deepEqual(loaded[i], first[i], word);
      }
    } finally {
      await stop();
      await service.close();
    }
  });
});
