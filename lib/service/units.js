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

// Language marks asked for positions in increasing order: at(position) is the index of the
// language the first list's mark over it names (a list: flattened marks, in order), or -1 (none,
// or a language the service lacks).
class MarkCursor {
  // lists: [[{ from, to, language }]], the one that wins first; indexOf(name) -> index or -1.
  constructor(lists, indexOf) {
    this.lists = lists.filter((marks) => marks.length > 0);
    this.next = this.lists.map(() => 0);
    this.indexOf = indexOf;
    this.names = new Map();
  }

  at(position) {
    if (position < 0) return -1;
    for (let l = 0; l < this.lists.length; l++) {
      const marks = this.lists[l];
      while (this.next[l] < marks.length && marks[this.next[l]].to <= position) this.next[l]++;
      const mark = marks[this.next[l]];
      if (mark === undefined || mark.from > position) continue;
      let index = this.names.get(mark.language);
      if (index === undefined) {
        index = this.indexOf(mark.language);
        this.names.set(mark.language, index);
      }
      if (index >= 0) return index;
    }
    return -1;
  }
}

module.exports = { unitStarts, MarkCursor, LONG_UNIT };
