'use strict';
// `npm run bench`: every case in a process of its own, several runs each, medians, and ratios
// against the plain C++ Hunspell loop measured in the same run. See bench/README.md.
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { makeInputs } = require('./inputs');

const root = path.join(__dirname, '..');
const dataDir = path.join(__dirname, 'data');
const baseline = path.join(root, 'build', 'bench', 'bench', 'hunspell_baseline');
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const runs = Number(process.env.BENCH_RUNS || 7);
// BENCH_ONLY=load: the load rows alone (en_US, fr_FR, de_DE), a minute or two; unset, every row.
const only = process.env.BENCH_ONLY;
// Every case runs on one processor (BENCH_CPU, default 0; "none" to let the system choose):
// on a virtual machine the processors can differ in speed by a quarter from run to run.
const cpu = process.env.BENCH_CPU || '0';
const pin = (command, args) => (cpu !== 'none' && process.platform === 'linux' ? ['taskset', ['-c', cpu, command, ...args]] : [command, args]);
const peers = ['minimal', 'spellshell', 'nspell', 'hunspell-asm'];
// The floor any per-word binding pays (bench/minimal_binding.cc): only the per-word rows.
const perWord = ['baseline', ...peers];
const loaders = perWord.filter((impl) => impl !== 'minimal');
const data = (name) => path.join(dataDir, name);

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};
const percentile = (xs, p) => [...xs].sort((a, b) => a - b)[Math.min(xs.length - 1, Math.floor(xs.length * p))];

function runCase(impl, args) {
  const [command, commandArgs] =
    impl === 'baseline'
      ? pin(baseline, [dictionaryDir, ...args])
      : pin(process.execPath, ['--expose-gc', path.join(__dirname, 'case.js'), impl, args[0], dictionaryDir, ...args.slice(1)]);
  const out = execFileSync(command, commandArgs, { encoding: 'utf8', maxBuffer: 1 << 26 });
  return JSON.parse(out.trim().split('\n').pop());
}

// For each key and implementation, the median over `runs` separate processes. The runs take
// turns (all implementations once, then again), so that a slow spell of the machine does not
// fall on one implementation alone.
function measureKeys(impls, args, keys) {
  const values = Object.fromEntries(keys.map((key) => [key, Object.fromEntries(impls.map((impl) => [impl, []]))]));
  for (let i = 0; i < runs; i++) {
    for (const impl of impls) {
      const result = runCase(impl, args);
      for (const key of keys) values[key][impl].push(result[key]);
    }
  }
  return Object.fromEntries(keys.map((key) => [key, Object.fromEntries(impls.map((impl) => [impl, median(values[key][impl])]))]));
}
const measureAll = (impls, args, key) => measureKeys(impls, args, [key])[key];

// Suggestion latency for each implementation over `count` processes each, taking turns like
// measureAll: one suggestion takes tens of milliseconds, long enough for the machine's slow
// spells to land on a few of them.
function suggestions(impls, file, count) {
  const latencies = Object.fromEntries(impls.map((impl) => [impl, []]));
  const lists = {};
  for (let i = 0; i < count; i++) {
    for (const impl of impls) {
      const out = path.join(os.tmpdir(), `spellshell-bench-${impl}-${process.pid}.jsonl`);
      latencies[impl].push(...runCase(impl, ['suggest', data(file), out]).latenciesUs);
      lists[impl] = fs.readFileSync(out, 'utf8').split('\n').filter(Boolean).map((l) => JSON.parse(l));
      fs.rmSync(out);
    }
  }
  return Object.fromEntries(
    impls.map((impl) => [impl, { median: median(latencies[impl]), p95: percentile(latencies[impl], 0.95), lists: lists[impl] }]),
  );
}

