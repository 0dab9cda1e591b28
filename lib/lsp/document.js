'use strict';
// An open document's text, kept in step with the editor's edits: full or incremental changes,
// positions as the protocol counts them (line, and UTF-16 code units within the line; a line
// ends at LF, CRLF or CR).

const LF = 0x0a;
const CR = 0x0d;

// Whether `offset` starts a line of `text` (offset 0 aside).
function startsLine(text, offset) {
  const before = text.charCodeAt(offset - 1);
  return before === LF || (before === CR && text.charCodeAt(offset) !== LF);
}

function lineStartsOf(text, from = 1, to = text.length) {
  const starts = [];
  for (let offset = from; offset <= to; offset++) if (startsLine(text, offset)) starts.push(offset);
  return starts;
}

class TextDocument {
  constructor(uri, languageId, version, text) {
    this.uri = uri;
    this.languageId = languageId;
    this.version = version;
    this.text = text;
    this.lineStarts = [0, ...lineStartsOf(text)];
  }

  // The offset of a position; a line past the end means the end, a character past its line's
  // end means the line's end (before its line break).
  offsetAt(position) {
    const { line, character } = position;
    if (line >= this.lineStarts.length) return this.text.length;
    if (line < 0) return 0;
    const start = this.lineStarts[line];
    let end = line + 1 < this.lineStarts.length ? this.lineStarts[line + 1] : this.text.length;
    if (end > start && this.text.charCodeAt(end - 1) === LF) end--;
    if (end > start && this.text.charCodeAt(end - 1) === CR) end--;
    return start + Math.max(0, Math.min(character, end - start));
  }

  positionAt(offset) {
    const starts = this.lineStarts;
    let low = 0;
    let high = starts.length - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (starts[middle] <= offset) low = middle;
      else high = middle - 1;
    }
    return { line: low, character: offset - starts[low] };
  }

  // The positions of increasing offsets, walking the lines once.
  positionsOf(offsets) {
    const starts = this.lineStarts;
    let line = 0;
    return offsets.map((offset) => {
      while (line + 1 < starts.length && starts[line + 1] <= offset) line++;
      return { line, character: offset - starts[line] };
    });
  }

  // Applies the changes of one didChange, in order. Throws a TypeError for a change that is
  // neither a whole text nor a range with its text (the earlier ones stay applied).
  update(changes, version) {
    for (const change of changes) {
      if (change === null || typeof change !== 'object' || typeof change.text !== 'string') throw new TypeError('a change without its text');
      if (change.range === undefined) {
        this.text = change.text;
        this.lineStarts = [0, ...lineStartsOf(change.text)];
      } else {
        if (!isRange(change.range)) throw new TypeError('a change with a bad range');
        let start = this.offsetAt(change.range.start);
        let end = this.offsetAt(change.range.end);
        if (end < start) [start, end] = [end, start];
        this.replace(start, end, change.text);
      }
    }
    this.version = version;
  }

  replace(start, end, inserted) {
    const old = this.lineStarts;
    this.text = this.text.slice(0, start) + inserted + this.text.slice(end);
    const delta = inserted.length - (end - start);
    // Starts before `start` depend only on text before it; those after the old `end` moved by
    // delta (one right after it depends on the last inserted character: scanned again).
    let keep = 0;
    while (keep < old.length && old[keep] < start) keep++;
    let after = keep;
    while (after < old.length && old[after] <= end) after++;
    const middle = lineStartsOf(this.text, Math.max(start, 1), start + inserted.length);
    const starts = old.slice(0, keep);
    for (const offset of middle) starts.push(offset);
    for (let i = after; i < old.length; i++) starts.push(old[i] + delta);
    if (keep === 0 && starts[0] !== 0) starts.unshift(0);
    this.lineStarts = starts;
  }
}

const isPosition = (p) => p !== null && typeof p === 'object' && Number.isInteger(p.line) && Number.isInteger(p.character);
const isRange = (r) => r !== null && typeof r === 'object' && isPosition(r.start) && isPosition(r.end);

module.exports = { TextDocument, isRange, isPosition };
