'use strict';
// How much of what we report is noise, against the docs checker projects run in CI (cspell,
// installed under bench/ only), on real files with seeded typos.
//   node bench/precision.js            (a minute or two; `npm run bench` runs it at the end)
// The corpus is formats-corpus.js's (25 files of each kind, 3 typos seeded into the prose of
// each), plus plain-text docs from /usr/share/doc and one whole docs folder: npm's own
// (/usr/lib/node_modules/npm/docs/content, every file, up to 3 typos each). Each file is
// checked as the command line would: its format and vocabularies by its name, its own words,
// its directives, and the words its place gives it (its package's names, its base name, from
// where the file was taken). Each lever is also measured alone, on top of the formats.
// cspell runs with its defaults for each file type (`cspell lint --no-progress --no-summary
// --no-color --no-gitignore --config <an empty config>`), in one process per kind.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { random } = require('./inputs');
const { KINDS, makeCorpus, walk, outDir } = require('./formats-corpus');

const root = path.join(__dirname, '..');
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const NPM_DOCS = process.env.PRECISION_DOCS || '/usr/lib/node_modules/npm/docs/content';
const cspellBin = path.join(__dirname, 'node_modules', '.bin', 'cspell');
// What a random sample of the docs folder's remaining reports shows (the report classifies it
// by hand).
const SAMPLE = Number(process.env.PRECISION_SAMPLE || 20);

const PLAIN = {
  name: 'plain text',
  format: 'plain',
  extension: '.txt',
  files: () => walk('/usr/share/doc', (f) => /^(?:readme|news|todo|changes|faq|authors|thanks|changelog)(?:\.txt)?$|\.txt$/i.test(path.basename(f))),
  prose: (text) => text,
};
const DOCS = {
  name: 'docs folder',
  format: 'markdown',
  extension: '.md',
  whole: NPM_DOCS,
  sized: () => true,
  files: () => walk(NPM_DOCS, (f) => f.endsWith('.md')),
  // npm's pages open with front matter (title, description), which is data, not prose.
  prose: (text) => KINDS[0].prose(text.replace(/^---\n[\s\S]*?\n---\n/, '')),
};

// The settings of each run: the levers, alone and together.
const RUNS = [
  ['formats only', { vocabularies: false, directives: false, ownWords: false, place: false }],
  ['+ vocabularies', { vocabularies: true, directives: false, ownWords: false, place: false }],
  ['+ own words', { vocabularies: false, directives: false, ownWords: true, place: false }],
  ['+ package/file names', { vocabularies: false, directives: false, ownWords: false, place: true }],
  ['+ directives', { vocabularies: false, directives: true, ownWords: false, place: false }],
  ['all', { vocabularies: true, directives: true, ownWords: true, place: true }],
];