function main() {
  if (!fs.existsSync(baseline)) throw new Error(`build the baseline first: ${baseline}`);
  const all = loaders;
  const rows = [];
  const row = (name, unit, values, higherIsBetter) => rows.push({ name, unit, values, higherIsBetter });

  // Loading: the dictionary and the first answer (setDictionary and the first isMisspelled for
  // the add-on, new Hunspell and its first spell for the C++ loop), and the resident memory it
  // adds. nspell takes seconds over the French and German lists: en_US only. de_DE where
  // Debian's hunspell-de-de is installed (this script installs it).
  for (const [language, impls] of [
    ['en_US', all],
    ['fr_FR', all.filter((impl) => impl !== 'nspell')],
    ['de_DE', all.filter((impl) => impl !== 'nspell')],
  ]) {
    if (!fs.existsSync(path.join(dictionaryDir, `${language}.dic`))) continue;
    const { loadMs, loadCpuMs, memoryKiB } = measureKeys(impls, ['load', language], ['loadMs', 'loadCpuMs', 'memoryKiB']);
    row(`load ${language}`, 'ms', loadMs, false);
    row(`load ${language}, processor time`, 'ms', loadCpuMs, false);
    row(`load ${language} memory`, 'MiB', Object.fromEntries(impls.map((impl) => [impl, memoryKiB[impl] / 1024])), false);
  }
  if (only === 'load') return printTable(rows, []);

  if (!fs.existsSync(data('text.txt'))) {
    const counts = makeInputs({ dataDir, baseline, dictionaryDir });
    console.log(`inputs: ${JSON.stringify(counts)}`);
  }

  for (const [label, mode, file] of [
    ['distinct correct words, new object', 'fresh', 'correct.txt'],
    ['distinct misspellings, new object', 'fresh', 'misspelled.txt'],
    ['distinct correct words, long-lived', 'distinct', 'correct.txt'],
    ['distinct misspellings, long-lived', 'distinct', 'misspelled.txt'],
    ['running text, new object per pass', 'running', 'running.txt'],
  ]) {
    const rates = measureAll(perWord, [mode, data(file)], 'wordsPerSecond');
    row(label, 'k words/s', Object.fromEntries(perWord.map((impl) => [impl, rates[impl] / 1000])), true);
  }

  const suggestRuns = Number(process.env.BENCH_SUGGEST_RUNS || 5);
  const { baseline: base, spellshell: ours } = suggestions(['baseline', 'spellshell'], 'suggest.txt', suggestRuns);
  // The peers are far slower at suggesting: a shorter list, one run.
  fs.writeFileSync(data('suggest-peers.txt'), fs.readFileSync(data('suggest.txt'), 'utf8').split('\n').slice(0, 50).join('\n') + '\n');
  const peerSuggest = suggestions(['nspell', 'hunspell-asm'], 'suggest-peers.txt', 1);
  const sets = { baseline: base, spellshell: ours, ...peerSuggest };
  row('suggest median', 'µs', Object.fromEntries(all.map((i) => [i, sets[i].median])), false);
  row('suggest p95', 'µs', Object.fromEntries(all.map((i) => [i, sets[i].p95])), false);

  const identical = base.lists.every((list, i) => JSON.stringify(list) === JSON.stringify(ours.lists[i]));
  const firstAgrees = (impl) => {
    const lists = sets[impl].lists;
    const agree = lists.filter((list, i) => list[0] === base.lists[i][0]).length;
    return `${Math.round((100 * agree) / lists.length)}%`;
  };

  const find = runCase('baseline', ['find', data('text.txt')]);
  const construct = runCase('spellshell', ['construct']);
  const bare = measureAll(['spellshell'], ['bare'], 'nsPerCall').spellshell;

  // Cells for the columns after the measure's name, by implementation; '-' where none.
  const cells = (byImpl) => perWord.map((impl) => byImpl[impl] ?? '-');
  const lines = [];
  lines.push(['suggest lists identical to C++', ...cells({ spellshell: identical ? 'yes' : 'NO' })]);
  lines.push([
    'first suggestion agrees with C++',
    ...cells({ baseline: '100%', ...Object.fromEntries(['spellshell', 'nspell', 'hunspell-asm'].map((i) => [i, firstAgrees(i)])) }),
  ]);
  lines.push([
    'FindMisspellings (k words/s)',
    ...cells({
      baseline: fmt(find.plainWordsPerSecond / 1000),
      spellshell: `${fmt(find.findWordsPerSecond / 1000)} (${(find.findWordsPerSecond / find.plainWordsPerSecond).toFixed(2)}×)`,
    }),
  ]);
  // Per-call time over Hunspell's own spell, from the rows measured on new objects.
  const perCall = (impl, label) => 1e9 / (rows.find((r) => r.name === label).values[impl] * 1000);
  const overhead = (impl) =>
    `${fmt(perCall(impl, 'distinct correct words, new object') - perCall('baseline', 'distinct correct words, new object'))} correct, ` +
    `${fmt(perCall(impl, 'distinct misspellings, new object') - perCall('baseline', 'distinct misspellings, new object'))} misspelled`;
  lines.push([
    'overhead per call over spell, new object (ns)',
    ...cells({ minimal: overhead('minimal'), spellshell: `${overhead('spellshell')} (a bare isHunspell call: ${fmt(bare)})` }),
  ]);
  lines.push(['construct + collect (ns each; RSS growth over 300k)', ...cells({ spellshell: `${fmt(construct.nsPerConstruction)} ns, ${fmt(construct.growthKiB)} KiB` })]);

  printTable(rows, lines);
}

const fmt = (v) => (v >= 100 ? v.toFixed(0) : v >= 10 ? v.toFixed(1) : v.toFixed(2));

// The rows, each value with its ratio to the C++ loop's, then the lines made of several rows.
function printTable(rows, extraLines) {
  const header = ['measure', 'C++ Hunspell', 'minimal binding', 'spellshell', 'nspell', 'hunspell-asm'];
  const lines = rows.map(({ name, unit, values, higherIsBetter }) => [
    `${name} (${unit})`,
    fmt(values.baseline),
    ...peers.map((p) => {
      if (values[p] === undefined) return '-';
      const ratio = higherIsBetter ? values[p] / values.baseline : values.baseline / values[p];
      return `${fmt(values[p])} (${ratio.toFixed(2)}×)`;
    }),
  ]);
  lines.push(...extraLines);
  const widths = header.map((h, i) => Math.max(h.length, ...lines.map((l) => String(l[i]).length)));
  const print = (cells) => console.log(cells.map((c, i) => String(c).padEnd(widths[i])).join(' | '));
  const suggestRuns = Number(process.env.BENCH_SUGGEST_RUNS || 5);
  console.log(
    `\nmedians of ${runs} runs${only ? '' : ` (suggest: ${suggestRuns})`}, on processor ${cpu}; load average ${os
      .loadavg()
      .map((l) => l.toFixed(2))
      .join(' ')}`,
  );
  print(header);
  print(widths.map((w) => '-'.repeat(w)));
  lines.forEach(print);
}

main();
