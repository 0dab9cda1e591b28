'use strict';
// Finds the words of a text that a spell checker should judge, with their UTF-16 offsets.
//
// A word is a maximal run of letters and combining marks; an apostrophe (' or ’) with letters
// on both sides joins the run (don't, l’eau). Left out: runs that touch a digit or an
// underscore (identifiers, 1st), URLs, e-mail addresses, and runs in scripts that Hunspell
// dictionaries do not segment into words.
//
// This layer must keep up with a bare regex-and-isMisspelled loop, so the scan is one simple
// regular expression (starting with a letter, which the engine can look for quickly) and the
// rarer rules look only at the characters around each match.

const RUN = /\p{L}[\p{L}\p{M}]*(?:['’]\p{L}[\p{L}\p{M}]*)*/gu;

// Tried only where a run is followed by a character that can continue one of them.
const URL_AT = /[A-Za-z][A-Za-z0-9+.-]*:\/\/\S*|www\.\S*/iy;
const EMAIL_AT = /[\p{L}\p{N}._%+-]+@[\p{L}\p{N}-]+(?:\.[\p{L}\p{N}-]+)*/uy;

const DIGIT = /^\p{Nd}$/u;

// Scripts written without spaces between words: Hunspell dictionaries cannot judge their runs.
const UNSEGMENTED_CLASS = '\\p{sc=Han}\\p{sc=Hiragana}\\p{sc=Katakana}\\p{sc=Hangul}\\p{sc=Thai}\\p{sc=Lao}\\p{sc=Khmer}\\p{sc=Myanmar}';
const HAS_UNSEGMENTED = new RegExp(`[${UNSEGMENTED_CLASS}]`, 'u');
const UNSEGMENTED = new RegExp(`[${UNSEGMENTED_CLASS}]+`, 'gu');

// Whether the code point is a decimal digit or the underscore.
function isDigitOrUnderscore(code) {
  if (code < 0x80) return (code >= 0x30 && code <= 0x39) || code === 0x5f;
  return DIGIT.test(String.fromCodePoint(code));
}

// The code point that ends just before `index`.
function codePointBefore(text, index) {
  const low = text.charCodeAt(index - 1);
  if (low >= 0xdc00 && low <= 0xdfff && index >= 2) {
    const high = text.charCodeAt(index - 2);
    if (high >= 0xd800 && high <= 0xdbff) return (high - 0xd800) * 0x400 + (low - 0xdc00) + 0x10000;
  }
  return low;
}

// Characters after a run that may make it part of a URL or an e-mail address: : . @ + - %, and
// the digits and underscore (s3://…, user_1@…).
function mayContinue(code) {
  return code === 0x3a || code === 0x2e || code === 0x40 || code === 0x2b || code === 0x2d || code === 0x25;
}

// Walks a text word by word without allocating per word: after next() returns true, `start`,
// `end` and `word` describe the word. Words may need NFC normalisation before they are judged.
class WordScanner {
  constructor(text) {
    this.text = text;
    this.position = 0;
    this.start = 0;
    this.end = 0;
    this.word = '';
    // Most texts have no unsegmented script at all: then no run needs looking at for it.
    this.mixed = HAS_UNSEGMENTED.test(text);
    this.pending = null; // the rest of a run split around unsegmented script
  }

  next() {
    if (this.pending !== null && this.takePending()) return true;
    const text = this.text;
    for (;;) {
      RUN.lastIndex = this.position;
      const match = RUN.exec(text);
      if (match === null) {
        this.position = text.length;
        return false;
      }
      const word = match[0];
      const start = match.index;
      const end = start + word.length;
      this.position = end;
      const after = end < text.length ? text.codePointAt(end) : -1;
      const touchesAfter = after !== -1 && isDigitOrUnderscore(after);
      if (touchesAfter || mayContinue(after)) {
        const skipped = skipAt(URL_AT, text, start) || skipAt(EMAIL_AT, text, start);
        if (skipped > end) {
          this.position = skipped;
          continue;
        }
      }
      if (touchesAfter || (start > 0 && isDigitOrUnderscore(codePointBefore(text, start)))) continue;
      if (this.mixed && HAS_UNSEGMENTED.test(word)) {
        this.pending = { word, offset: start, at: 0 };
        if (this.takePending()) return true;
        continue;
      }
      this.start = start;
      this.end = end;
      this.word = word;
      return true;
    }
  }

  // The next piece of a run between stretches of unsegmented script.
  takePending() {
    const { word, offset } = this.pending;
    while (this.pending.at < word.length) {
      UNSEGMENTED.lastIndex = this.pending.at;
      const skip = UNSEGMENTED.exec(word);
      const pieceStart = this.pending.at;
      const pieceEnd = skip === null ? word.length : skip.index;
      this.pending.at = skip === null ? word.length : skip.index + skip[0].length;
      // A piece that is only combining marks (left over from the skipped script) is no word.
      if (pieceEnd > pieceStart && /\p{L}/u.test(word.slice(pieceStart, pieceEnd))) {
        this.start = offset + pieceStart;
        this.end = offset + pieceEnd;
        this.word = word.slice(pieceStart, pieceEnd);
        return true;
      }
    }
    this.pending = null;
    return false;
  }
}

// The end of the URL or e-mail address that starts at `start`, or 0.
function skipAt(pattern, text, start) {
  pattern.lastIndex = start;
  return pattern.test(text) ? pattern.lastIndex : 0;
}

// Every word of the text, as { start, end, word }.
function words(text) {
  const scanner = new WordScanner(text);
  const found = [];
  while (scanner.next()) found.push({ start: scanner.start, end: scanner.end, word: scanner.word });
  return found;
}

module.exports = { WordScanner, words };
