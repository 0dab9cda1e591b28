'use strict';
// The units a text's language is chosen for: its paragraphs (the blocks its format gives, and
// the stretches between blank lines), and in a long paragraph its sentences, since translated
// documents and mail replies put a sentence of one language into a paragraph of another.

// A paragraph longer than this (in UTF-16 units, about 150 words) is judged sentence by sentence.
const LONG_UNIT = 1000;
const BLANK_LINE = /\n[ \t\f\v\r\u00a0]*\n/g;
// A sentence ends at . ! ? (and the quotes or brackets after them), before white space and a
// capital letter, a digit or an opening quote.
const SENTENCE_END = /[.!?][)\]"'’”»]*\s+(?=[(\["'“«]?[\p{Lu}\p{N}])/gu;

// The starts of the units after the first, in increasing order: `blocks` (sorted block starts of
// the format) and the blank lines of `view`, and sentence ends inside long units.
function unitStarts(view, blocks) {
  const starts = [];
  for (const match of view.matchAll(BLANK_LINE)) starts.push(match.index + 1);
  const merged = mergeSorted(starts, blocks);
  const out = [];
  let previous = 0;
  const split = (from, to) => {
    if (to - from <= LONG_UNIT) return;
    SENTENCE_END.lastIndex = from;
    for (let match; (match = SENTENCE_END.exec(view)) !== null && match.index < to;) {
      const end = match.index + match[0].length;
      if (end < to) out.push(end);
    }
  };
  for (const start of merged) {
    if (start <= previous) continue;
    split(previous, start);
    out.push(start);
    previous = start;
  }
  split(previous, view.length);
  return out;
}

function mergeSorted(a, b) {
  const out = [];
  let i = 0;
  let j = 0;
  while (i < a.length || j < b.length) {
    if (j >= b.length || (i < a.length && a[i] <= b[j])) out.push(a[i++]);
    else out.push(b[j++]);
  }
  return out;
}

// The language marks (flattened, in order) asked for positions in increasing order: at(position)
// is the index of the language its mark names (-1: none, or a language the service lacks).
class MarkCursor {
  // marks: [{ from, to, language }]; indexOf(name) -> index or -1.
  constructor(marks, indexOf) {
    this.marks = marks;
    this.indexOf = indexOf;
    this.next = 0;
    this.names = new Map();
  }

  at(position) {
    if (position < 0 || this.marks.length === 0) return -1;
    while (this.next < this.marks.length && this.marks[this.next].to <= position) this.next++;
    const mark = this.marks[this.next];
    if (mark === undefined || mark.from > position) return -1;
    let index = this.names.get(mark.language);
    if (index === undefined) {
      index = this.indexOf(mark.language);
      this.names.set(mark.language, index);
    }
    return index;
  }
}

module.exports = { unitStarts, MarkCursor, LONG_UNIT };
