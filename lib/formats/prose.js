'use strict';
// What a format hands the tokeniser: the prose of a text as a view of it. Every character that
// is not prose is blanked (a space), so that the view keeps the text's offsets; only where an
// entity or escape is decoded does the view hold other characters than the text, and a short
// list says where, so that words found there map back to the whole source range. Beside the
// view, a format tells where its comments are (where notes to tools may stand) and where its
// code is (the names a document defines), as source ranges, and where its blocks start and
// which ranges name their language.
const { referenceAt } = require('./entities');

const BLANK = 1;
const DECODED = 2;

class Prose {
  // `blank`: true when the text starts out all blank and the format marks what to keep (source
  // code), false when it starts out all prose and the format blanks the markup.
  constructor(text, blank = false) {
    this.source = text;
    this.mask = new Uint8Array(text.length);
    if (blank) this.mask.fill(BLANK);
    this.decodes = [];
    // Where the text's blocks start (paragraphs, headings, block elements, comments), and the
    // ranges whose language the text names (an HTML lang attribute, a front matter's lang): the
    // paragraphs a service with several languages judges each in its own.
    this.blocks = [];
    this.marks = [];
    // Source ranges as start, end pairs, in the order the format found them.
    this.comments = [];
    this.codes = [];
    // The last search for `&`: where it started and what it found (-1: none to the end). Kept
    // ranges come in text order mostly, and without it each would search to the next & of the
    // whole text.
    this.ampFrom = Infinity;
    this.ampAt = -1;
  }

  // The first & at or after `from`.
  nextAmpersand(from) {
    if (from < this.ampFrom || (this.ampAt !== -1 && this.ampAt < from)) {
      this.ampAt = this.source.indexOf('&', from);
    }
    this.ampFrom = from;
    return this.ampAt;
  }

  blank(from, to) {
    if (to > from) this.mask.fill(BLANK, from, to);
  }

  keep(from, to) {
    if (to > from) this.mask.fill(0, from, to);
  }

  // [from, to) is the content of a comment (without its delimiters).
  comment(from, to) {
    if (to > from) this.comments.push(from, to);
  }

  // [from, to) is code: its names are the document's own.
  code(from, to) {
    if (to > from) this.codes.push(from, to);
  }

  // The source range [from, to) reads as `value` (an entity, an escape).
  decode(from, to, value) {
    this.mask.fill(DECODED, from, to);
    this.decodes.push({ from, to, value });
  }

  // Keeps [from, to) with its character references decoded (`&eacute;`, `&#233;`, `&#xE9;`;
  // named ones need their `;`, except with `legacy`: then the names HTML has always known are
  // decoded without one too, as browsers do in text, and so are numeric ones). A reference to
  // a symbol whose value is not known here is blanked.
  keepDecoded(from, to, legacy = false) {
    this.keep(from, to);
    const text = this.source;
    for (let at = this.nextAmpersand(from); at !== -1 && at < to; at = this.nextAmpersand(at + 1)) {
      const reference = referenceAt(text, at, legacy);
      if (reference === null || reference.end > to) continue;
      if (reference.value === '') this.blank(at, reference.end);
      else this.decode(at, reference.end, reference.value);
      at = reference.end - 1;
    }
  }

  // A block starts at `at`.
  boundary(at) {
    this.blocks.push(at);
  }

  // [from, to) is written in `language` (as the text names it: `de`, `fr-CA`). Marks nest: an
  // inner one wins within its range.
  mark(from, to, language) {
    if (to > from) this.marks.push({ from, to, language });
  }

  // { text, decodes, blocks, marks, comments, code }: the view, the decoded pieces in order as
  // { viewStart, viewEnd, start, end } (view and source ranges), the block starts and language
  // marks in view offsets (marks flattened: in order, not overlapping), and the comments' and
  // the code's source ranges (start, end pairs, in source order).
  finish() {
    const ranges = { comments: sorted(this.comments), code: sorted(this.codes) };
    return { ...this.view(), ...ranges };
  }

