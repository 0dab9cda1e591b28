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
const { SortedWords } = require('./sorted-words');

const PACKAGE = '@cspell/dict-en-common-misspellings';

// The package's main file (its exports allow no other path), or null when it is not installed.
function packageMain() {
  try {
    return require.resolve(PACKAGE);
  } catch {
    return null;
  }
}

// The entries of one of its files as "typo\tword1, word2" lines; none when it is missing or not
// in the expected shape.
function entriesOf(file) {
  let definitions;
  try {
    definitions = JSON.parse(fs.readFileSync(file, 'utf8')).dictionaryDefinitions;
  } catch {
    return [];
  }
  const entries = [];
  for (const definition of Array.isArray(definitions) ? definitions : []) {
    for (const list of [definition?.flagWords, definition?.suggestWords]) {
      if (!Array.isArray(list)) continue;
      for (const line of list) {
        if (typeof line !== 'string') continue;
        const arrow = line.indexOf('->');
        if (arrow <= 0) continue;
        // One string per entry and no arrays: the files hold about 90,000 entries, and every
        // worker that suggests in English reads them.
        const typo = line.slice(0, arrow).trim();
        const words = line.slice(arrow + 2).trim().replace(/\s*,[\s,]*/g, '\t');
        if (typo && words && !/\s/.test(typo) && !/\t$/.test(words)) entries.push(`${typo}\t${words}`);
      }
    }
  }
  return entries;
}

// variant ('us', 'gb', '') -> SortedWords, or null when the package is not installed; loaded
// once per thread.
const loaded = new Map();

function tableOf(variant) {
  if (!loaded.has(variant)) {
    const main = packageMain();
    if (main === null) {
      loaded.set(variant, null);
    } else {
      const dir = path.join(path.dirname(main), 'dict');
      const files = ['dict-en.json', ...(variant ? [`dict-en-${variant}.json`] : [])];
      // A typo listed in both files keeps the general entry, which comes first.
      const seen = new Set();
      const entries = files.flatMap((file) => entriesOf(path.join(dir, file))).filter((entry) => {
        const typo = entry.slice(0, entry.indexOf('\t'));
        if (seen.has(typo)) return false;
        seen.add(typo);
        return true;
      });
      loaded.set(variant, entries.length > 0 ? SortedWords.fromEntries(entries) : null);
    }
  }
  return loaded.get(variant);
}

class KnownMisspellings {
  constructor(variant) {
    this.variant = variant;
  }

  // Whether the table's package is installed.
  get available() {
    return tableOf(this.variant) !== null;
  }

  // The words meant by `typo` as the table lists them (in its order), or undefined when it does
  // not know the typo. A Capitalised or ALL-CAPS typo is looked up in lowercase, and its words
  // come back in its case.
  lookup(typo) {
    const table = tableOf(this.variant);
    if (table === null) return undefined;
    let words = table.get(typo);
    if (words !== undefined) return words.split('\t');
    const lower = typo.toLowerCase();
    if (lower === typo) return undefined;
    words = table.get(lower);
    if (words === undefined) return undefined;
    const upper = typo === typo.toUpperCase() && [...typo].length > 1;
    return words.split('\t').map((word) => (upper ? word.toUpperCase() : word.charAt(0).toUpperCase() + word.slice(1)));
  }
}

// The table for a dictionary's language, or null for a language it does not cover.
function knownMisspellingsFor(language) {
  const match = /^en(?:[-_]([A-Za-z]{2}))?(?:[-_]|$)/i.exec(language);
  if (match === null) return null;
  const region = match[1] ? match[1].toUpperCase() : 'US';
  return new KnownMisspellings(region === 'US' ? 'us' : region === 'CA' ? '' : 'gb');
}

module.exports = { knownMisspellingsFor, KnownMisspellings, PACKAGE };
