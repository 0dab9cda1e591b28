'use strict';
// Puts the word meant first: orders a language's suggestions by how likely the typo is as a
// slip for each (typo-cost.js: a swap of neighbours, a doubled or dropped letter, a key beside
// the right one, a confusion of sound) and, where the language has the data, by how common each
// word is (commonness.js), with a table of known misspellings answering first when it knows the
// typo (misspelling-table.js, when installed). Hunspell's own order breaks ties.
//
// Runs where the list is made (the worker), once per list: a few hundred microseconds against
// Hunspell's tens of milliseconds. Deterministic: the same word gets the same list on every run
// and every worker. The data loads on a worker's first suggestion in the language.
const { affixHints } = require('../dictionaries/affix-hints');
const { commonnessFor } = require('../words/commonness');
const { ConsonantIndex } = require('../words/consonant-index');
const { misspellingTableFor } = require('../words/misspelling-table');
const { TypoCost } = require('../words/typo-cost');

// A word's score is its typo cost, plus COMMONNESS × its SCOWL level / 10 (level 10 adds 0.25,
// level 55 1.375: a plain edit to a very common word beats a cheap one to a rare word), plus a
// share of its place in the list it came from. Fitted on the sets of
// bench/suggestion-quality.js; the figures are in bench/README.md.
const COMMONNESS = 0.25;
// A word in no list read: rarer than level 55 (rare words, names, technical terms).
const UNLISTED_LEVEL = 80;
// A suggestion of two words counts as its rarer word, one level (10) rarer still.
const SPLIT_LEVELS = 10;
// Hunspell's place: a tie-break when the language has commonness data; without it, worth more,
// so that the typo model reorders only what clearly differs (on the benchmark's fr_FR and
// de_DE typos the result is never worse than Hunspell's order at top-1, 3 or 5).
const HUNSPELL_PLACE = 0.02;
const HUNSPELL_PLACE_ALONE = 0.1;
// The table's own order among its words, when it lists several.
const TABLE_PLACE = 0.15;
// Common words Hunspell missed are looked for only when none of its candidates is within one
// plain edit, for typos of this many letters or more (on shorter ones they push out the word
// meant more often than they bring it), up to this level, and kept within two edits.
const EXTRA_MIN_LENGTH = 5;
const EXTRA_MAX_LEVEL = 50;
const EXTRA_MAX_COST = 2;
const CLOSE = 1;

const isLowerWord = (word) => word === word.toLowerCase() && /^\p{Ll}+$/u.test(word);
const isCapitalised = (word) => /^\p{Lu}\p{Ll}+$/u.test(word);
const capitalise = (word) => word.charAt(0).toUpperCase() + word.slice(1);

class Ranker {
  // info: the DictionaryInfo; checker: its loaded Spellchecker (to see that a word the table or
  // the word lists offer is one the dictionary accepts).
  constructor(info, checker) {
    this.info = info;
    this.checker = checker;
    this.loaded = false;
  }

  load() {
    if (this.loaded) return;
    this.loaded = true;
    this.typoCost = new TypoCost(affixHints(this.info));
    this.commonness = commonnessFor(this.info.language);
    this.known = misspellingTableFor(this.info.language);
    this.consonants = null;
  }

  // Whether the dictionary accepts `word` (each word of a suggestion of several).
  accepted(word) {
    return word.split(' ').every((part) => part !== '' && !this.checker.isMisspelled(part));
  }

  level(word) {
    const listed = this.commonness.level(word);
    if (listed !== undefined) return listed;
    const parts = word.split(/[ -]/).filter(Boolean);
    if (parts.length > 1) return Math.max(...parts.map((part) => this.level(part))) + SPLIT_LEVELS;
    return UNLISTED_LEVEL;
  }

  // `words` ordered by score; `placeWeight` × the index in `words` is added to each.
  order(typo, words, placeWeight) {
    const scored = words.map((word, i) => {
      let score = this.typoCost.cost(typo, word) + placeWeight * i;
      if (this.commonness !== null) score += (COMMONNESS * this.level(word)) / 10;
      return { word, score };
    });
    scored.sort((a, b) => a.score - b.score);
    return scored.map((entry) => entry.word);
  }

  // Common words that Hunspell's `list` misses and that are close to `typo`.
  extras(typo, list) {
    if (this.commonness === null || [...typo].length < EXTRA_MIN_LENGTH) return [];
    const capitalised = isCapitalised(typo);
    if (!capitalised && !isLowerWord(typo)) return [];
    if (list.some((word) => this.typoCost.cost(typo, word) <= CLOSE)) return [];
    const lower = typo.toLowerCase();
    if (this.consonants === null) this.consonants = new ConsonantIndex(this.commonness.listsUpTo(EXTRA_MAX_LEVEL));
    return this.consonants.find(lower)
      .map((word) => (capitalised ? capitalise(word) : word))
      .filter((word) => !list.includes(word) && this.typoCost.cost(typo, word) <= EXTRA_MAX_COST && this.accepted(word));
  }

  // Hunspell's corrections `list` for `typo`, best first.
  rank(typo, list) {
    this.load();
    const known = this.known?.lookup(typo)?.filter((word) => word !== typo && this.accepted(word)) ?? [];
    const first = known.length > 0 ? this.order(typo, known, TABLE_PLACE) : [];
    const candidates = [...list, ...this.extras(typo, list)];
    const rest = this.order(typo, candidates, this.commonness !== null ? HUNSPELL_PLACE : HUNSPELL_PLACE_ALONE);
    return [...new Set([...first, ...rest])];
  }
}

module.exports = { Ranker };
