'use strict';
// A document's own terms by use: a word that no dictionary or list knows and that the document
// writes three times or more is a name or a term of its subject (`valgrind`, `pathspec`, an
// author's name in a list of them), which a typo almost never is: one slip is made once. Such a
// word is not reported, unless it is a misspelling known as such: `recieve` stays a typo however
// often it is written. (On 25 plain-text docs of /usr/share/doc the reports went from 1,091 to
// about 570, on 25 HTML manuals from 3,450 to about 1,500, and no seeded typo was lost. Held
// against every word one edit from a dictionary's, as a guard against a slip made each time, it
// kept too much: `maint` near `main`, hundreds of times in release notes.)
const { isKnownMisspelling } = require('./known-misspellings');

// Uses from which a word is the document's own.
const REPEATED = 3;

// The words among `words` (the reported words of one document, a word once per report) that
// the document uses REPEATED times or more, as a Set of their lower-case forms.
function repeatedTerms(words, minimum = REPEATED) {
  const counts = new Map();
  for (const word of words) {
    const key = word.toLowerCase();
    counts.set(key, (counts.get(key) ?? 0) + 1);
  }
  const terms = new Set();
  for (const [key, count] of counts) if (count >= minimum && !isKnownMisspelling(key.normalize('NFC'))) terms.add(key);
  return terms;
}

module.exports = { repeatedTerms, REPEATED };
