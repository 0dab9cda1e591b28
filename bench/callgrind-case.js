'use strict';
// Run under callgrind by bench/callgrind.js: distinct words, each once, so every call reaches
// Hunspell, through the add-on's isMisspelled (BENCH_IMPL=spellshell, the default) or through
// the minimal binding (BENCH_IMPL=minimal), on an object just made and loaded.
const fs = require('node:fs');
const path = require('node:path');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const words = fs.readFileSync(path.join(__dirname, 'data', process.env.BENCH_WORDS || 'correct.txt'), 'utf8').split('\n').filter(Boolean);
let check;
if (process.env.BENCH_IMPL === 'minimal') {
  const minimal = require('../build/bench/bench/minimal_binding.node');
  minimal.load(path.join(dictionaryDir, 'en_US.aff'), path.join(dictionaryDir, 'en_US.dic'));
  check = (word) => !minimal.spell(word);
} else {
  const { Spellchecker } = require('..');
  const checker = new Spellchecker(true);
  checker.setDictionary('en_US', dictionaryDir);
  check = (word) => checker.isMisspelled(word);
}
let rejected = 0;
for (const word of words) if (check(word)) rejected++;
console.log(JSON.stringify({ calls: words.length, rejected }));
