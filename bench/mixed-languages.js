'use strict';
// Two languages in one text: what each paragraph judged in its own language finds, against the
// union of the languages (a word any of them accepts is accepted).
//   node bench/mixed-languages.js        (part of `npm run bench`; a minute or so)
// On the corpus of mixed-corpus.js (Debian's manuals, English paragraphs alternating with German
// or French ones, typos seeded), per pair of languages:
//   - ordinary typos found, typos that are words of the other language found, reports on the
//     clean text, for: the union (`anyLanguage: true`), each paragraph in its own language
//     naively (a word only the other language accepts is always a typo), and the service as it
//     is (borrowed words accepted unless they look like a slip for a common word);
//   - the paragraphs whose language was chosen right (by the language of their misspellings
//     where they have some, else by detectLanguage on the paragraph alone);
//   - speed: check() of the corpus repeated to 1 MB, paragraph by paragraph against the union,
//     and a one-language service against the same text, medians of BENCH_RUNS rounds taking
//     turns; detectLanguage on a 200-character paragraph, median and p95.
const { performance } = require('node:perf_hooks');
const { SpellService } = require('..');
const { Engine } = require('../lib/service/engine');
const { resolveLanguages } = require('../lib/dictionaries/resolve-languages');
const { ParagraphJudge } = require('../lib/dictionaries/paragraph-language');
const { vocabulariesFor } = require('../lib/words/vocabularies');
const { build } = require('./mixed-corpus');

const RUNS = Number(process.env.BENCH_RUNS || 5);
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];

async function quality(documents, pair) {
  const languages = resolveLanguages(pair, { backend: 'hunspell', dictionaryDirs: [dictionaryDir] });
  const engine = new Engine({ languages });
  // As the service checks Markdown: with the vocabularies it chooses for it.
  const options = { format: 'markdown', vocabularies: vocabulariesFor('markdown') };
  const modes = {
    union: (text) => engine.check(text, { ...options, anyLanguage: true }),
    naive: async (text) => {
      const { slip } = ParagraphJudge.prototype;
      ParagraphJudge.prototype.slip = () => true;
      try {
        return await engine.check(text, options);
      } finally {
        ParagraphJudge.prototype.slip = slip;
      }
    },
    paragraphs: (text) => engine.check(text, options),
  };
  const rows = {};
  for (const [mode, check] of Object.entries(modes)) {
    const row = { ordinary: 0, ordinaryFound: 0, cross: 0, crossFound: 0, clean: 0, missed: [], extra: [] };
    for (const document of documents) {
      const { offsets } = await check(document.text);
      for (const seed of document.seeded) {
        let found = false;
        for (let i = 0; i < offsets.length; i += 2) if (offsets[i] < seed.end && offsets[i + 1] > seed.start) found = true;
        row[seed.kind]++;
        if (found) row[`${seed.kind}Found`]++;
        else if (seed.kind === 'cross') row.missed.push(`${seed.word}->${seed.typo}`);
      }
      const clean = await check(document.clean);
      row.clean += clean.offsets.length / 2;
      if (mode === 'paragraphs') {
        const union = await modes.union(document.clean);
        const unionSet = new Set();
        for (let i = 0; i < union.offsets.length; i += 2) unionSet.add(union.offsets[i]);
        for (let i = 0; i < clean.offsets.length; i += 2) {
          if (!unionSet.has(clean.offsets[i])) row.extra.push(document.clean.slice(clean.offsets[i], clean.offsets[i + 1]));
        }
      }
    }
    rows[mode] = row;
  }
  // Paragraph languages: each paragraph of the clean text alone.
  let right = 0;
  let total = 0;
  for (const document of documents) {
    for (const paragraph of document.paragraphs) {
      const [best] = engine.detectLanguage(paragraph.text, { format: 'markdown' });
      total++;
      if (best.language === paragraph.language) right++;
    }
  }
  engine.close();
  return { rows, detected: { right, total } };
}

async function speed(documents, pair) {
  let text = documents.map((d) => d.clean).join('\n\n');
  while (text.length < 1024 * 1024) text += `\n\n${text}`;
  const open = (languages, anyLanguage) => SpellService.open({ languages, dictionaryDirs: [dictionaryDir], backend: 'hunspell', anyLanguage, backgroundSuggestions: false });
  const services = { union: await open(pair, true), paragraphs: await open(pair, false), one: await open([pair[0]], false) };
  const times = { union: [], paragraphs: [], one: [] };
  for (const service of Object.values(services)) await service.check(text, { format: 'markdown' });
  for (let run = 0; run < RUNS; run++) {
    for (const [name, service] of Object.entries(services)) {
      const start = performance.now();
      await service.check(text, { format: 'markdown' });
      times[name].push(performance.now() - start);
    }
  }
  // detectLanguage on paragraphs of about 200 characters.
  const paragraphs = documents.flatMap((d) => d.paragraphs.map((p) => p.text.slice(0, 200)));
  const latencies = [];
  for (const paragraph of paragraphs.slice(0, 200)) {
    const start = performance.now();
    await services.paragraphs.detectLanguage(paragraph);
    latencies.push(performance.now() - start);
  }
  await Promise.all(Object.values(services).map((s) => s.close()));
  return { megabytes: text.length / 1024 / 1024, union: median(times.union), paragraphs: median(times.paragraphs), one: median(times.one), detect: { p50: median(latencies), p95: percentile(latencies, 0.95) } };
}

async function main() {
  const { documents } = build();
  const pairs = [['en_US', 'de_DE'], ['en_US', 'fr_FR']];
  console.log(`\nTwo languages in one text: ${documents.length} documents of Debian's manuals (${(documents.reduce((n, d) => n + d.clean.length, 0) / 1024).toFixed(0)} KB), English paragraphs alternating with German or French ones, typos seeded`);
  console.log('| languages | mode | ordinary typos found | typos that are words of the other language found | reports on the clean text | vs union |');
  console.log('|---|---|---|---|---|---|');
  const notes = [];
  for (const pair of pairs) {
    const documents_ = documents.filter((d) => d.pair[1] === pair[1]);
    const { rows, detected } = await quality(documents_, pair);
    for (const [mode, row] of Object.entries(rows)) {
      console.log(`| ${pair.join(',')} | ${mode} | ${row.ordinaryFound}/${row.ordinary} | ${row.crossFound}/${row.cross} | ${row.clean} | ${(row.clean / rows.union.clean).toFixed(2)}× |`);
    }
    notes.push(`${pair.join(',')}: paragraphs whose language detectLanguage ranks first alone: ${detected.right}/${detected.total}; missed cross typos: ${rows.paragraphs.missed.join(' ') || 'none'}; reported beyond the union on the clean text: ${rows.paragraphs.extra.join(' ') || 'none'}`);
  }
  for (const note of notes) console.log(note);
  console.log('\n| languages | check() of the corpus, 1 MB of Markdown | paragraphs / union | one language (first) | detectLanguage, 200 characters: p50 / p95 |');
  console.log('|---|---|---|---|---|');
  for (const pair of pairs) {
    const result = await speed(documents.filter((d) => d.pair[1] === pair[1]), pair);
    console.log(`| ${pair.join(',')} | paragraphs ${result.paragraphs.toFixed(0)} ms, union ${result.union.toFixed(0)} ms | ${(result.union / result.paragraphs).toFixed(2)}× the speed | ${result.one.toFixed(0)} ms | ${result.detect.p50.toFixed(2)} / ${result.detect.p95.toFixed(2)} ms |`);
  }
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
