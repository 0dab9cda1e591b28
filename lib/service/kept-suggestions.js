'use strict';
// The suggestion lists a service has computed, kept per word (NFC) and per language so that a
// word asked about again, or underlined by a check and then asked about, is answered at once.
// Bounded by an estimate of the memory the lists hold; the least recently used go first.

// Bytes per entry beyond its strings: the Map entry, the arrays and their headers (about what
// V8 spends on a Map slot, an object and two small arrays).
const ENTRY_OVERHEAD = 160;
// A string of n UTF-16 units: 2n bytes and a header.
const stringBytes = (s) => 2 * s.length + 16;

class KeptSuggestions {
  // maxBytes: the cap on the estimate; languages: how many lists a word has.
  constructor(maxBytes, languages) {
    this.maxBytes = maxBytes;
    this.languages = languages;
    this.entries = new Map();
    this.bytes = 0;
  }

  // The lists of `word` (an array with one slot per language, a hole where none is kept yet),
  // or undefined; marks the word as just used.
  get(word) {
    const entry = this.entries.get(word);
    if (entry === undefined) return undefined;
    this.entries.delete(word);
    this.entries.set(word, entry);
    return entry.lists;
  }

  set(word, index, list) {
    let entry = this.entries.get(word);
    if (entry === undefined) {
      entry = { lists: new Array(this.languages), bytes: ENTRY_OVERHEAD + stringBytes(word) };
      this.bytes += entry.bytes;
    } else {
      this.entries.delete(word);
    }
    if (entry.lists[index] === undefined) {
      const bytes = list.reduce((sum, s) => sum + stringBytes(s), 16);
      entry.bytes += bytes;
      this.bytes += bytes;
    }
    entry.lists[index] = list;
    this.entries.set(word, entry);
    for (const [oldest, old] of this.entries) {
      if (this.bytes <= this.maxBytes) break;
      this.entries.delete(oldest);
      this.bytes -= old.bytes;
    }
  }

  // Whether every language's list of `word` is kept.
  has(word) {
    const entry = this.entries.get(word);
    if (entry === undefined) return false;
    for (let i = 0; i < this.languages; i++) if (entry.lists[i] === undefined) return false;
    return true;
  }

  clear(languages = this.languages) {
    this.entries.clear();
    this.bytes = 0;
    this.languages = languages;
  }
}

module.exports = { KeptSuggestions };
