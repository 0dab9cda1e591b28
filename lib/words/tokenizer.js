'use strict';
// Finds the words of a text that a spell checker should judge, with their UTF-16 offsets.
//
// A word is a maximal run of letters and combining marks; an apostrophe (' or ’) with letters
// on both sides joins the run (don't, l’eau). Left out: runs that touch a digit or an
// underscore (identifiers, 1st), URLs, e-mail addresses, runs in scripts that Hunspell
// dictionaries do not segment into words, and the runs of tokens nobody means as words (file
// paths and names, dotted member access, command-line options, @scope/names, format
// specifiers, `user at host.tld`; see `chunkIsCode`).
//
// This layer must keep up with a bare regex-and-isMisspelled loop, so the scan is one simple
// regular expression and the rarer rules look only at the characters around each match. Each
// letter is tried against A-Z and a-z before the Unicode classes: on mostly Latin text that
// halves the scan, since a Unicode property test is a search through hundreds of ranges.
const LETTER = '(?:[A-Za-z]|\\p{L})';
const LETTER_OR_MARK = '(?:[A-Za-z]|[\\p{L}\\p{M}])';
const RUN = new RegExp(`${LETTER}${LETTER_OR_MARK}*(?:['’]${LETTER}${LETTER_OR_MARK}*)*`, 'gu');

// Tried only where a run is followed by a character that can continue one of them. The scheme
// and the local part are bounded (32 and 64 characters, the most real ones use): unbounded, each
// try on text such as `ab-ab-ab-…` or base64 would read to its end, and the scan would be
// quadratic.
const URL_AT = /[A-Za-z][A-Za-z0-9+.-]{0,31}:\/\/\S*|www\.\S*/iy;
const EMAIL_AT = /[\p{L}\p{N}._%+-]{1,64}@[\p{L}\p{N}-]+(?:\.[\p{L}\p{N}-]+)*/uy;

const DIGIT = /^\p{Nd}$/u;
const MAN_SECTION = /^\(\d[a-z]{0,3}\)/;

// `john at example dot com`, `john (at) example.com`: an address spelled out so that robots miss
// it. Tried only where a run is followed by ` at`, `(at)`, `[at]` or `<at>`; the parts are
// bounded like EMAIL_AT's.
const SPELLED_EMAIL_AT = /(?:[ \t]*[([<]at[)\]>][ \t]*|[ \t]+at[ \t]+)[\p{L}\p{N}-]{1,63}(?:(?:\.|[ \t]*[([<]dot[)\]>][ \t]*|[ \t]+dot[ \t]+)[\p{L}\p{N}-]{1,63}){1,8}/uy;
const TLD_END = /\p{L}{2,}$/u;

// Characters that may glue a run into a token that is not a word: a file path or name, a
// member access, an option, a scope, a format specifier. A run beside one of them is judged
// only after a look at the whole chunk (the stretch between white space and brackets) it lies in.
const GLUE = new Uint8Array(128);
for (const c of './\\-@~%$#:+=') GLUE[c.charCodeAt(0)] = 1;
// What ends a chunk besides white space: brackets, quotes, and separators of prose.
const CHUNK_END = new Uint8Array(128);
for (const c of ' \t\r\n\f\v()[]{}<>"\'`,;|*!?') CHUNK_END[c.charCodeAt(0)] = 1;
// A chunk longer than this is looked at in its first CHUNK_LIMIT characters on each side of the
// run: enough for any real path, and it keeps the scan linear on text without spaces.
const CHUNK_LIMIT = 256;

const PATH_START = /^(?:\/|\.{1,2}[\\/]|\.\w|~[\w.-]*[\\/]|\\|[A-Za-z]:[\\/]|\$|%\w+%)/;
const OPTION = /^--?[A-Za-z]/;
const HEX_COLOUR = /^#[0-9A-Fa-f]{3,8}$/;
const WORD_CHAR = '[\\p{L}\\p{M}\\p{N}_$]';
// A dot between two word characters: a file name (index.js), a member access (fs.statSync), a
// domain, a version, a product name such as Node.js.
const DOTTED = new RegExp(`${WORD_CHAR}\\.${WORD_CHAR}`, 'u');
const SEPARATOR_BETWEEN = new RegExp(`${WORD_CHAR}[\\\\/]${WORD_CHAR}`, 'gu');
const BACKSLASH_BETWEEN = new RegExp(`${WORD_CHAR}\\\\${WORD_CHAR}`, 'u');

