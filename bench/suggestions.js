'use strict';
// The suggestion rows of `npm run bench`: SpellService.suggest and check with suggestions, one
// worker against the default pool, with en_US and fr_FR (Debian's hunspell-fr); lists prepared
// after a check; resident memory per worker and per language. Every case in a process of its
// own (suggestions-case.js). Runs alone too: node bench/suggestions.js
// BENCH_SUGGEST_WORDS (default 200) misspellings for the latency rows, BENCH_CHECK_WORDS
// (default 1000) distinct misspellings in the check row (one worker needs 25 ms a word there).
const { execFileSync } = require('node:child_process');
const os = require('node:os');
const path = require('node:path');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const suggestWords = Number(process.env.BENCH_SUGGEST_WORDS || 200);
const checkWords = Number(process.env.BENCH_CHECK_WORDS || 1000);

function runCase(mode, languages, workers, count) {
  const out = execFileSync(process.execPath, ['--expose-gc', path.join(__dirname, 'suggestions-case.js'), mode, languages, String(workers), dictionaryDir, String(count)], {
    encoding: 'utf8',
    maxBuffer: 1 << 28,
  });
  return JSON.parse(out.trim().split('\n').pop());
}

const sorted = (xs) => [...xs].sort((a, b) => a - b);
const median = (xs) => {
  const s = sorted(xs);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};
const p95 = (xs) => sorted(xs)[Math.min(xs.length - 1, Math.floor(xs.length * 0.95))];
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const ms = (x) => x.toFixed(1);

function main() {
  const rows = [];
  const row = (...cells) => rows.push(cells.map(String));
  const both = 'en_US,fr_FR';

  // One call at a time: each language alone, both on one worker, both on the default pool, in
  // turns word by word.
  const turns = runCase('one-by-one', both, 'default', suggestWords);
  const [en, fr, serial, pooled] = turns.latencies;
  const slower = median(en) > median(fr) ? en : fr;
  for (const [label, latencies] of [['en_US, 1 worker', en], ['fr_FR, 1 worker', fr], ['en_US + fr_FR, 1 worker', serial], ['en_US + fr_FR, default pool', pooled]]) {
    row(`suggest one at a time (${suggestWords}): ${label}`, `median ${ms(median(latencies))} ms, p95 ${ms(p95(latencies))} ms`,
      `${(median(latencies) / median(slower)).toFixed(2)}× / ${(p95(latencies) / p95(slower)).toFixed(2)}× the slower language`);
  }
  row('  lists identical, 1 worker and default pool', same(turns.lists[2], turns.lists[3]), '');

  const versus = (label, result) => row(label, `1 worker ${ms(median(result.totals.one))} ms, default pool ${ms(median(result.totals.pool))} ms`,
    `${(median(result.totals.pool) / median(result.totals.one)).toFixed(2)}×, lists identical: ${same(result.lists.one, result.lists.pool)}`);
  versus('suggest, 100 calls at once, en_US + fr_FR (median of 3)', runCase('at-once', both, 'default', 100));
  versus('suggest, 300 calls at once, en_US + fr_FR (median of 3)', runCase('at-once', both, 'default', 300));
  versus('check with suggestions: 5, 300 distinct misspellings, en_US + fr_FR (median of 3)', runCase('check', both, 'default', 300));
  versus(`check with suggestions: 5, ${checkWords} distinct misspellings, en_US (median of 3)`, runCase('check', 'en_US', 'default', checkWords));

  const ready = runCase('ready', both, 'default', 100);
  row('suggest, word underlined by a check 500 ms before, en_US + fr_FR', `median ${ms(median(ready.latencies))} ms, p95 ${ms(p95(ready.latencies))} ms`, `${ready.latencies.length} words`);

  const memory = {};
  for (const languages of ['en_US', both]) {
    for (const workers of [1, 'default']) memory[`${languages} ${workers}`] = runCase('memory', languages, workers, 40);
  }
  for (const [key, m] of Object.entries(memory)) {
    row(`RSS, ${key.replace(',', ' + ').replace(/ 1$/, ', 1 worker').replace(/ default$/, ', default pool')}`, `idle ${m.idleMiB.toFixed(0)} MiB`, `with ${m.engines} workers busy ${m.busyMiB.toFixed(0)} MiB`);
  }
  const perLanguage = memory[`${both} 1`].idleMiB - memory['en_US 1'].idleMiB;
  const perWorker = (key) => (memory[key].busyMiB - memory[key].idleMiB) / Math.max(1, memory[key].engines - 1);
  row('  memory per language (fr_FR, one worker)', `${perLanguage.toFixed(0)} MiB`, '');
  row('  memory per extra worker', `en_US ${perWorker('en_US default').toFixed(0)} MiB`, `en_US + fr_FR ${perWorker(`${both} default`).toFixed(0)} MiB`);

  const header = ['SpellService suggestions', 'figures', 'ratio / check'];
  const widths = header.map((h, i) => Math.max(h.length, ...rows.map((r) => r[i].length)));
  const print = (cells) => console.log(cells.map((c, i) => c.padEnd(widths[i])).join(' | '));
  console.log(`\n${os.cpus().length} processors, default pool ${Math.min(4, os.availableParallelism ? os.availableParallelism() : os.cpus().length)} workers, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  print(header);
  print(widths.map((w) => '-'.repeat(w)));
  rows.forEach(print);
}

main();
