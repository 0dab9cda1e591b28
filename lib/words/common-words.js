'use strict';
// The most common words of a language (articles, pronouns, prepositions, auxiliaries: its
// "stop words"), lower case. They tell languages apart where dictionaries cannot (a German
// dictionary knows "die" and "war", an English one too), and a word one edit from one of them
// is more likely a slip than a word borrowed from another language. From the stopwords-iso
// package (MIT), which has them for 58 languages by ISO 639-1 code.

// Dictionaries are named ll_CC (or lll_CC); the lists only by language. Norwegian's two written
// forms share one list.
const ALIASES = new Map([['nb', 'no'], ['nn', 'no']]);

const lists = new Map();

// The common words of a dictionary's language (`en_US`, `de-CH`, `pt_BR`): a Set, empty when
// the package has none for it.
function commonWords(language) {
  const base = String(language).split(/[-_]/)[0].toLowerCase();
  const code = ALIASES.get(base) ?? base;
  let set = lists.get(code);
  if (set === undefined) {
    const all = require('stopwords-iso');
    // Entries with digits or apostrophes at their ends ('ll, 10) are no words a checker judges.
    set = new Set(Object.hasOwn(all, code) ? all[code].filter((word) => /^\p{L}[\p{L}\p{M}'’]*$/u.test(word)).map((word) => word.toLowerCase()) : []);
    lists.set(code, set);
  }
  return set;
}

// Whether the package has common words for the language of `language`.
function hasCommonWords(language) {
  return commonWords(language).size > 0;
}

module.exports = { commonWords, hasCommonWords };
