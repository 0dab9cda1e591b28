'use strict';
// The checking itself, on whichever thread owns the checkers: one add-on Spellchecker per
// language, the personal words, and the rules that combine them.
const { Spellchecker } = require('../dictionaries/addon');
const { LanguageChooser, ParagraphJudge } = require('../dictionaries/paragraph-language');
const { PersonalWords } = require('../words/personal-words');
const { WordScanner, camelParts } = require('../words/tokenizer');
const { proseOf, FORMATS } = require('../formats');
const { viewOffset } = require('../formats/prose');
const { unitStarts, MarkCursor } = require('./units');
const { VocabularyStore } = require('../words/vocabularies');
const { documentWords, SkipCursor } = require('../words/document-words');
const { KnownWords } = require('../words/known-words');
const { ForeignText, foreignParagraph } = require('../words/foreign-words');
const { Reports } = require('./reports');
const { Ranker } = require('./ranking');

// A part of a camelCase identifier shorter than this is not judged: a lone letter is a prefix
// (iPhone, eMail, xPosition), never a word one could misspell.
const SHORTEST_PART = 2;
// A part in capitals (the XML of XMLHttpRequest, the JSON of parseJSON) is an acronym, not a
// word to misspell: not judged. (Measured on 100 installed documents: 1 to 3 % of the reports
// were such parts, none of them a typo.)
const CAPITALS = /^[\p{Lu}\p{M}]+$/u;
// A word on its own in capitals of two to five letters that no dictionary knows is an acronym
// too (TLS, WASI, EXSLT): on 25 files each of Markdown, HTML, C, JavaScript and plain text and
// npm's docs they were 112 of 1,801 reports, none a typo. So is its plural or possessive
// (VMs, CA's). Longer ones (INSTALATION in a heading) are judged.
const ACRONYM = /^\p{Lu}[\p{Lu}\p{M}]{1,4}(?:['’]?s)?$/u;

// Verdicts kept per word as written, so that the running text's repeats cost one Map lookup;
// dropped whenever the languages or the personal words change, and when it grows this large.
const CACHE_LIMIT = 200000;
// How long a check works before it lets other events in (an abort, in the worker; the caller's
// own events, on the calling thread).
const SLICE_MS = 8;
// A verdict of the paragraph judging: the mask of the languages that accept a word in the low
// bits, that of the languages it is a common word of from COMMON_SHIFT on.
const COMMON_SHIFT = 15;
const MASK = (1 << COMMON_SHIFT) - 1;
const MAX_PARAGRAPH_LANGUAGES = COMMON_SHIFT;
// And a bit of its own: no language accepts the word, and it is a common word of another.
const FOREIGN = 1 << 30;

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
    // The vocabularies' lists, each read when a check first asks for it (an engine that only
    // computes suggestions never does).
    this.vocabularies = new VocabularyStore();
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
    // Hunspell's lists are ranked; the system's service ranks its own.
    this.rankers = checkers.map((checker, i) => (languages[i].backend === 'system' ? null : new Ranker(languages[i], checker)));
    this.cache.clear();
    // With several languages, each paragraph is judged in its own (unless a check asks for the
    // union): verdicts are then masks of the languages that accept a word, kept apart from the
    // union's. Masks and the common-word bits share one number: 15 languages at most.
    const accepted = (word, index) => !checkers[index].isMisspelled(word);
    this.chooser = languages.length > 1 && languages.length <= MAX_PARAGRAPH_LANGUAGES ? new LanguageChooser(languages, accepted) : null;
    this.foreign = new ForeignText(languages.map((info) => info.language), accepted);
    this.all = (1 << languages.length) - 1;
    this.masks = new Map();
    this.short = new Map();
  }

  // Lets go of every dictionary; the engine is not used afterwards (until setLanguages).
  close() {
    if (this.checkers) this.checkers.forEach((checker, i) => unload(checker, this.languages[i]));
    this.checkers = [];
  }

  setPersonal(words) {
    this.personal = new PersonalWords(words);
    this.cache.clear();
    this.masks?.clear();
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

  // Whether a dictionary knows `word` with one more letter somewhere (`locl`: local): then a
  // short keyword of the same spelling is more likely that word mistyped.
  // (Kept per engine: a list's few doubtful words come back in every check.)
  oneLetterShort(word) {
    if (word.length > 1 && word === word.toUpperCase()) return false; // an acronym, written so
    let short = this.short.get(word);
    if (short === undefined) {
      short = false;
      const lower = word.toLowerCase();
      for (let at = 0; at <= lower.length && !short; at++) {
        for (let c = 97; c <= 122; c++) {
          if (!this.rejectedByAll(lower.slice(0, at) + String.fromCharCode(c) + lower.slice(at))) {
            short = true;
            break;
          }
        }
      }
      if (this.short.size >= CACHE_LIMIT) this.short.clear();
      this.short.set(word, short);
    }
    return short;
  }

  isMisspelled(word) {
    return this.judge(word.normalize('NFC'));
  }

  // `word` in NFC form: the languages that accept it, as a mask (all of them for a personal
  // word; a word with ’ counts as accepted where its form with ' is).
  maskOf(word) {
    if (this.personal.has(word)) return this.all;
    let mask = 0;
    for (let i = 0; i < this.checkers.length; i++) if (!this.checkers[i].isMisspelled(word)) mask |= 1 << i;
    if (mask === this.all || !word.includes('’')) return mask;
    const straight = word.replace(/’/g, "'");
    if (this.personal.has(straight)) return this.all;
    for (let i = 0; i < this.checkers.length; i++) if ((mask & (1 << i)) === 0 && !this.checkers[i].isMisspelled(straight)) mask |= 1 << i;
    return mask;
  }

  // verdict() with masks: the mask of the languages that accept the word, with the mask of the
  // languages it is a common word of above bit COMMON_SHIFT; or for a camelCase identifier that
  // no language knows whole, its parts that some language may reject, as [start, end, mask, …].
  paragraphVerdict(word) {
    const mask = this.maskOf(word.normalize('NFC'));
    if (mask === 0 && ACRONYM.test(word)) return this.all;
    const judged = mask === 0 ? this.judgedParts(word) : null;
    if (judged === null) return mask | (this.chooser.commonMask(word.toLowerCase()) << COMMON_SHIFT);
    return judged.length === 0 ? this.all : judged;
  }

  // For a camelCase identifier, its parts that some language rejects, as [start, end, mask, …]
  // (mask: the languages that accept the part); null for a word that is no such identifier.
  judgedParts(word) {
    const parts = camelParts(word);
    if (parts === null) return null;
    const judged = [];
    for (const [start, end] of parts) {
      if (end - start < SHORTEST_PART) continue;
      const part = word.slice(start, end);
      if (CAPITALS.test(part)) continue;
      // Acronyms are often written with one capital inside identifiers (HttpRequest,
      // JsonParser): a short part known in capitals is accepted.
      let mask = this.maskOf(part.normalize('NFC'));
      if (part.length <= 5) mask |= this.maskOf(part.toUpperCase().normalize('NFC'));
      if (mask !== this.all) judged.push(start, end, mask);
    }
    return judged;
  }

  // The service's languages ranked by how much of `text` (read as `format`) reads as each:
  // [{ language, score }], scores from 0 to 1 summing to 1, best first.
  detectLanguage(text, { format = 'plain' } = {}) {
    if (!FORMATS.includes(format)) throw new TypeError(`format must be one of ${FORMATS.join(', ')}`);
    if (this.chooser === null) return this.languages.map((info, i) => ({ language: info.language, score: i === 0 ? 1 : 0 }));
    const prose = proseOf(format, text);
    const scanner = new WordScanner(prose === null ? text : prose.text);
    const scores = new Float64Array(this.languages.length);
    while (scanner.next()) {
      const verdict = this.paragraphVerdict(scanner.word);
      if (typeof verdict === 'number') this.chooser.add(scores, verdict & MASK, (verdict >>> COMMON_SHIFT) & MASK);
    }
    return this.chooser.rank(scores);
  }

  // A word as the tokeniser found it: false (accepted), true (rejected), or for an identifier in
  // camelCase that no dictionary knows whole, the parts that are rejected, as start, end pairs
  // within the word (false when none is).
  verdict(word) {
    if (!this.judge(word.normalize('NFC')) || ACRONYM.test(word)) return false;
    const judged = this.judgedParts(word);
    if (judged === null) return true;
    const rejected = [];
    for (let p = 0; p < judged.length; p += 3) if (judged[p + 2] === 0) rejected.push(judged[p], judged[p + 1]);
    return rejected.length === 0 ? false : rejected;
  }

  // The corrections for `word` in the language at `index` (in the order given), whole: the
  // checker's, best first (ranking.js; the system's service's as it orders them).
  suggestIn(word, index) {
    const nfc = word.normalize('NFC');
    const list = this.checkers[index].getCorrectionsForMisspelling(nfc);
    return this.rankers[index] === null ? list : this.rankers[index].rank(nfc, list);
  }

  // The misspellings of `text` read as `format` as [start, end, …] offsets in an Int32Array, and
  // `words`: [index, word] for the misspellings whose word was decoded (an entity) and so
  // differs from the text at its offsets. With several languages judged paragraph by paragraph
  // (not `anyLanguage`), also `languages`: per misspelling the index of the language that judged
  // it, into `names`. Works in slices of SLICE_MS; `isAborted()` is asked between them, and true
  // ends the check with `undefined`.
  // `vocabularies`: the names of the lists whose words are known too; `directives`: whether
  // the text's directives are followed; `own`: whether the names of its code are known in its
  // prose; `terms`: whether the words it repeats are its own (repeated-terms.js). The result
  // also holds the unknown directives (`problems`), with source offsets.
  async check(text, { format = 'plain', anyLanguage = false, vocabularies = [], directives = true, own = true, terms = own, isAborted = () => false } = {}) {
    if (!FORMATS.includes(format)) throw new TypeError(`format must be one of ${FORMATS.join(', ')}`);
    const prose = proseOf(format, text);
    const document = documentWords(text, prose, { directives, own });
    const known = new KnownWords([...document.lists, ...this.vocabularies.lists(vocabularies)], this.vocabularies.doubtful(vocabularies), (word) => !this.oneLetterShort(word));
    // The format read the whole text in one piece (some hundred milliseconds for 5 MB): an
    // abort meanwhile is seen now, before the words.
    if (prose !== null && text.length > 65536) {
      await yieldToEvents();
      if (isAborted()) return undefined;
    }
    const view = prose === null ? text : prose.text;
    const byParagraph = this.chooser !== null && !anyLanguage;
    const reports = new Reports({
      decodes: prose === null ? [] : prose.decodes,
      skip: document.skip.length > 0 ? new SkipCursor(document.skip) : null,
      byLanguage: byParagraph,
      terms,
    });
    // A language directive wins over the format's marks (an HTML lang) from where it stands,
    // and a unit starts there.
    const directed = byParagraph ? languageDirectives(document.languages, text.length, prose) : [];
    const blocks = prose === null ? [] : prose.blocks;
    const units = unitStarts(view, directed.length === 0 ? blocks : [...blocks, ...directed.map((mark) => mark.from)].sort((a, b) => a - b));
    const judge = byParagraph
      ? new ParagraphJudge(this.chooser, (start, end, word, language) => reports.add(start, end, word, language), {
        accepts: (word, index) => !this.checkers[index].isMisspelled(word.normalize('NFC')),
        verdict: (word) => this.maskVerdict(word),
        known: (word) => known.has(word),
        foreign: this.foreign,
        marks: new MarkCursor([directed, prose === null ? [] : prose.marks], (name) => this.chooser.languageNamed(name)),
        text: view,
      })
      : new UnionJudge(this, reports, known);
    const scanner = new WordScanner(view);
    let unit = 0;
    let unitStart = -1;
    let sliceStart = Date.now();
    let sinceClock = 0;
    while (scanner.next()) {
      const start = scanner.start;
      if (unit < units.length && start >= units[unit]) {
        judge.endUnit(unitStart);
        while (unit < units.length && start >= units[unit]) unit++;
        unitStart = -1;
      }
      if (unitStart < 0) unitStart = start;
      judge.word(start, scanner.end, scanner.word);
      if (++sinceClock >= 1024) {
        sinceClock = 0;
        if (Date.now() - sliceStart >= SLICE_MS) {
          await yieldToEvents();
          if (isAborted()) return undefined;
          sliceStart = Date.now();
        }
      }
    }
    judge.endUnit(unitStart);
    judge.finish();
    const found = reports.finish();
    found.problems = document.problems;
    if (byParagraph) found.names = this.languages.map((info) => info.language);
    return found;
  }

  // The verdict of a word in paragraph judging, kept per engine: see paragraphVerdict, with
  // FOREIGN set for a word that no language accepts and that is a common word of another.
  maskVerdict(word) {
    let verdict = this.masks.get(word);
    if (verdict === undefined) {
      verdict = this.paragraphVerdict(word);
      if (typeof verdict === 'number' && (verdict & MASK) === 0 && this.foreign.otherCommon(word)) verdict |= FOREIGN;
      if (this.masks.size >= CACHE_LIMIT) this.masks.clear();
      this.masks.set(word, verdict);
    }
    return verdict;
  }
}

// The union of the languages: a word is misspelled when every language rejects it. Reports
// go out as the words come, and a unit found to be in a language not given takes its back.
class UnionJudge {
  constructor(engine, reports, known) {
    this.engine = engine;
    this.reports = reports;
    this.known = known;
    this.language = engine.languages[0].language;
    this.foreign = engine.foreign;
    this.unitReports = 0;
    this.words = 0;
    this.rejected = 0;
    this.foreignWords = 0;
  }

  word(start, end, word) {
    this.words++;
    const { cache } = this.engine;
    let rejected = cache.get(word);
    if (rejected === undefined) {
      rejected = this.engine.verdict(word);
      if (cache.size >= CACHE_LIMIT) cache.clear();
      cache.set(word, rejected);
    }
    if (rejected === false) return;
    this.rejected++;
    if (this.known.has(word)) return;
    if (rejected === true) {
      if (this.foreign.otherCommon(word)) this.foreignWords++;
      if (this.foreign.otherScript(word)) return;
      this.reports.add(start, end, word);
      return;
    }
    for (let i = 0; i < rejected.length; i += 2) {
      const part = word.slice(rejected[i], rejected[i + 1]);
      if (!this.known.has(part)) this.reports.add(start + rejected[i], start + rejected[i + 1], part);
    }
  }

  endUnit() {
    if (foreignParagraph(this.words, this.rejected, this.foreignWords)) this.reports.truncate(this.unitReports);
    this.unitReports = this.reports.count;
    this.words = 0;
    this.rejected = 0;
    this.foreignWords = 0;
  }

  finish() {}
}

// The language directives of a text (`spellshell:language de_DE`, each over the comment or line
// it stands in) as marks in view offsets: each holds from where it stands to the next one, or to
// the end (`auto` gives the choice back to the words).
function languageDirectives(found, length, prose) {
  if (found.length === 0) return [];
  const view = prose === null ? (at) => at : (at) => viewOffset(prose.decodes, at);
  const sorted = [...found].sort((a, b) => a.start - b.start);
  const marks = [];
  sorted.forEach(({ start, language }, i) => {
    const to = i + 1 < sorted.length ? sorted[i + 1].start : length;
    if (language.toLowerCase() !== 'auto') marks.push({ from: view(start), to: view(to), language });
  });
  return marks;
}

// Each language's corrections in turn (the first of each, then the second of each, …), without
// repeats, at most `limit`; with `first` (a language's index), all of that language's
// corrections before the others'. A language without a list (not ready) is passed over.
function mergeSuggestions(lists, limit, first) {
  const merged = new Set();
  if (first !== undefined && lists[first]) {
    for (const suggestion of lists[first]) {
      if (merged.size >= limit) break;
      merged.add(suggestion);
    }
  }
  let longest = 0;
  for (let l = 0; l < lists.length; l++) if (lists[l]) longest = Math.max(longest, lists[l].length);
  for (let i = 0; i < longest && merged.size < limit; i++) {
    for (let l = 0; l < lists.length && merged.size < limit; l++) {
      if (l !== first && lists[l] && i < lists[l].length) merged.add(lists[l][i]);
    }
  }
  return [...merged];
}

// The Misspelling objects of a check's result, built in slices of SLICE_MS: a result of a
// million misspellings must not hold up the caller's thread in one piece either. (A count of
// entries per slice is no bound: as the heap fills, the collector makes each entry dearer.)
async function misspellingsOf(text, { offsets, words = [], languages, names }) {
  const result = new Array(offsets.length / 2);
  const decoded = new Map(words);
  let sliceStart = Date.now();
  for (let i = 0; i < offsets.length; i += 2) {
    const start = offsets[i];
    const end = offsets[i + 1];
    const entry = { start, end, word: decoded.size > 0 && decoded.has(i / 2) ? decoded.get(i / 2) : text.slice(start, end) };
    if (languages !== undefined) entry.language = names[languages[i / 2]];
    result[i / 2] = entry;
    if (i % 512 === 510 && Date.now() - sliceStart >= SLICE_MS) {
      await yieldToEvents();
      sliceStart = Date.now();
    }
  }
  return result;
}

module.exports = { Engine, mergeSuggestions, misspellingsOf, yieldToEvents, MASK, COMMON_SHIFT, FOREIGN };
