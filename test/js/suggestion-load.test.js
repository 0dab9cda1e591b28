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
const { addon, systemDictionaryDir, seededRandom } = require('./helpers');
const { SpellService } = require('../..');
const { Ranker } = require('../../lib/service/ranking');

const hasFrench = fs.existsSync(path.join(systemDictionaryDir, 'fr_FR.dic'));

// French misspellings (a letter dropped from seeded words of the list): fr_FR's suggestions take
// about 100 ms of work each, most of it in steps that its limits end, so a limit measured on a
// wall clock cuts most of their lists short under load.
function frenchMisspellings(checker, count) {
  const next = seededRandom(20261209);
  const words = fs.readFileSync(path.join(systemDictionaryDir, 'fr_FR.dic'), 'utf8').split('\n').slice(1)
    .map((line) => line.split('/')[0]).filter((word) => /^[a-zé]{7,}$/.test(word));
  const found = [];
  while (found.length < count) {
    const word = words[Math.floor(next() * words.length)];
    const at = 1 + Math.floor(next() * (word.length - 2));
    const misspelled = word.slice(0, at) + word.slice(at + 1);
    if (checker.isMisspelled(misspelled) && !found.includes(misspelled)) found.push(misspelled);
  }
  return found;
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
// The sanitized add-on spends several times the CPU on every step, so many more words end in a
// limit and their lists turn on how much a core gets done per millisecond: there the calls run
// for what the sanitizers see, and the lists are compared in the ordinary run.
const comparable = process.env.SPELLSHELL_ADDON === undefined;

suite('suggestions under load', { skip: (!hasFrench && 'no fr_FR dictionary') || coarseThreadTimes }, () => {
  test('lists equal a quiet single-threaded run while every processor is busy', async () => {
    const checker = new addon.Spellchecker(true);
    checker.setDictionary('fr_FR', systemDictionaryDir);
    const words = frenchMisspellings(checker, 30);
    // The service ranks Hunspell's lists (deterministically): the quiet run does the same.
    const ranker = new Ranker({ language: 'fr_FR', tag: 'fr-FR', dir: systemDictionaryDir, backend: 'hunspell' }, checker);
    const quiet = () => words.map((word) => JSON.stringify(ranker.rank(word, checker.getCorrectionsForMisspelling(word))));
    // A word whose quiet lists differ between two runs sits on a limit's edge; so, under load,
    // may a word or two more: a busy core does less per millisecond of its time (a shared cache,
    // a sibling hyperthread), which no clock of time can tell. A wall clock, the cause this
    // guards against, changed most of these lists.
    const first = quiet();
    const second = quiet();
    const steady = words.filter((_, i) => first[i] === second[i]);
    if (comparable) assert.ok(steady.length >= words.length - 3, `only ${steady.length} of ${words.length} words give steady lists`);

    const service = await SpellService.open({ languages: ['fr_FR'], dictionaryDirs: [systemDictionaryDir], workers: 2, backgroundSuggestions: false });
    const stop = keepBusy();
    try {
      const loaded = await Promise.all(words.map((word) => service.suggest(word, { limit: 100 })));
      const moved = steady.filter((word) => JSON.stringify(loaded[words.indexOf(word)]) !== first[words.indexOf(word)]);
      assert.equal(loaded.length, words.length);
      if (comparable) assert.ok(moved.length <= 3, `${moved.length} of ${steady.length} lists changed under load: ${moved.join(', ')}`);
    } finally {
      await stop();
      await service.close();
    }
  });
});
