'use strict';
// Whether a word is one of the user's own: exactly as listed, or, for a word listed in lowercase,
// also its Capitalised and ALL-CAPS forms (a sentence start, a heading), as dictionaries treat
// their own lowercase entries.
class PersonalWords {
  constructor(list = []) {
    this.exact = new Set(list.map((word) => word.normalize('NFC')));
    this.lowercase = new Set([...this.exact].filter((word) => word === word.toLowerCase()));
  }

  get size() {
    return this.exact.size;
  }

  // `word` in NFC form.
  has(word) {
    if (this.exact.has(word)) return true;
    if (this.lowercase.size === 0) return false;
    const lower = word.toLowerCase();
    if (lower === word || !this.lowercase.has(lower)) return false;
    if (word === word.toUpperCase()) return true;
    const first = String.fromCodePoint(lower.codePointAt(0));
    return word === first.toUpperCase() + lower.slice(first.length);
  }
}

module.exports = { PersonalWords };