  view() {
    const { source, mask } = this;
    if (mask.indexOf(BLANK) === -1 && this.decodes.length === 0) return this.result(source, []);
    // The text with its blanked characters as spaces, in one buffer read back in one piece:
    // a slice per run of prose would be hundreds of thousands of strings for a 5 MB text.
    const length = source.length;
    const units = new Uint16Array(length);
    for (let i = 0; i < length; i++) units[i] = mask[i] === BLANK ? 32 : source.charCodeAt(i);
    if (this.decodes.length === 0) return this.result(UTF16.decode(units), []);
    const decodes = this.decodes.sort((a, b) => a.from - b.from);
    const pieces = [];
    const placed = [];
    let at = 0;
    let viewAt = 0;
    for (const { from, to, value } of decodes) {
      if (from < at) continue; // overlapped by an earlier one
      pieces.push(UTF16.decode(units.subarray(at, from)), value);
      viewAt += from - at;
      placed.push({ viewStart: viewAt, viewEnd: viewAt + value.length, start: from, end: to });
      viewAt += value.length;
      at = to;
    }
    pieces.push(UTF16.decode(units.subarray(at)));
    return this.result(pieces.join(''), placed);
  }

  result(text, decodes) {
    const view = decodes.length === 0 ? (at) => at : (at) => viewOffset(decodes, at);
    const blocks = this.blocks.length === 0 ? [] : [...new Set(this.blocks.map(view))].sort((a, b) => a - b);
    const marks = flatten(this.marks).map(({ from, to, language }) => ({ from: view(from), to: view(to), language }));
    return { text, decodes, blocks, marks };
  }
}

// Start, end pairs in order of their starts (formats find most in order already).
function sorted(pairs) {
  let ordered = true;
  for (let i = 2; i < pairs.length && ordered; i += 2) ordered = pairs[i] >= pairs[i - 2];
  if (ordered) return pairs;
  const list = [];
  for (let i = 0; i < pairs.length; i += 2) list.push([pairs[i], pairs[i + 1]]);
  list.sort((a, b) => a[0] - b[0]);
  return list.flat();
}

// Nested marks as ranges that do not overlap, the innermost mark's language in each.
function flatten(marks) {
  if (marks.length === 0) return [];
  const sorted = [...marks].sort((a, b) => a.from - b.from || b.to - a.to);
  const out = [];
  const stack = [];
  let at = sorted[0].from;
  const emit = (to) => {
    if (stack.length > 0 && to > at) {
      const language = stack[stack.length - 1].language;
      const previous = out[out.length - 1];
      if (previous && previous.to === at && previous.language === language) previous.to = to;
      else out.push({ from: at, to, language });
    }
    at = Math.max(at, to);
  };
  const close = () => {
    emit(stack[stack.length - 1].to);
    stack.pop();
  };
  for (const mark of sorted) {
    while (stack.length > 0 && stack[stack.length - 1].to <= mark.from) close();
    emit(mark.from);
    at = mark.from;
    stack.push(mark);
  }
  while (stack.length > 0) close();
  return out;
}

// The view offset of source offset `at`.
function viewOffset(decodes, at) {
  let low = 0;
  let high = decodes.length - 1;
  let found = -1;
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (decodes[middle].start <= at) {
      found = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (found === -1) return at;
  const piece = decodes[found];
  return at < piece.end ? piece.viewStart : at - piece.end + piece.viewEnd;
}

// UTF-16 in the machine's order: every platform Node runs on is little-endian.
const UTF16 = new TextDecoder('utf-16le');

// The last decoded piece that starts at or before `position` (in the view), or -1.
function pieceAt(decodes, position) {
  let low = 0;
  let high = decodes.length - 1;
  let found = -1;
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (decodes[middle].viewStart <= position) {
      found = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return found;
}

// The source range of the view's [start, end), and whether it covers a decoded piece (then the
// word as read differs from the source).
function sourceRange(decodes, start, end) {
  const first = pieceAt(decodes, start);
  const last = pieceAt(decodes, end - 1);
  let sourceStart = start;
  if (first !== -1) {
    const piece = decodes[first];
    sourceStart = start < piece.viewEnd ? piece.start : start - piece.viewEnd + piece.end;
  }
  let sourceEnd = end;
  if (last !== -1) {
    const piece = decodes[last];
    sourceEnd = end <= piece.viewEnd ? piece.end : end - piece.viewEnd + piece.end;
  }
  const decoded = last !== -1 && (last !== first || start < decodes[first].viewEnd);
  return { start: sourceStart, end: sourceEnd, decoded };
}

module.exports = { Prose, sourceRange, viewOffset };
