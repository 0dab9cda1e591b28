'use strict';
// Run under callgrind by bench/callgrind: distinct correct words through isMisspelled, each
// word once, so every call reaches Hunspell.
const fs = require('node:fs');
const path = require('node:path');
const { Spellchecker } = require('..');

const words = fs.readFileSync(path.join(__dirname, 'data', process.env.BENCH_WORDS || 'correct.txt'), 'utf8').split('\n').filter(Boolean);
const checker = new Spellchecker(true);
checker.setDictionary('en_US', process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell');
let rejected = 0;
for (const word of words) if (checker.isMisspelled(word)) rejected++;
console.log(JSON.stringify({ calls: words.length, rejected }));
