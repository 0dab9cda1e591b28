'use strict';
// Soak and leak figures: the process's resident memory (RSS) through four long runs, each
// against its own starting value. A run first warms up (a tenth of its rounds), then goes on;
// after warm-up the figure must stay flat. Memory is measured after a full garbage collection,
// so the native objects of collected script objects are gone by then.
//
//   node --expose-gc bench/soak.js [phase ...]
//
// phases: calls (1,000,000 isMisspelled), objects (100,000 construct-and-collect cycles),
// reloads (1,000 setDictionary of en_US), workers (200 worker start/terminate cycles).
// SPELLSHELL_ADDON names another build of the add-on to load (a sanitized one, say).
const path = require('node:path');
const { Worker } = require('node:worker_threads');

if (typeof global.gc !== 'function') {
  console.error('soak: run with node --expose-gc');
  process.exit(2);
}

const addonPath = process.env.SPELLSHELL_ADDON
  ? path.resolve(process.env.SPELLSHELL_ADDON)
  : path.join(__dirname, '..', 'build', 'Release', 'spellshell.node');
const { Spellchecker } = require(addonPath);
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

const MB = 1024 * 1024;
async function settledRss() {
  // Two rounds: finalisers queued by the first collection run before the second.
  for (let i = 0; i < 2; i++) {
    global.gc();
    await new Promise((resolve) => setImmediate(resolve));
  }
  return process.memoryUsage().rss;
}

// Runs `round(i)` for `rounds` rounds and samples RSS at the start, after warm-up, and at
// every further tenth.
async function soak(name, rounds, round) {
  const samples = [{ at: 0, rss: await settledRss() }];
  const started = Date.now();
  const step = rounds / 10;
  for (let i = 0; i < rounds; i++) {
    await round(i);
    if ((i + 1) % step === 0) samples.push({ at: i + 1, rss: await settledRss() });
  }
  const [start, warm] = samples;
  const end = samples[samples.length - 1];
  const peak = Math.max(...samples.slice(1).map((s) => s.rss));
  return {
    name,
    rounds,
    seconds: (Date.now() - started) / 1000,
    start: start.rss / MB,
    warm: warm.rss / MB,
    end: end.rss / MB,
    peak: peak / MB,
    growthAfterWarmUp: (end.rss - warm.rss) / MB,
    curve: samples.slice(1).map((s) => (s.rss / MB).toFixed(1)).join(' '),
  };
}

function loadedChecker() {
  const checker = new Spellchecker(true);
  if (!checker.setDictionary('en_US', dictionaryDir)) throw new Error(`no en_US in ${dictionaryDir}`);
  return checker;
}

const PHASES = {
  // A million calls, most words never seen before (a made-up word per call, some real ones).
  calls: () => {
    const checker = loadedChecker();
    const real = ['word', 'colour', 'color', 'spelling', 'wrod', "don't", 'naïve'];
    return soak('1,000,000 isMisspelled calls', 1_000_000, (i) => {
      checker.isMisspelled(i % 4 === 0 ? real[i % real.length] : `w${i.toString(36)}x`);
    });
  },
  // Objects made, used once and dropped, with a collection every 1,000 and a turn of the event
  // loop after it, where Node runs the finalisers that free the native objects.
  objects: () =>
    soak('100,000 construct-and-collect cycles', 100_000, async (i) => {
      const checker = i % 2 ? new Spellchecker(true) : new Spellchecker();
      checker.isMisspelled('word');
      if (i % 1000 === 999) {
        global.gc();
        await new Promise((resolve) => setImmediate(resolve));
      }
    }),
  // The same object loads en_US again and again, with a word added each time.
  reloads: () => {
    const checker = loadedChecker();
    return soak('1,000 setDictionary reloads of en_US', 1_000, (i) => {
      checker.setDictionary('en_US', dictionaryDir);
      checker.add(`soak${i}`);
    });
  },
  // Each worker loads the add-on into its own environment, loads en_US, and is terminated
  // while it checks words in a loop.
  workers: () =>
    soak('200 worker start/terminate cycles', 200, async () => {
      const worker = new Worker(
        `const { parentPort, workerData } = require('node:worker_threads');
         const { Spellchecker } = require(workerData.addonPath);
         const checker = new Spellchecker(true);
         checker.setDictionary('en_US', workerData.dictionaryDir);
         parentPort.postMessage('ready');
         for (;;) checker.isMisspelled('wrod');`,
        { eval: true, workerData: { addonPath, dictionaryDir } },
      );
      await new Promise((resolve, reject) => {
        worker.once('message', resolve);
        worker.once('error', reject);
      });
      await worker.terminate();
    }),
};

async function main() {
  const names = process.argv.length > 2 ? process.argv.slice(2) : Object.keys(PHASES);
  for (const name of names) {
    if (!PHASES[name]) throw new Error(`soak: unknown phase ${name} (${Object.keys(PHASES).join(', ')})`);
  }
  console.log(`soak: ${addonPath}, node ${process.version}`);
  const rows = [];
  for (const name of names) {
    const r = await PHASES[name]();
    rows.push(r);
    console.log(`${r.name}: RSS ${r.start.toFixed(1)} MB at start, ${r.warm.toFixed(1)} MB after warm-up, ` +
      `${r.end.toFixed(1)} MB at the end (peak ${r.peak.toFixed(1)}); ` +
      `${r.growthAfterWarmUp >= 0 ? '+' : ''}${r.growthAfterWarmUp.toFixed(1)} MB after warm-up; ${r.seconds.toFixed(1)} s`);
    console.log(`  RSS at each tenth, MB: ${r.curve}`);
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
