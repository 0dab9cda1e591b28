'use strict';
// The checking itself, on whichever thread owns the checkers: one add-on Spellchecker per
// language, the personal words, and the rules that combine them.
const { Spellchecker } = require('./addon');
const { PersonalWords } = require('./personal-words');
const { WordScanner } = require('./tokenizer');

// Verdicts kept per word as written, so that the running text's repeats cost one Map lookup;
// dropped whenever the languages or the personal words change, and when it grows this large.
const CACHE_LIMIT = 200000;
// How long a check works before it lets other events in (an abort, in the worker; the caller's
// own events, on the calling thread).
const SLICE_MS = 8;

function loadChecker(info) {
  const checker = info.backend === 'system' ? new Spellchecker() : new Spellchecker(true);
  const loaded = info.backend === 'system'
    ? !checker.isHunspell() && checker.setDictionary(info.tag)
    : checker.setDictionary(info.language, info.dir);
  if (!loaded) {
    throw new Error(info.backend === 'system'
      ? `no system spell-checking service offers "${info.language}"`
      : `no dictionary for "${info.language}" (searched: ${info.dir})`);
  }
  return checker;
}

const yieldToEvents = () => new Promise((resolve) => setImmediate(resolve));

class Engine {
  // languages: DictionaryInfo[] (already resolved); personal: the personal words.
  constructor({ languages, personal = [] }) {
    this.cache = new Map();
    this.setLanguages(languages);
    this.setPersonal(personal);
  }

  setLanguages(languages) {
    // All load, or nothing changes.
    const checkers = languages.map(loadChecker);
    this.checkers = checkers;
    this.cache.clear();
  }

  setPersonal(words) {
    this.personal = new PersonalWords(words);
    this.cache.clear();
  }

  // `word` in NFC form.
  rejectedByAll(word) {
    for (const checker of this.checkers) if (!checker.isMisspelled(word)) return false;
    return true;
  }

  // `word` in NFC form. Dictionaries differ in which apostrophe they list, so a word with ’
  // gets a second chance with '.
  judge(word) {
    if (this.personal.has(word) || !this.rejectedByAll(word)) return false;
    if (!word.includes('’')) return true;
    const straight = word.replace(/’/g, "'");
    return !this.personal.has(straight) && this.rejectedByAll(straight);
  }

  isMisspelled(word) {
    return this.judge(word.normalize('NFC'));
  }

  // Hunspell's corrections for `word` in the language at `index` (in the order given), whole.
  suggestIn(word, index) {
    return this.checkers[index].getCorrectionsForMisspelling(word.normalize('NFC'));
  }

  suggest(word, limit) {
    if (limit <= 0) return [];
    return mergeSuggestions(this.checkers.map((checker, index) => this.suggestIn(word, index)), limit);
  }

  // The misspellings of `text` as [start, end, …] offsets in an Int32Array, and with
  // `suggestions` > 0 the lists for each. Works in slices of SLICE_MS; `isAborted()` is asked
  // between them, and true ends the check with `undefined`.
  async check(text, { suggestions = 0, isAborted = () => false } = {}) {
    const scanner = new WordScanner(text);
    const cache = this.cache;
    let offsets = new Int32Array(64);
    let count = 0;
    const lists = suggestions > 0 ? [] : undefined;
    const suggested = new Map();
    let sliceStart = Date.now();
    let sinceClock = 0;
    while (scanner.next()) {
      const word = scanner.word;
      let rejected = cache.get(word);
      if (rejected === undefined) {
        rejected = this.judge(word.normalize('NFC'));
        if (cache.size >= CACHE_LIMIT) cache.clear();
        cache.set(word, rejected);
      }
      if (rejected) {
        if (count * 2 === offsets.length) {
          const grown = new Int32Array(offsets.length * 2);
          grown.set(offsets);
          offsets = grown;
        }
        offsets[count * 2] = scanner.start;
        offsets[count * 2 + 1] = scanner.end;
        count++;
        if (lists) {
          let list = suggested.get(word);
          if (list === undefined) {
            list = this.suggest(word, suggestions);
            suggested.set(word, list);
          }
          lists.push(list);
          sinceClock = 1024; // suggestions are slow: look at the clock after each
        }
      }
      if (++sinceClock >= 1024) {
        sinceClock = 0;
        if (Date.now() - sliceStart >= SLICE_MS) {
          await yieldToEvents();
          if (isAborted()) return undefined;
          sliceStart = Date.now();
        }
      }
    }
    return { offsets: offsets.slice(0, count * 2), suggestions: lists };
  }
}

// Each language's corrections in turn (the first of each, then the second of each, …), without
// repeats, at most `limit`. A language without a list (not ready) is passed over.
function mergeSuggestions(lists, limit) {
  const merged = new Set();
  let longest = 0;
  for (let l = 0; l < lists.length; l++) if (lists[l]) longest = Math.max(longest, lists[l].length);
  for (let i = 0; i < longest && merged.size < limit; i++) {
    for (let l = 0; l < lists.length && merged.size < limit; l++) {
      if (lists[l] && i < lists[l].length) merged.add(lists[l][i]);
    }
  }
  return [...merged];
}

// The Misspelling objects of a check's result, built in batches: a result of a million
// misspellings must not hold up the caller's thread in one piece either.
async function misspellingsOf(text, { offsets, suggestions }) {
  const result = [];
  for (let i = 0; i < offsets.length; i += 2) {
    const start = offsets[i];
    const end = offsets[i + 1];
    const entry = { start, end, word: text.slice(start, end) };
    if (suggestions) entry.suggestions = [...suggestions[i / 2]];
    result.push(entry);
    if (i % 10000 === 9998) await yieldToEvents();
  }
  return result;
}

module.exports = { Engine, mergeSuggestions, misspellingsOf, yieldToEvents };
