'use strict';
// What the vocabularies cost: check() of 5 MB of Markdown (the installed npm packages' READMEs,
// repeated) with the vocabularies of Markdown against none, taking turns in one process
// (target: at least 0.9× the words per second), and each list's load time and memory in a
// process of its own.  node --expose-gc bench/vocabularies.js
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { walk } = require('./formats-corpus');

const RUNS = Number(process.env.BENCH_RUNS || 5);
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

async function throughput() {
  const { SpellService } = require('..');
  const files = walk(path.join(__dirname, '..', 'node_modules'), (f) => /^readme\.md$/i.test(path.basename(f)));
  let text = '';
  while (text.length < 5e6) for (const f of files) text += `${fs.readFileSync(f, 'utf8')}\n\n`;
  text = text.slice(0, 5e6);
  const spell = await SpellService.open({ languages: ['en_US'], dictionaryDirs: [dictionaryDir], backend: 'hunspell', worker: false, backgroundSuggestions: false });
  const time = async (vocabularies) => {
    const start = process.hrtime.bigint();
    await spell.check(text, { format: 'markdown', vocabularies });
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  await time(true);
  await time(false);
  const on = [];
  const off = [];
  for (let i = 0; i < RUNS; i++) {
    on.push(await time(true));
    off.push(await time(false));
  }
  await spell.close();
  const median = (list) => list.sort((a, b) => a - b)[list.length >> 1];
  console.log(`check() of 5 MB of Markdown: vocabularies on ${median(on).toFixed(0)} ms, off ${median(off).toFixed(0)} ms: ${(median(off) / median(on)).toFixed(2)}× the speed (target ≥ 0.9)`);
}

function loadCosts() {
  const { VOCABULARIES } = require('../lib/words/vocabularies');
  const script = `
    global.gc(); const before = process.memoryUsage().heapUsed;
    const t = process.hrtime.bigint();
    const { loadVocabulary } = require(${JSON.stringify(path.join(__dirname, '..', 'lib', 'words', 'vocabularies.js'))});
    const names = process.argv.slice(1);
    const kept = names.map((n) => loadVocabulary(n)); const size = kept.reduce((sum, v) => sum + v.words.size + v.doubtful.size, 0);
    const ms = Number(process.hrtime.bigint() - t) / 1e6;
    global.gc(); console.log(JSON.stringify({ size, ms, mb: (process.memoryUsage().heapUsed - before) / 1048576, kept: kept.length }));`;
  const run = (names) => JSON.parse(execFileSync(process.execPath, ['--expose-gc', '-e', script, ...names], { encoding: 'utf8' }));
  console.log('vocabulary     words   load ms   heap MB (each in a fresh process, first load)');
  for (const name of VOCABULARIES) {
    const r = run([name]);
    console.log(`${name.padEnd(12)} ${String(r.size).padStart(7)} ${r.ms.toFixed(1).padStart(9)} ${r.mb.toFixed(1).padStart(9)}`);
  }
  const { vocabulariesFor } = require('../lib/words/vocabularies');
  for (const [what, names] of [['Markdown', vocabulariesFor('markdown')], ['JavaScript', vocabulariesFor('code:c', 'javascript')], ['C++', vocabulariesFor('code:c', 'cpp')], ['all', VOCABULARIES]]) {
    const r = run(names);
    console.log(`${what.padEnd(12)} ${String(r.size).padStart(7)} ${r.ms.toFixed(1).padStart(9)} ${r.mb.toFixed(1).padStart(9)}   (${names.join(', ')})`);
  }
}

throughput().then(loadCosts).catch((error) => {
  console.error(error.stack);
  process.exit(1);
});
