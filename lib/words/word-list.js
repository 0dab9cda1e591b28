'use strict';
// A list of known words with a dictionary's rules of case: an entry in lower case also stands
// for its Capitalised and ALL-CAPS forms (a sentence start, a heading); an entry with capitals
// (GitHub, JSON) stands for itself and its ALL-CAPS form, never for `github` or `Github`
// (unless the list has those too). A possessive (`npm's`, `GitHub’s`) is its word.

const POSSESSIVE = /['’]s$/;

class WordList {
  // `entries`: words in NFC form (anything iterable).
  constructor(entries = []) {
    this.exact = new Set();
    this.capitals = new Set(); // each entry in capitals
    for (const entry of entries) this.add(entry);
  }

  add(entry) {
    this.exact.add(entry);
    this.capitals.add(entry.toUpperCase());
  }

  get size() {
    return this.exact.size;
  }

  // `word` in NFC form.
  has(word) {
    if (this.exact.has(word)) return true;
    if (this.exact.size === 0) return false;
    if (this.hasForm(word)) return true;
    return POSSESSIVE.test(word) && word.length > 3 && this.hasForm(word.slice(0, -2));
  }

  hasForm(word) {
    if (this.exact.has(word)) return true;
    const upper = word.toUpperCase();
    // ALL CAPS: any entry written so (a lone capital letter is no word in capitals).
    if (word === upper) return word.length > 1 && this.capitals.has(word);
    // Capitalised: a lower-case entry.
    const lower = word.toLowerCase();
    const first = String.fromCodePoint(lower.codePointAt(0));
    return word === first.toUpperCase() + lower.slice(first.length) && this.exact.has(lower);
  }
}

module.exports = { WordList };
