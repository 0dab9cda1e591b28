'use strict';
// The document's own words: the names its code defines or uses. A word written as an
// identifier in a source file's code, in a code span or fence of a Markdown document, or in an
// HTML page's <code> and <pre>, is no typo where the prose mentions it (`minipass`, `readFile`,
// `ctx`). Identifiers count whole and by their parts (`readFile`: read, File; `MAX_SIZE`: MAX,
// SIZE); a part written with a capital only because it joins a camelCase name, or in capitals
// only because it is a constant's, counts in lower case too. A misspelling known as such (known-misspellings.js) never becomes a word this way.
const { WordList } = require('./word-list');
const { isKnownMisspelling } = require('./known-misspellings');
const { camelParts } = require('./tokenizer');

// A name in code: letters, digits, `_` and `$`, starting with no digit. Pieces of it are runs
// of letters (and marks, and apostrophes inside, as the tokeniser reads words).
const IDENTIFIER = /[\p{L}_$][\p{L}\p{M}\p{N}_$]*/gu;
const PIECE = /\p{L}[\p{L}\p{M}]*/gu;
// A piece of one or two letters is a prefix or a loop variable, never a word of the prose.
const SHORTEST = 3;
const CAPITALISED = /^\p{Lu}[\p{Ll}\p{M}]+$/u;

function addWord(words, word) {
  if (word.length < SHORTEST || isKnownMisspelling(word)) return;
  words.add(word);
}

// Adds the words of one identifier to the set `words`.
function addIdentifier(words, identifier) {
  for (const match of identifier.matchAll(PIECE)) {
    const piece = match[0];
    addWord(words, piece);
    // A constant's name is in capitals by convention, not as an acronym: MAX_SIZE names size.
    if (piece === piece.toUpperCase() && identifier.includes('_')) addWord(words, piece.toLowerCase());
    const parts = camelParts(piece);
    if (parts === null) continue;
    for (const [start, end] of parts) {
      const part = piece.slice(start, end);
      addWord(words, part);
      if (CAPITALISED.test(part)) addWord(words, part.toLowerCase());
    }
  }
}

/**
 * The own words of `text`, from the format's code ranges (start, end pairs), as a WordList
 * (with a dictionary's rules of case), or null when the text has no code.
 */
function ownWords(text, code) {
  if (!code || code.length === 0) return null;
  const words = new Set();
  const seen = new Set(); // identifiers already taken apart
  for (let i = 0; i < code.length; i += 2) {
    const piece = text.slice(code[i], code[i + 1]);
    for (const match of piece.matchAll(IDENTIFIER)) {
      const identifier = match[0];
      if (seen.has(identifier)) continue;
      seen.add(identifier);
      addIdentifier(words, identifier.normalize('NFC'));
    }
  }
  return words.size === 0 ? null : new WordList(words);
}

module.exports = { ownWords };
