'use strict';
// Finds the common words written with the same consonants as a typo (dissapear → disappear,
// sargant → sergeant): the misspellings that confuse vowels and double letters at once, two
// edits or more away, which Hunspell's own candidates often miss.
//
// A word's key is its first letter and then its consonants, a run of one letter counted once
// (disappear → dsppr → dspr). The index holds no strings: a sorted Float64Array of key hash × 2^20 +
// the word's place in the word lists (list × 2^16 + entry), about 0.5 MB for 60,000 words.
const VOWELS = new Set(['a', 'e', 'i', 'o', 'u', 'y']);
const ENTRY_BITS = 2 ** 16;
const REF_BITS = 2 ** 20;
const FNV_OFFSET = 0x811c9dc5;
const FNV_PRIME = 0x01000193;

function consonantKey(word) {
  const chars = [...word.toLowerCase()];
  let key = chars[0] ?? '';
  let last = key;
  for (let i = 1; i < chars.length; i++) {
    const ch = chars[i];
    if (VOWELS.has(ch) || ch === last) continue;
    key += ch;
    last = ch;
  }
  return key;
}

// FNV-1a over the key's UTF-16 units.
function hash(key) {
  let h = FNV_OFFSET;
  for (let i = 0; i < key.length; i++) h = Math.imul(h ^ key.charCodeAt(i), FNV_PRIME);
  return h >>> 0;
}

// hash(consonantKey(word)) for entry `i` of a word list, read in place: the index is built from
// 60,000 words, and strings made for each would be garbage the worker's heap grows for. The
// listed words are lower-case (SCOWL's few capitals are acronyms, which a key in capitals
// never matches) and in the Basic Multilingual Plane.
const VOWEL_UNITS = new Set([...VOWELS].map((v) => v.charCodeAt(0)));
function hashAt(words, i) {
  const { text, end } = words;
  let h = FNV_OFFSET;
  let last = -1;
  for (let at = words.starts[i]; at < text.length; at++) {
    const c = text.charCodeAt(at);
    if (c < 32 || c === end) break;
    if (last !== -1 && (VOWEL_UNITS.has(c) || c === last)) continue;
    h = Math.imul(h ^ c, FNV_PRIME);
    last = c;
  }
  return h >>> 0;
}

class ConsonantIndex {
  // lists: SortedWords, at most 16 of at most 65,536 words each.
  constructor(lists) {
    if (lists.length > REF_BITS / ENTRY_BITS || lists.some((words) => words.size > ENTRY_BITS)) {
      throw new RangeError('too many words for the consonant index');
    }
    this.lists = lists;
    const total = lists.reduce((sum, words) => sum + words.size, 0);
    const keys = new Float64Array(total);
    let at = 0;
    lists.forEach((words, l) => {
      for (let i = 0; i < words.size; i++) keys[at++] = hashAt(words, i) * REF_BITS + l * ENTRY_BITS + i;
    });
    this.keys = keys.sort();
  }

  // The listed words whose consonant key is that of `typo`, in index order.
  find(typo) {
    const key = consonantKey(typo);
    const low = hash(key) * REF_BITS;
    let lo = 0;
    let hi = this.keys.length;
    while (lo < hi) {
      const mid = (lo + hi) >>> 1;
      if (this.keys[mid] < low) lo = mid + 1;
      else hi = mid;
    }
    const found = [];
    for (let i = lo; i < this.keys.length && this.keys[i] < low + REF_BITS; i++) {
      const ref = this.keys[i] - low;
      const word = this.lists[Math.floor(ref / ENTRY_BITS)].at(ref % ENTRY_BITS);
      if (consonantKey(word) === key) found.push(word);
    }
    return found;
  }
}

module.exports = { ConsonantIndex, consonantKey };
