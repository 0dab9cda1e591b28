'use strict';
// Text in a language the checker was not given: a paragraph of French in a manual checked in
// English, a Russian name in a list of authors. Its words would all be reported, and none of
// them is a typo the writer can act on, so such text is not judged:
//   - a word in a script none of the languages is written in (Cyrillic, Greek, Hebrew… beside
//     Latin-script languages), told by the scripts of each language's common words;
//   - a paragraph whose words the dictionaries mostly reject and among which the common words of
//     another language stand out (`de`, `la`, `les`, `und`, `der`), by the common words of the 58
//     languages of stopwords-iso.
const { commonWords, hasCommonWords } = require('./common-words');

// Scripts a letter may be in, tested in this order.
const SCRIPTS = ['Latin', 'Cyrillic', 'Greek', 'Armenian', 'Georgian', 'Hebrew', 'Arabic', 'Devanagari', 'Bengali', 'Thai', 'Hangul', 'Han',
  'Hiragana', 'Katakana', 'Ethiopic', 'Tamil', 'Telugu', 'Gujarati', 'Gurmukhi', 'Kannada', 'Malayalam', 'Sinhala', 'Khmer', 'Lao', 'Myanmar']
  .map((name) => [name, new RegExp(`\\p{Script=${name}}`, 'u')]);

// The script of the first letter of `word`, or undefined.
function scriptOf(word) {
  const letter = /\p{L}/u.exec(word);
  if (letter === null) return undefined;
  return SCRIPTS.find(([, test]) => test.test(letter[0]))?.[0];
}

// A paragraph is in another language when at least this many of its words, and this share of
// them, are common words of a language not given, and the dictionaries reject this share.
const FOREIGN_WORDS = 3;
const FOREIGN_SHARE = 0.15;
const REJECTED_SHARE = 0.4;

let allCommon = null; // lower-case word -> the language codes it is a common word of

class ForeignText {
  // languages: the dictionaries' names (`en_US`, `de_DE`); accepted(word, index): whether the
  // dictionary of language `index` accepts a word (its common words are those it accepts: the
  // lists hold codes and abbreviations too, `de` and `un` among the English ones).
  constructor(languages, accepted = () => true) {
    const codes = new Set(languages.map((language) => String(language).split(/[-_]/)[0].toLowerCase()));
    // Scripts: those of each language's common words; a language without a list could be in any.
    this.scripts = new Set();
    this.anyScript = false; // a language without common words: its script and words are unknown
    this.own = new Set();
    languages.forEach((language, index) => {
      if (!hasCommonWords(language)) this.anyScript = true;
      for (const word of commonWords(language)) {
        this.scripts.add(scriptOf(word));
        if (accepted(word, index)) this.own.add(word);
      }
    });
    this.codes = codes;
  }

  // Whether a rejected `word` is in a script none of the languages is written in.
  otherScript(word) {
    if (this.anyScript) return false;
    const script = scriptOf(word);
    return script !== undefined && !this.scripts.has(script);
  }

  // Whether a rejected `word` is a common word of a language not given (and of none given).
  // Where a language has no list of common words, none is known to be another's.
  otherCommon(word) {
    if (this.anyScript) return false;
    const lower = word.toLowerCase();
    if (this.own.has(lower)) return false;
    allCommon ??= indexAll();
    const codes = allCommon.get(lower);
    return codes !== undefined && codes.some((code) => !this.codes.has(code));
  }
}

// Whether a paragraph of `words` words, `rejected` of them rejected and `foreign` of those common
// words of another language, is written in that other language.
function foreignParagraph(words, rejected, foreign) {
  return foreign >= FOREIGN_WORDS && foreign >= FOREIGN_SHARE * words && rejected >= REJECTED_SHARE * words;
}

function indexAll() {
  const all = require('stopwords-iso');
  const index = new Map();
  for (const code of Object.keys(all)) {
    for (const word of commonWords(code)) {
      if (!index.has(word)) index.set(word, []);
      index.get(word).push(code);
    }
  }
  return index;
}

module.exports = { ForeignText, foreignParagraph, scriptOf };
