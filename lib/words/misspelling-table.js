'use strict';
// A table of misspellings people are known to make, with the words they meant (recieve →
// receive, teh → the), answered before any guess when it knows the typo.
//
// The only large such table on npm for English is the package
// @cspell/dict-en-common-misspellings (about 90,000 entries, CC BY-SA 4.0). Share-alike data
// cannot ship inside this MIT package, so it is not a dependency: an application that wants it
// installs it (`npm install @cspell/dict-en-common-misspellings`), and every service of the
// process finds it with require.resolve, from this package's folder upwards (the application's
// node_modules) and along NODE_PATH. Without it, suggestions are ranked by the typo model and
// word commonness alone.
//
// Its format: JSON files whose dictionaryDefinitions hold entries "typo->word" or
// "typo->word1, word2" in flagWords and suggestWords; dict-en.json for all English, and
// dict-en-us.json and dict-en-gb.json for American and British spelling.
const fs = require('node:fs');
const path = require('node:path');
const { ArrowTable } = require('./arrow-table');

const PACKAGE = '@cspell/dict-en-common-misspellings';

// The package's main file (its exports allow no other path), or null when it is not installed.
function packageMain() {
  try {
    return require.resolve(PACKAGE);
  } catch {
    return null;
  }
}

// variant ('us', 'gb', '') -> the tables to search in turn (all English first, then the
// region's), or null when the package is not installed; read once per thread.
const loaded = new Map();

function tablesOf(variant) {
  if (!loaded.has(variant)) {
    const main = packageMain();
    let tables = null;
    if (main !== null) {
      const dir = path.join(path.dirname(main), 'dict');
      tables = ['dict-en.json', ...(variant ? [`dict-en-${variant}.json`] : [])].map((file) => {
        try {
          return ArrowTable.read(fs.readFileSync(path.join(dir, file)));
        } catch {
          // Missing, or not in the expected shape: no entries from it.
          return null;
        }
      }).filter(Boolean);
      if (tables.length === 0) tables = null;
    }
    loaded.set(variant, tables);
  }
  return loaded.get(variant);
}

class MisspellingTable {
  constructor(variant) {
    this.variant = variant;
  }

  // Whether the table's package is installed.
  get available() {
    return tablesOf(this.variant) !== null;
  }

  // The words the tables list for `typo` exactly, or undefined.
  find(typo) {
    for (const table of tablesOf(this.variant) ?? []) {
      const words = table.lookup(typo);
      if (words !== undefined) return words;
    }
    return undefined;
  }

  // The words meant by `typo` as the table lists them (in its order), or undefined when it does
  // not know the typo. A Capitalised or ALL-CAPS typo is looked up in lowercase, and its words
  // come back in its case.
  lookup(typo) {
    const words = this.find(typo);
    if (words !== undefined) return words;
    const lower = typo.toLowerCase();
    if (lower === typo) return undefined;
    const found = this.find(lower);
    if (found === undefined) return undefined;
    const upper = typo === typo.toUpperCase() && [...typo].length > 1;
    return found.map((word) => (upper ? word.toUpperCase() : word.charAt(0).toUpperCase() + word.slice(1)));
  }
}

// The table for a dictionary's language, or null for a language it does not cover.
function misspellingTableFor(language) {
  const match = /^en(?:[-_]([A-Za-z]{2}))?(?:[-_]|$)/i.exec(language);
  if (match === null) return null;
  const region = match[1] ? match[1].toUpperCase() : 'US';
  return new MisspellingTable(region === 'US' ? 'us' : region === 'CA' ? '' : 'gb');
}

module.exports = { misspellingTableFor, MisspellingTable, PACKAGE };
