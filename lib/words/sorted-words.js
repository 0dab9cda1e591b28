'use strict';
// A long sorted list of strings held compactly: one string with every entry and an Int32Array
// of where each starts, searched by binary search. The word lists behind the suggestion ranking
// hold about 70,000 words, and every worker that suggests in English loads them:
// as a Map they would take 6.5 MB a worker, this way a third of that, and a word list read from
// its JSON text needs no JSON.parse (JSON.parse of those 1.3 MB alone takes 70 to 120 ms).
//
// An entry runs to the line break between joined entries, or to the closing quote of a JSON
// string.
const LINE = 10;
const QUOTE = 34;

// Compares `key` with the entry at `start` in `text`, whose entries end with `end` (or a
// control character), in UTF-16 code-unit order (the order of JavaScript's `<` on strings).
function compareKey(text, start, key, end) {
  for (let i = 0; ; i++) {
    const c = start + i < text.length ? text.charCodeAt(start + i) : -1;
    const ended = c < 32 || c === end;
    if (i === key.length) return ended ? 0 : 1;
    if (ended) return -1;
    const d = c - key.charCodeAt(i);
    if (d !== 0) return d;
  }
}

class SortedWords {
  // text: the entries; starts: where each begins, in order; end: the char code that ends an
  // entry (QUOTE or LINE).
  constructor(text, starts, end) {
    this.text = text;
    this.starts = starts;
    this.end = end;
  }

  get size() {
    return this.starts.length;
  }

  // From entries in any order (sorted here, in place).
  static fromEntries(entries) {
    entries.sort();
    const starts = new Int32Array(entries.length);
    let at = 0;
    entries.forEach((entry, i) => {
      starts[i] = at;
      at += entry.length + 1;
    });
    return new SortedWords(entries.join('\n'), starts, LINE);
  }

  // From the text of a JSON array of strings (a word list as its package ships it). Read as it
  // stands when it holds no escapes and is sorted, which the lists read here are; otherwise
  // parsed and sorted.
  static fromJsonArray(text) {
    if (text.includes('\\')) return SortedWords.fromEntries(JSON.parse(text));
    // Two passes, counting and then filling, so that no array of 100,000 numbers is made.
    const each = (fn) => {
      let count = 0;
      for (let open = text.indexOf('"'); open >= 0; open = text.indexOf('"', text.indexOf('"', open + 1) + 1)) fn(count++, open + 1);
      return count;
    };
    const starts = new Int32Array(each(() => {}));
    each((i, start) => {
      starts[i] = start;
    });
    const words = new SortedWords(text, starts, QUOTE);
    for (let i = 1; i < words.size; i++) {
      if (compareKey(text, starts[i], words.at(i - 1), QUOTE) <= 0) return SortedWords.fromEntries(JSON.parse(text));
    }
    return words;
  }

  // The index of the entry `key`, or -1.
  indexOf(key) {
    let low = 0;
    let high = this.starts.length - 1;
    while (low <= high) {
      const mid = (low + high) >>> 1;
      const d = compareKey(this.text, this.starts[mid], key, this.end);
      if (d === 0) return mid;
      if (d < 0) low = mid + 1;
      else high = mid - 1;
    }
    return -1;
  }

  has(key) {
    return this.indexOf(key) >= 0;
  }

  // Entry `i`.
  at(i) {
    const start = this.starts[i];
    let end = start;
    while (end < this.text.length) {
      const c = this.text.charCodeAt(end);
      if (c < 32 || c === this.end) break;
      end++;
    }
    return this.text.slice(start, end);
  }
}

module.exports = { SortedWords };