function cspell(dir, files) {
  const config = path.join(outDir, 'cspell-bench.json');
  fs.writeFileSync(config, '{ "version": "0.2" }\n');
  const run = spawnSync(cspellBin, ['lint', '--no-progress', '--no-summary', '--no-color', '--no-gitignore', '--config', config, ...files.map((f) => path.relative(dir, f))], { cwd: dir, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (run.error) throw run.error;
  const byFile = new Map(files.map((f) => [f, []]));
  for (const line of run.stdout.split('\n')) {
    const match = /^(.*):(\d+):(\d+) - \w+ word \(([^)]*)\)/.exec(line);
    if (match) byFile.get(path.resolve(dir, match[1]))?.push(match[4]);
  }
  return byFile;
}

async function main() {
  const spellshell = require('..');
  const { packageWords } = require('../lib/project/package-words');
  const { PersonalWords } = require('../lib/words/personal-words');
  const checker = new spellshell.Spellchecker(true);
  if (!checker.setDictionary('en_US', dictionaryDir)) throw new Error(`no en_US in ${dictionaryDir}`);
  if (!fs.existsSync(cspellBin)) throw new Error('cspell is not installed: cd bench && npm ci');
  const cspellVersion = spawnSync(cspellBin, ['--version'], { encoding: 'utf8' }).stdout.trim();
  const service = await spellshell.SpellService.open({ languages: ['en_US'], dictionaryDirs: [dictionaryDir], backend: 'hunspell', backgroundSuggestions: false });
  const only = process.env.PRECISION_KINDS ? process.env.PRECISION_KINDS.split(',') : null;
  const kinds = [...KINDS, PLAIN, ...(fs.existsSync(NPM_DOCS) ? [DOCS] : [])].filter((kind) => !only || only.includes(kind.name));
  const rows = [];
  let docsReports = [];
  try {
    for (const kind of kinds) {
      const next = random([...kind.name].reduce((sum, c) => sum * 31 + c.charCodeAt(0), 19) | 0);
      const corpus = makeCorpus(kind, checker, next);
      const dir = path.join(outDir, kind.name.replace(/\W+/g, '-'));
      const theirs = cspell(dir, corpus.map((c) => c.file));
      const row = { kind: kind.name, files: corpus.length, seeded: 0, runs: {}, cspell: { reports: 0, words: new Set(), found: 0, perFile: 0 }, missed: [] };
      for (const [name] of RUNS) row.runs[name] = { reports: 0, words: new Set(), found: 0, perFile: 0 };
      for (const { file, source, seeded } of corpus) {
        const text = fs.readFileSync(file, 'utf8');
        row.seeded += seeded.length;
        const format = spellshell.formatForPath(file);
        const vocabularies = spellshell.vocabulariesFor(format, spellshell.languageIdForPath(file));
        const place = new PersonalWords(packageWords(source));
        for (const [name, lever] of RUNS) {
          const found = await service.check(text, { format, vocabularies: lever.vocabularies && vocabularies, directives: lever.directives, ownWords: lever.ownWords });
          const kept = lever.place ? found.filter((m) => !place.has(m.word.normalize('NFC'))) : found;
          const run = row.runs[name];
          run.reports += kept.length;
          for (const m of kept) run.words.add(m.word);
          run.perFile += new Set(kept.map((m) => m.word)).size;
          const covered = seeded.filter((typo) => kept.some((m) => m.start <= typo.start && m.end >= typo.start + typo.word.length));
          run.found += covered.length;
          if (name === 'all') for (const typo of seeded) if (!covered.includes(typo)) row.missed.push(typo.word);
          if (name === 'all' && process.env.PRECISION_DUMP) fs.appendFileSync(process.env.PRECISION_DUMP, kept.map((m) => `${kind.name}\t${path.basename(file)}\t${m.word}\n`).join(''));
          // The sample is of what the folder itself makes us report: the seeded typos left out.
          if (name === 'all' && kind === DOCS) docsReports.push(...kept.filter((m) => !seeded.some((t) => t.start === m.start)).map((m) => ({ file: path.relative(dir, file), word: m.word, at: m.start, text })));
        }
        const list = theirs.get(file);
        if (process.env.PRECISION_DUMP) fs.appendFileSync(process.env.PRECISION_DUMP, list.map((word) => `cspell ${kind.name}\t${path.basename(file)}\t${word}\n`).join(''));
        row.cspell.reports += list.length;
        for (const word of list) row.cspell.words.add(word);
        row.cspell.perFile += new Set(list).size;
        row.cspell.found += seeded.filter((typo) => list.includes(typo.word)).length;
      }
      rows.push(row);
    }
  } finally {
    await service.close();
  }

  // cspell prints a word at most 5 times per file (its maxDuplicateProblems): the distinct
  // words of each file, summed, compare the two whatever their policy on repeats.
  console.log(`\nPrecision against ${cspellVersion === '' ? 'cspell' : `cspell ${cspellVersion}`} (its defaults per file type)`);
  console.log('reports (distinct words of the kind) / distinct words per file, summed; recall: seeded typos found');
  console.log('| files | spellshell | cspell | ratio (per file) | recall (ours, cspell) |');
  console.log('|---|---|---|---|---|');
  for (const row of rows) {
    const ours = row.runs.all;
    const ratio = ours.reports / Math.max(1, row.cspell.reports);
    const perFile = ours.perFile / Math.max(1, row.cspell.perFile);
    console.log(`| ${row.files} ${row.kind} | ${ours.reports} (${ours.words.size}) / ${ours.perFile} | ${row.cspell.reports} (${row.cspell.words.size}) / ${row.cspell.perFile} | ${ratio.toFixed(2)}× (${perFile.toFixed(2)}×) | ${(ours.found / row.seeded).toFixed(3)}, ${(row.cspell.found / row.seeded).toFixed(3)} |`);
    if (row.missed.length > 0) console.log(`  ${row.kind}: seeded typos not found: ${row.missed.join(', ')}`);
  }
  console.log('\nEach lever alone (reports, seeded typos found):');
  console.log(`| files | ${RUNS.map(([name]) => name).join(' | ')} |`);
  console.log(`|---|${RUNS.map(() => '---').join('|')}|`);
  for (const row of rows) {
    console.log(`| ${row.kind} | ${RUNS.map(([name]) => `${row.runs[name].reports} (${row.runs[name].found}/${row.seeded})`).join(' | ')} |`);
  }
  if (docsReports.length > 0 && SAMPLE > 0) {
    const next = random(2718);
    console.log(`\n${SAMPLE} random reports that remain on the docs folder (seeded typos left out):`);
    for (let i = 0; i < SAMPLE && docsReports.length > 0; i++) {
      const [{ file, word, at, text }] = docsReports.splice(Math.floor(next() * docsReports.length), 1);
      const line = text.slice(text.lastIndexOf('\n', at) + 1, text.indexOf('\n', at) === -1 ? text.length : text.indexOf('\n', at)).trim();
      console.log(`  ${word.padEnd(16)} ${file}: ${line.length > 110 ? `${line.slice(0, 107)}…` : line}`);
    }
  }
}

main().catch((error) => {
  console.error(error.stack);
  process.exit(1);
});