// Whether a chunk (trimmed of the punctuation that ends a sentence) is something other than
// prose. One slash between words stays prose (and/or, km/h); two, or one before a file name
// (docs/index.md), make a path.
// `whole`: false when the chunk was cut short before its start, whose rules then do not apply.
function chunkIsCode(chunk, whole) {
  if (chunk.length < 2) return false;
  if (whole && (PATH_START.test(chunk) || OPTION.test(chunk) || chunk[0] === '@' || chunk[0] === '%' || HEX_COLOUR.test(chunk))) return true;
  if (chunk.includes('::')) return true; // std::vector, Foo::bar
  if (DOTTED.test(chunk) || BACKSLASH_BETWEEN.test(chunk)) return true;
  const slashes = chunk.match(SEPARATOR_BETWEEN);
  if (slashes === null) return false;
  // One slash joins alternatives in prose (and/or, km/h, read/write); beside a hyphenated or
  // numbered name it is a path or a branch (jh/topic-name, v2/api, src/main-window).
  return slashes.length >= 2 || /[-_\d]/.test(chunk.replace(/^[^\p{L}\d]+|[^\p{L}\d]+$/gu, ''));
}

// Scripts written without spaces between words: Hunspell dictionaries cannot judge their runs.
const UNSEGMENTED_CLASS = '\\p{sc=Han}\\p{sc=Hiragana}\\p{sc=Katakana}\\p{sc=Hangul}\\p{sc=Thai}\\p{sc=Lao}\\p{sc=Khmer}\\p{sc=Myanmar}';
const HAS_UNSEGMENTED = new RegExp(`[${UNSEGMENTED_CLASS}]`, 'u');
// The blocks those scripts live in, as a few plain ranges (and the surrogates of the
// supplementary ideographs): a quick first look at a whole text, ten times faster than the
// script classes, which only the texts it finds something in need.
const MAYBE_UNSEGMENTED = /[\u0E00-\u0EFF\u1000-\u11FF\u1780-\u17FF\u2E80-\u9FFF\uA960-\uA97F\uAC00-\uD7FF\uF900-\uFAFF\uFF00-\uFFEF\uD840-\uD8BF]/;
const UNSEGMENTED = new RegExp(`[${UNSEGMENTED_CLASS}]+`, 'gu');
// 64K characters: a look at a window takes about 0.1 ms.
const WINDOW = 65536;
const WINDOW_UNKNOWN = 0;
const WINDOW_PLAIN = 1;
const WINDOW_MIXED = 2;
const PIECE_LEAD = /^\P{L}*/u;
const PIECE_TRAIL = /['’]*$/;

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

// After a run, `: . @ + - %` and the digits and underscore (s3://…, user_1@…) may make it part
// of a URL or an e-mail address; only then are those patterns tried.

// Walks a text word by word without allocating per word: after next() returns true, `start`,
// `end` and `word` describe the word. Words may need NFC normalisation before they are judged.
class WordScanner {
  constructor(text) {
    this.text = text;
    this.position = 0;
    this.start = 0;
    this.end = 0;
    this.word = '';
    // Most texts have no unsegmented script at all: then no run needs looking at for it. The
    // text is looked at in windows, each when the scan first reaches it: one look at 50 MB
    // would hold the thread for 90 ms in one piece.
    this.windows = new Uint8Array(Math.ceil(text.length / WINDOW)); // WINDOW_* per window
    this.pending = null; // the rest of a run split around unsegmented script
    // The last chunk looked at and whether it is code: the runs of one chunk share the verdict,
    // and each chunk is read once.
    this.chunkStart = 0;
    this.chunkEnd = 0;
    this.chunkCode = false;
  }

  // The bounds of the chunk around [start, end), and whether it is code.
  lookAtChunk(start, end) {
    const text = this.text;
    let from = start;
    const lowest = Math.max(0, start - CHUNK_LIMIT);
    while (from > lowest) {
      const c = text.charCodeAt(from - 1);
      if ((c < 0x80 && CHUNK_END[c] === 1) || c === 0xa0 || c === 0x2028 || c === 0x2029) break;
      from--;
    }
    let to = end;
    const highest = Math.min(text.length, end + CHUNK_LIMIT);
    while (to < highest) {
      const c = text.charCodeAt(to);
      if ((c < 0x80 && CHUNK_END[c] === 1) || c === 0xa0 || c === 0x2028 || c === 0x2029) break;
      to++;
    }
    // Sentence punctuation and a trailing colon end a chunk without being part of it.
    let last = to;
    while (last > end && ':.'.includes(text[last - 1])) last--;
    this.chunkStart = from;
    this.chunkEnd = to;
    this.chunkCode = chunkIsCode(text.slice(from, last), from === 0 || from > lowest);
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
      // The characters around the run: ASCII answers at once, anything else by its code point.
      const after = text.charCodeAt(end); // NaN at the end of the text
      let touchesAfter;
      let mayContinue = false;
      let glued = false;
      if (after < 0x80) {
        touchesAfter = (after >= 0x30 && after <= 0x39) || after === 0x5f;
        mayContinue = touchesAfter || after === 0x3a || after === 0x2e || after === 0x40 || after === 0x2b || after === 0x2d || after === 0x25;
        glued = GLUE[after] === 1;
        if (after === 0x20 || after === 0x28 || after === 0x5b || after === 0x3c) {
          // ` at ` or `(at)` may spell out an e-mail address whose user this run is.
          const at = after === 0x20 ? end + 1 : end;
          const c = text.charCodeAt(at);
          const next = text.charCodeAt(at + 1);
          if ((c === 0x61 && next === 0x74) || ((c === 0x28 || c === 0x5b || c === 0x3c) && next === 0x61)) {
            const skipped = skipAt(SPELLED_EMAIL_AT, text, end);
            if (skipped > end && TLD_END.test(text.slice(Math.max(end, skipped - 64), skipped))) {
              this.position = skipped;
              continue;
            }
          }
        }
      } else {
        touchesAfter = after >= 0x80 && isDigitOrUnderscore(text.codePointAt(end));
        mayContinue = touchesAfter;
      }
      if (mayContinue) {
        const skipped = skipAt(URL_AT, text, start) || skipAt(EMAIL_AT, text, start);
        if (skipped > end) {
          this.position = skipped;
          continue;
        }
      }
      if (touchesAfter) continue;
      // A manual page's name: bash(1), printf(3p).
      if (after === 0x28 && MAN_SECTION.test(text.slice(end, end + 8))) continue;
      if (start > 0) {
        const before = text.charCodeAt(start - 1);
        if (before < 0x80 ? (before >= 0x30 && before <= 0x39) || before === 0x5f : isDigitOrUnderscore(codePointBefore(text, start))) continue;
        if (before < 0x80 && GLUE[before] === 1) glued = true;
      }
      if (glued) {
        if (start >= this.chunkEnd || start < this.chunkStart) this.lookAtChunk(start, end);
        if (this.chunkCode) {
          this.position = Math.max(end, this.chunkEnd);
          continue;
        }
      }
      if (this.mayBeMixed(start, end) && HAS_UNSEGMENTED.test(word)) {
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

  // Whether a window that [start, end) touches holds unsegmented script.
  mayBeMixed(start, end) {
    for (let i = Math.floor(start / WINDOW), last = Math.floor((end - 1) / WINDOW); i <= last; i++) {
      if (this.windows[i] === WINDOW_UNKNOWN) {
        const window = this.text.slice(i * WINDOW, (i + 1) * WINDOW);
        this.windows[i] = MAYBE_UNSEGMENTED.test(window) && HAS_UNSEGMENTED.test(window) ? WINDOW_MIXED : WINDOW_PLAIN;
      }
      if (this.windows[i] === WINDOW_MIXED) return true;
    }
    return false;
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
      // The skipped script may leave combining marks or an apostrophe at a piece's edges: a
      // word starts on a letter and does not end on an apostrophe (a piece of marks alone is
      // no word).
      const piece = word.slice(pieceStart, pieceEnd);
      const lead = PIECE_LEAD.exec(piece)[0].length;
      const trail = PIECE_TRAIL.exec(piece)[0].length;
      if (lead + trail < piece.length) {
        this.start = offset + pieceStart + lead;
        this.end = offset + pieceEnd - trail;
        this.word = piece.slice(lead, piece.length - trail);
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

// camelCase and PascalCase: a lower-case letter followed by a capital, or a capital followed by
// a capital and a lower-case letter (XMLHttpRequest).
const CAMEL = /\p{Ll}\p{M}*\p{Lu}|\p{Lu}\p{Lu}\p{Ll}/u;
// The parts: a capital with its lower-case letters, a run of capitals (before a capital that
// starts a part, or at the end), or lower-case letters (with apostrophes and marks).
const CAMEL_PART = /\p{Lu}+(?=\p{Lu}\p{Ll})|\p{Lu}[\p{Ll}\p{M}'’]+|\p{Lu}+|[^\p{Lu}]+/gu;

// The parts of an identifier written in camelCase or PascalCase, as [start, end] within the
// word, or null when the word is not written so. Like every word, a part starts with a letter
// and does not end on an apostrophe: the lower-case run after a run of capitals may begin with
// the apostrophe or the marks that followed them (`𝐀İ'ßß` is `𝐀İ` and `ßß`).
function camelParts(word) {
  if (!CAMEL.test(word)) return null;
  const parts = [];
  for (const match of word.matchAll(CAMEL_PART)) {
    const part = match[0];
    const lead = PIECE_LEAD.exec(part)[0].length;
    const trail = PIECE_TRAIL.exec(part)[0].length;
    if (lead + trail < part.length) parts.push([match.index + lead, match.index + part.length - trail]);
  }
  return parts;
}

// Every word of the text, as { start, end, word }.
function words(text) {
  const scanner = new WordScanner(text);
  const found = [];
  while (scanner.next()) found.push({ start: scanner.start, end: scanner.end, word: scanner.word });
  return found;
}

module.exports = { WordScanner, words, camelParts };
