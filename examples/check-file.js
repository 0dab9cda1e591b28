'use strict';
// Prints every misspelled word of a text file with Hunspell's corrections, using the system's
// en_US dictionary.
const fs = require('node:fs');
const { Spellchecker } = require('..');

const file = process.argv[2];
if (!file) {
  console.error('usage: node examples/check-file.js FILE');
  process.exit(2);
}

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const checker = new Spellchecker(true); // any argument selects Hunspell dictionaries
if (!checker.setDictionary('en_US', dictionaryDir)) {
  console.error(`no en_US dictionary in ${dictionaryDir}`);
  process.exit(1);
}

const text = fs.readFileSync(file, 'utf8');
let misspelled = 0;
text.split('\n').forEach((line, index) => {
  for (const match of line.matchAll(/\p{L}+(?:'\p{L}+)*/gu)) {
    const word = match[0];
    if (!checker.isMisspelled(word)) continue;
    misspelled += 1;
    const corrections = checker.getCorrectionsForMisspelling(word);
    console.log(`${file}:${index + 1}:${match.index + 1}: ${word} -> ${corrections.join(', ') || '(no suggestions)'}`);
  }
});
console.log(`${misspelled} misspelled word${misspelled === 1 ? '' : 's'}`);
