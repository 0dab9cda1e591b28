'use strict';
// Inline directives: notes in a document's comments (on any line of plain text) that tell the
// checker what to leave alone, so that a word or a passage can be settled where it stands:
//
//   spellshell:ignore WORD…  spellshell:words WORD…   the words are known in the whole document
//   spellshell:disable … spellshell:enable            nothing in between is judged
//   spellshell:disable-line                           nothing on this line
//   spellshell:disable-next-line                      nothing on the next line
//   spellshell:language LANG                          (kept for the paragraph's language)
//
// `cspell:`, `spell-checker:` and `spellchecker:` mean the same, in any case (`cSpell:`), with
// one or two colons and spaces after them, so that a project keeps the directives it wrote for
// the docs checker it used before. That checker's other directives (`ignoreRegExp`,
// `dictionaries`, `locale`…) are known and left alone; any other name after one of the
// prefixes is a problem the caller reports (`spellshell:ignor`). A directive's own text is never
// judged.

// The prefix, where no letter, digit or joiner runs into it (`@cspell/dict-node` is a name).
const PREFIX = /(?<![\p{L}\p{N}_./@-])(spellshell|cspell|spell-?checker)::?[ \t]*([\p{L}_-]*)/giu;

// Directive names by what they do, compared without case, `-` or `_`.
const WORDS = new Set(['ignore', 'ignoreword', 'ignorewords', 'words', 'word']);
const LANGUAGE = new Set(['language', 'locale']);
// The other checker's directives that mean nothing here.
const OTHERS = new Set(['ignoreregexp', 'includeregexp', 'enablecompoundwords', 'disablecompoundwords',
  'enableallowcompoundwords', 'disableallowcompoundwords', 'dictionaries', 'dictionary', 'flagwords', 'forbid',
  'forbidwords', 'enablecaseSensitive', 'disablecasesensitive'].map((name) => name.toLowerCase()));
const ACTIONS = new Set(['disable', 'enable', 'disableline', 'disablenextline']);

// Arguments are words separated by spaces or commas; a word is what the tokeniser could hand
// over (letters, marks, apostrophes inside).
const ARGUMENT_WORD = /^\p{L}[\p{L}\p{M}'’]*$/u;

// The first range of `ranges` (start, end pairs in order) that holds `at`, as its index, or -1.
function rangeAt(ranges, at) {
  let low = 0;
  let high = ranges.length / 2 - 1;
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (ranges[middle * 2 + 1] <= at) low = middle + 1;
    else if (ranges[middle * 2] > at) high = middle - 1;
    else return middle;
  }
  return -1;
}

function lineStart(text, at) {
  return text.lastIndexOf('\n', at - 1) + 1;
}

function lineEnd(text, at) {
  const end = text.indexOf('\n', at);
  return end === -1 ? text.length : end;
}

// Start, end pairs merged into order, overlaps joined.
function merged(pairs) {
  const list = [];
  for (let i = 0; i < pairs.length; i += 2) list.push([pairs[i], pairs[i + 1]]);
  list.sort((a, b) => a[0] - b[0] || a[1] - b[1]);
  const out = [];
  for (const [start, end] of list) {
    if (out.length > 0 && start <= out[out.length - 1]) out[out.length - 1] = Math.max(out[out.length - 1], end);
    else out.push(start, end);
  }
  return out;
}

/**
 * The directives of `text`. `comments`: the format's comment ranges (start, end pairs in order)
 * where directives may stand, or null when any line may hold one (plain text).
 * Returns { words, skip, problems, languages, texts, count }:
 *   words: the words the document's directives make known;
 *   skip: source ranges where nothing is judged (start, end pairs in order, merged): the
 *     directives' own text, disabled regions and lines;
 *   problems: [{ start, end, directive, message }] for unknown directives;
 *   languages: [{ start, end, language }] for each language directive, over its comment (or line);
 *   texts: the directives' own text (start, end pairs in order);
 *   count: how many directives were read.
 */
function readDirectives(text, comments = null) {
  const result = { words: [], skip: [], texts: [], problems: [], languages: [], count: 0 };
  // Most texts hold none: one search of the whole text says so.
  if (!/spell/i.test(text)) return result;
  const skip = [];
  let disabledFrom = -1;
  for (const match of text.matchAll(PREFIX)) {
    const at = match.index;
    let end = lineEnd(text, at);
    let holderStart = lineStart(text, at);
    let holderEnd = end;
    if (comments !== null) {
      const index = rangeAt(comments, at);
      if (index === -1) continue;
      holderStart = comments[index * 2];
      holderEnd = comments[index * 2 + 1];
      end = Math.min(end, holderEnd);
    }
    result.count++;
    const name = match[2];
    const key = name.toLowerCase().replace(/[-_]/g, '');
    const rest = text.slice(at + match[0].length, end);
    skip.push(at, end);
    result.texts.push(at, end);
    if (WORDS.has(key)) {
      for (const word of rest.split(/[\s,]+/)) {
        const clean = word.replace(/^['’]+|['’]+$/g, '').normalize('NFC');
        if (ARGUMENT_WORD.test(clean)) result.words.push(clean);
      }
    } else if (key === 'disable') {
      if (disabledFrom === -1) disabledFrom = end;
    } else if (key === 'enable') {
      if (disabledFrom !== -1) skip.push(disabledFrom, at);
      disabledFrom = -1;
    } else if (key === 'disableline') {
      skip.push(lineStart(text, at), lineEnd(text, at));
    } else if (key === 'disablenextline') {
      const next = lineEnd(text, end) + 1;
      if (next <= text.length) skip.push(next, lineEnd(text, next));
    } else if (LANGUAGE.has(key)) {
      const language = /^\s*([\p{L}\p{N}_-]+)/u.exec(rest);
      if (language !== null) result.languages.push({ start: holderStart, end: holderEnd, language: language[1] });
    } else if (!OTHERS.has(key) && !ACTIONS.has(key)) {
      const directive = `${match[1]}:${name}`;
      result.problems.push({ start: at, end: at + match[0].length, directive, message: `unknown directive "${directive}"` });
    }
  }
  if (disabledFrom !== -1) skip.push(disabledFrom, text.length);
  result.skip = merged(skip);
  return result;
}

// Walks skip ranges for offsets asked in increasing order: skipped(at) says whether a word
// starting at `at` is in one.
class SkipCursor {
  constructor(skip) {
    this.skip = skip;
    this.index = 0;
  }

  skipped(at) {
    const { skip } = this;
    while (this.index < skip.length && skip[this.index + 1] <= at) this.index += 2;
    return this.index < skip.length && skip[this.index] <= at;
  }
}

module.exports = { readDirectives, SkipCursor, rangeAt, mergeRanges: merged };
