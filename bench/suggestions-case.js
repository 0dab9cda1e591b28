'use strict';
// One suggestion benchmark case in a process of its own; prints one JSON object.
//   node suggestions-case.js CASE LANGUAGES WORKERS DICTIONARY_DIR [COUNT]
// one-by-one: suggest over COUNT misspellings, one call at a time, on four services in turn
//             (each language alone on one worker, LANGUAGES on one worker and on WORKERS), so
//             that the machine's slow spells fall on all alike: latencies and lists of each.
// at-once:    COUNT suggest calls made together, on one worker and on WORKERS in turn (three
//             rounds, each on a service just opened): total times and lists.
// check:      check(text, { suggestions: 5 }) on a text of COUNT distinct misspellings, in
//             turns like at-once.
// ready:      suggest for a word underlined by a check 500 ms earlier, COUNT times.
// memory:     resident memory idle after open, and once every worker runs.
const fs = require('node:fs');
const path = require('node:path');
const { performance } = require('node:perf_hooks');
const { Spellchecker, SpellService } = require('..');
const { printCase } = require('./print-case');

const [mode, languageList, workerArg, dictionaryDir, countArg] = process.argv.slice(2);
const languages = languageList.split(',');
const workers = workerArg === 'default' ? undefined : Number(workerArg);
const count = Number(countArg || 200);

// Seeded misspellings of en_US words (a letter dropped, added or replaced) that every language
// of the case rejects: the same list in every process. Unchecked, no checker is loaded on this
// thread (the memory case measures the service alone).
function misspellings(n, { checked = true, seed = 21 } = {}) {
  const checkers = !checked ? [] : languages.map((language) => {
    const checker = new Spellchecker(true);
    checker.setDictionary(language, dictionaryDir);
    return checker;
  });
  const words = fs.readFileSync(path.join(dictionaryDir, 'en_US.dic'), 'utf8').split('\n').slice(1)
    .map((line) => line.split('/')[0].trim()).filter((word) => /^[a-z]{5,}$/.test(word));
  let state = seed;
  const random = () => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return state / 2 ** 32;
  };
  const found = new Set();
  while (found.size < n) {
    const word = words[Math.floor(random() * words.length)];
    const at = Math.floor(random() * word.length);
    const letter = 'abcdefghijklmnopqrstuvwxyz'[Math.floor(random() * 26)];
    const kind = random();
    const wrong = kind < 0.33 ? word.slice(0, at) + word.slice(at + 1)
      : kind < 0.66 ? word.slice(0, at) + letter + word.slice(at) : word.slice(0, at) + letter + word.slice(at + 1);
    if (checkers.every((checker) => checker.isMisspelled(wrong))) found.add(wrong);
  }
  return [...found];
}

const rssMiB = () => process.memoryUsage().rss / 1024 / 1024;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function main() {
  const words = misspellings(count, { checked: mode !== 'memory' });
  let service;
  try {
    if (mode === 'one-by-one') {
      const setups = [...languages.map((language) => [[language], 1]), [languages, 1], [languages, workers]];
      const services = [];
      for (const [setupLanguages, setupWorkers] of setups) {
        services.push(await SpellService.open({ languages: setupLanguages, dictionaryDirs: [dictionaryDir], backend: 'hunspell', workers: setupWorkers, backgroundSuggestions: false }));
      }
      await Promise.all(services.map((one) => Promise.all(misspellings(count + 4).slice(count).map((word) => one.suggest(word)))));
      const latencies = services.map(() => []);
      const lists = services.map(() => []);
      for (const word of words) {
        for (const [i, one] of services.entries()) {
          const start = performance.now();
          lists[i].push(await one.suggest(word, { limit: 10 }));
          latencies[i].push(performance.now() - start);
        }
      }
      await Promise.all(services.map((one) => one.close()));
      return { latencies, lists };
    }
    if (mode === 'at-once' || mode === 'check') {
      const text = words.map((word, i) => `${word} ${i % 2 ? 'the text' : 'and more'}`).join(' ');
      const run = mode === 'at-once'
        ? (one) => Promise.all(words.map((word) => one.suggest(word, { limit: 10 })))
        : async (one) => (await one.check(text, { suggestions: 5 })).map((m) => m.suggestions);
      const totals = { one: [], pool: [] };
      const lists = {};
      for (let round = 0; round < 3; round++) {
        for (const [key, setupWorkers] of [['one', 1], ['pool', workers]]) {
          const one = await SpellService.open({ languages, dictionaryDirs: [dictionaryDir], backend: 'hunspell', workers: setupWorkers, backgroundSuggestions: false });
          const start = performance.now();
          lists[key] = await run(one);
          totals[key].push(performance.now() - start);
          await one.close();
        }
      }
      return { totals, lists };
    }
    service = await SpellService.open({ languages, dictionaryDirs: [dictionaryDir], backend: 'hunspell', workers, backgroundSuggestions: mode === 'ready' });
    if (mode === 'ready') {
      // A session that has opened a context menu or two: the pool's workers run.
      await Promise.all(misspellings(count + 10).slice(count).map((word) => service.suggest(word)));
      const latencies = [];
      for (let i = 0; i + 5 <= words.length; i += 5) {
        const five = words.slice(i, i + 5);
        await service.check(`The ${five.join(' and ')} were here.`);
        await sleep(500);
        const start = performance.now();
        await service.suggest(five[2], { limit: 10 });
        latencies.push(performance.now() - start);
      }
      return { latencies };
    }
    if (mode === 'memory') {
      global.gc?.();
      await sleep(200);
      const idle = rssMiB();
      await Promise.all(words.map((word) => service.suggest(word)));
      const engines = service._pool.engines;
      global.gc?.();
      await sleep(200);
      return { idleMiB: idle, busyMiB: rssMiB(), engines };
    }
    throw new Error(`unknown case ${mode}`);
  } finally {
    await service?.close();
  }
}

printCase(main());
