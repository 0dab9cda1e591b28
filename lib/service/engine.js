'use strict';
// The checking itself, on whichever thread owns the checkers: one add-on Spellchecker per
// language, the personal words, and the rules that combine them.
const { Spellchecker } = require('../dictionaries/addon');
const { PersonalWords } = require('../words/personal-words');
const { WordScanner, camelParts } = require('../words/tokenizer');
const { proseOf, FORMATS } = require('../formats');
const { sourceRange } = require('../formats/prose');
const { Ranker } = require('./ranking');

// A part of a camelCase identifier shorter than this is not judged: a lone letter is a prefix
// (iPhone, eMail, xPosition), never a word one could misspell.
const SHORTEST_PART = 2;
// A part in capitals (the XML of XMLHttpRequest, the JSON of parseJSON) is an acronym, not a
// word to misspell: not judged. (Measured on 100 installed documents: 1 to 3 % of the reports
// were such parts, none of them a typo. A word in capitals on its own is still judged.)
const CAPITALS = /^[\p{Lu}\p{M}]+$/u;

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

// Drops a Hunspell checker's dictionary now rather than whenever the collector gets to the
// checker: a load that fails, as one from a "folder" that is a file must, leaves a checker
// without any. A replaced dictionary weighs 8 to 16 MB, and the collector lets tens of MB of
// them wait.
function unload(checker, info) {
  if (info.backend !== 'system') checker.setDictionary('unloaded', __filename);
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
    const checkers = [];
    try {
      for (const info of languages) checkers.push(loadChecker(info));
    } catch (error) {
      checkers.forEach((checker, i) => unload(checker, languages[i]));
      throw error;
    }
    this.close();
    this.checkers = checkers;
    this.languages = languages;
    this.rankers = checkers.map((checker, i) => new Ranker(languages[i], checker));
    this.cache.clear();
  }

  // Lets go of every dictionary; the engine is not used afterwards (until setLanguages).
  close() {
    if (this.checkers) this.checkers.forEach((checker, i) => unload(checker, this.languages[i]));
    this.checkers = [];
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

  // A word as the tokeniser found it: false (accepted), true (rejected), or for an identifier in
  // camelCase that no dictionary knows whole, the parts that are rejected, as start, end pairs
  // within the word (false when none is).
  verdict(word) {
    if (!this.judge(word.normalize('NFC'))) return false;
    const parts = camelParts(word);
    if (parts === null) return true;
    const rejected = [];
    for (const [start, end] of parts) {
      if (end - start < SHORTEST_PART) continue;
      const part = word.slice(start, end);
      if (CAPITALS.test(part)) continue;
      // Acronyms are often written with one capital inside identifiers (HttpRequest, JsonParser):
      // a part the dictionary knows in capitals is accepted.
      if (this.judge(part.normalize('NFC')) && (part.length > 5 || this.judge(part.toUpperCase().normalize('NFC')))) rejected.push(start, end);
    }
    return rejected.length === 0 ? false : rejected;
  }

  // The corrections for `word` in the language at `index` (in the order given), whole: the
  // checker's, best first (ranking.js).
  suggestIn(word, index) {
    const nfc = word.normalize('NFC');
    return this.rankers[index].rank(nfc, this.checkers[index].getCorrectionsForMisspelling(nfc));
  }

  // The misspellings of `text` read as `format` as [start, end, …] offsets in an Int32Array, and
  // `words`: [index, word] for the misspellings whose word was decoded (an entity) and so
  // differs from the text at its offsets. Works in slices of SLICE_MS; `isAborted()` is asked
  // between them, and true ends the check with `undefined`.
  async check(text, { format = 'plain', isAborted = () => false } = {}) {
    if (!FORMATS.includes(format)) throw new TypeError(`format must be one of ${FORMATS.join(', ')}`);
    const prose = proseOf(format, text);
    // The format read the whole text in one piece (some hundred milliseconds for 5 MB): an
    // abort meanwhile is seen now, before the words.
    if (prose !== null && text.length > 65536) {
      await yieldToEvents();
      if (isAborted()) return undefined;
    }
    const view = prose === null ? text : prose.text;
    const decodes = prose === null ? [] : prose.decodes;
    const scanner = new WordScanner(view);
    const cache = this.cache;
    let offsets = new Int32Array(64);
    let count = 0;
    const decodedWords = [];
    let sliceStart = Date.now();
    let sinceClock = 0;
    const report = (start, end, word) => {
      if (count * 2 === offsets.length) {
        const grown = new Int32Array(offsets.length * 2);
        grown.set(offsets);
        offsets = grown;
      }
      if (decodes.length > 0) {
        const range = sourceRange(decodes, start, end);
        if (range.decoded) decodedWords.push([count, word]);
        start = range.start;
        end = range.end;
      }
      offsets[count * 2] = start;
      offsets[count * 2 + 1] = end;
      count++;
    };
    while (scanner.next()) {
      const word = scanner.word;
      let rejected = cache.get(word);
      if (rejected === undefined) {
        rejected = this.verdict(word);
        if (cache.size >= CACHE_LIMIT) cache.clear();
        cache.set(word, rejected);
      }
      if (rejected === true) report(scanner.start, scanner.end, word);
      else if (rejected !== false) {
        for (let i = 0; i < rejected.length; i += 2) {
          report(scanner.start + rejected[i], scanner.start + rejected[i + 1], word.slice(rejected[i], rejected[i + 1]));
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
    return { offsets: offsets.slice(0, count * 2), words: decodedWords };
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

// The Misspelling objects of a check's result, built in slices of SLICE_MS: a result of a
// million misspellings must not hold up the caller's thread in one piece either. (A count of
// entries per slice is no bound: as the heap fills, the collector makes each entry dearer.)
async function misspellingsOf(text, { offsets, words = [] }) {
  const result = new Array(offsets.length / 2);
  const decoded = new Map(words);
  let sliceStart = Date.now();
  for (let i = 0; i < offsets.length; i += 2) {
    const start = offsets[i];
    const end = offsets[i + 1];
    const entry = { start, end, word: decoded.size > 0 && decoded.has(i / 2) ? decoded.get(i / 2) : text.slice(start, end) };
    result[i / 2] = entry;
    if (i % 512 === 510 && Date.now() - sliceStart >= SLICE_MS) {
      await yieldToEvents();
      sliceStart = Date.now();
    }
  }
  return result;
}

module.exports = { Engine, mergeSuggestions, misspellingsOf, yieldToEvents };
