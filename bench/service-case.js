'use strict';
// One SpellService benchmark case in a process of its own; prints one JSON object.
//   node service-case.js throughput|lag|format|format-lag LANGUAGES DICTIONARY_DIR CORPUS [FORMAT]
// throughput: check() on the corpus against the plain loop (a Unicode regular expression and
//   isMisspelled per word, per language) on the same text, taking turns, each for 500 ms a turn.
// lag: the largest delay of a 5 ms interval timer on this thread while check() works through
//   5 MB of the corpus.
// format: check() of the corpus (5 MB of Markdown or HTML) as FORMAT against check() of the same
//   text as 'plain', taking turns; words per second counted by the plain text's words, so that
//   the ratio is the ratio of the times.
// format-lag: lag, while the corpus is checked as FORMAT.
const fs = require('node:fs');
const { performance } = require('node:perf_hooks');
const { Spellchecker, SpellService } = require('..');
const { printCase } = require('./print-case');

const [mode, languageList, dictionaryDir, corpus, format] = process.argv.slice(2);
const languages = languageList.split(',');
const text = fs.readFileSync(corpus, 'utf8');

// What an application writes without the service: one checker per language, a word is
// misspelled when all reject it.
function plainLoop() {
  const checkers = languages.map((language) => {
    const checker = new Spellchecker(true);
    if (!checker.setDictionary(language, dictionaryDir)) throw new Error(`no ${language}`);
    return checker;
  });
  return (input) => {
    let words = 0;
    let misspelled = 0;
    for (const match of input.matchAll(/\p{L}+(?:'\p{L}+)*/gu)) {
      words++;
      if (checkers.every((checker) => checker.isMisspelled(match[0]))) misspelled++;
    }
    return { words, misspelled };
  };
}

// Runs fn over and over for at least `ms`; returns the passes per second.
async function rate(fn, ms = 500) {
  let passes = 0;
  const start = performance.now();
  do {
    await fn();
    passes++;
  } while (performance.now() - start < ms);
  return passes / ((performance.now() - start) / 1000);
}

// The largest delay of a 5 ms interval timer on this thread while `check` runs.
async function lagDuring(check, characters) {
  let last = performance.now();
  let maxLagMs = 0;
  const timer = setInterval(() => {
    const now = performance.now();
    maxLagMs = Math.max(maxLagMs, now - last - 5);
    last = now;
  }, 5);
  const start = performance.now();
  const found = await check();
  const checkMs = performance.now() - start;
  clearInterval(timer);
  return { maxLagMs, checkMs, misspellings: found.length, characters };
}

async function main() {
  const service = await SpellService.open({ languages, dictionaryDirs: [dictionaryDir], backend: 'hunspell' });
  try {
    if (mode === 'throughput') {
      const plain = plainLoop();
      const { words, misspelled } = plain(text);
      const flagged = (await service.check(text)).length;
      const plainRates = [];
      const serviceRates = [];
      for (let turn = 0; turn < 3; turn++) {
        plainRates.push(await rate(() => plain(text)));
        serviceRates.push(await rate(() => service.check(text)));
      }
      const best = (xs) => Math.max(...xs);
      return {
        words,
        plainMisspelled: misspelled,
        serviceMisspelled: flagged,
        plainWordsPerSecond: best(plainRates) * words,
        serviceWordsPerSecond: best(serviceRates) * words,
      };
    }
    if (mode === 'format') {
      const words = (text.match(/\p{L}+(?:'\p{L}+)*/gu) ?? []).length;
      const plainRates = [];
      const formatRates = [];
      const formatFlagged = (await service.check(text, { format })).length;
      const plainFlagged = (await service.check(text)).length;
      for (let turn = 0; turn < 3; turn++) {
        plainRates.push(await rate(() => service.check(text), 1500));
        formatRates.push(await rate(() => service.check(text, { format }), 1500));
      }
      const best = (xs) => Math.max(...xs);
      return {
        words,
        plainFlagged,
        formatFlagged,
        plainWordsPerSecond: best(plainRates) * words,
        formatWordsPerSecond: best(formatRates) * words,
      };
    }
    if (mode === 'format-lag') {
      await service.check(text.slice(0, 100000), { format });
      return await lagDuring(() => service.check(text, { format }), text.length);
    }
    if (mode === 'lag') {
      let big = text;
      while (big.length < 5 * 1024 * 1024) big += `\n${text}`;
      big = big.slice(0, 5 * 1024 * 1024);
      await service.check(text); // the worker warmed up, as in an editor that checked before
      return await lagDuring(() => service.check(big), big.length);
    }
    throw new Error(`unknown mode ${mode}`);
  } finally {
    await service.close();
  }
}

printCase(main());
