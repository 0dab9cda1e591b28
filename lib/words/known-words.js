'use strict';
// The words a check knows besides the dictionaries and the personal list: the document's own
// and its directives', and the vocabularies'. Asked only for the words the dictionaries reject,
// each once per check.
class KnownWords {
  // `lists`: WordLists, asked in order; `doubtful`: WordLists whose words count only where
  // `plausible(word)` says so.
  constructor(lists, doubtful = [], plausible = () => true) {
    this.lists = lists;
    this.doubtful = doubtful;
    this.plausible = plausible;
    this.seen = new Map();
  }

  // `word` as the tokeniser found it.
  has(word) {
    if (this.lists.length === 0 && this.doubtful.length === 0) return false;
    let known = this.seen.get(word);
    if (known === undefined) {
      const nfc = word.normalize('NFC');
      known = this.lists.some((list) => list.has(nfc)) || (this.doubtful.some((list) => list.has(nfc)) && this.plausible(nfc));
      this.seen.set(word, known);
    }
    return known;
  }
}

module.exports = { KnownWords };
