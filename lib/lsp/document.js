'use strict';
// An open document's text, kept in step with the editor's edits: full or incremental changes,
// positions as the protocol counts them (line, and UTF-16 code units within the line; a line
// ends at LF, CRLF or CR).
//
// The text is kept in chunks: an edit makes a new chunk of a few kilobytes, not a new string of
// the whole document (for a 1 MB document that copy, and the garbage collection after it, cost
// more than the rest of an edit's work together). `text` joins them when asked.

const LF = 0x0a;
const CR = 0x0d;
// Chunks of 16 Ki UTF-16 units: a 1 MB document is 64 of them.
const CHUNK = 16384;

// The line starts of `text` at offsets in [from, to] (offset 0 never counts), `base` added.
function lineStartsIn(text, from, to, base = 0) {
  const starts = [];
  for (let offset = Math.max(from, 1); offset <= to; offset++) {
    const before = text.charCodeAt(offset - 1);
    if (before === LF || (before === CR && text.charCodeAt(offset) !== LF)) starts.push(base + offset);
  }
  return starts;
}

// The index of the last of the increasing `values` that is at most `value` (0 when none is).
function lastAtMost(values, value) {
  let low = 0;
  let high = values.length - 1;
  while (low < high) {
    const middle = (low + high + 1) >> 1;
    if (values[middle] <= value) low = middle;
    else high = middle - 1;
  }
  return low;
}

function chunksOf(text) {
  if (text.length <= 2 * CHUNK) return [text];
  const chunks = [];
  for (let from = 0; from < text.length; from += CHUNK) chunks.push(text.slice(from, from + CHUNK));
  return chunks;
}

class TextDocument {
  constructor(uri, languageId, version, text) {
    this.uri = uri;
    this.languageId = languageId;
    this.version = version;
    this.setText(text);
  }

  setText(text) {
    this.chunks = chunksOf(text);
    this.indexChunks();
    this.joined = text;
    this.lineStarts = [0, ...lineStartsIn(text, 1, text.length)];
  }

  indexChunks() {
    this.chunkStarts = [];
    let offset = 0;
    for (const chunk of this.chunks) {
      this.chunkStarts.push(offset);
      offset += chunk.length;
    }
    this.length = offset;
  }

  get text() {
    if (this.joined === null) this.joined = this.chunks.join('');
    return this.joined;
  }

  // The chunk holding `offset` (the last one for the end).
  chunkAt(offset) {
    return lastAtMost(this.chunkStarts, offset);
  }

  slice(from, to = this.length) {
    if (this.joined !== null) return this.joined.slice(from, to);
    from = Math.max(0, from);
    to = Math.min(this.length, to);
    if (to <= from) return '';
    let i = this.chunkAt(from);
    const first = this.chunks[i].slice(from - this.chunkStarts[i], to - this.chunkStarts[i]);
    if (to <= this.chunkStarts[i] + this.chunks[i].length) return first;
    const parts = [first];
    for (i++; i < this.chunks.length && this.chunkStarts[i] < to; i++) parts.push(this.chunks[i].slice(0, to - this.chunkStarts[i]));
    return parts.join('');
  }

  charCodeAt(offset) {
    if (offset < 0 || offset >= this.length) return NaN;
    const i = this.chunkAt(offset);
    return this.chunks[i].charCodeAt(offset - this.chunkStarts[i]);
  }

  // The offset of a position; a line past the end means the end, a character past its line's
  // end means the line's end (before its line break).
  offsetAt(position) {
    const { line, character } = position;
    if (line >= this.lineStarts.length) return this.length;
    if (line < 0) return 0;
    const start = this.lineStarts[line];
    let end = line + 1 < this.lineStarts.length ? this.lineStarts[line + 1] : this.length;
    if (end > start && this.charCodeAt(end - 1) === LF) end--;
    if (end > start && this.charCodeAt(end - 1) === CR) end--;
    return start + Math.max(0, Math.min(character, end - start));
  }

  positionAt(offset) {
    const line = lastAtMost(this.lineStarts, offset);
    return { line, character: offset - this.lineStarts[line] };
  }

  // Applies the changes of one didChange, in order, and returns what changed: for each change
  // { start, end, length } (the range replaced, in the text before it, and the inserted
  // length), or { whole: true } for a new text. Throws a TypeError for a change that is neither
  // (the earlier ones stay applied).
  update(changes, version) {
    const applied = [];
    for (const change of changes) {
      if (change === null || typeof change !== 'object' || typeof change.text !== 'string') throw new TypeError('a change without its text');
      if (change.range === undefined) {
        this.setText(change.text);
        applied.push({ whole: true });
      } else {
        if (!isRange(change.range)) throw new TypeError('a change with a bad range');
        let start = this.offsetAt(change.range.start);
        let end = this.offsetAt(change.range.end);
        if (end < start) [start, end] = [end, start];
        this.replace(start, end, change.text);
        applied.push({ start, end, length: change.text.length });
      }
      this.version = version;
    }
    this.version = version;
    return applied;
  }

  replace(start, end, inserted) {
    // The chunks from the one holding `start` to the one holding `end` become one (or, grown
    // large, several) holding the edit.
    const first = this.chunkAt(start);
    const last = this.chunkAt(end);
    const joined = this.chunks[first].slice(0, start - this.chunkStarts[first]) + inserted + this.chunks[last].slice(end - this.chunkStarts[last]);
    const replacement = joined.length > 2 * CHUNK ? chunksOf(joined) : joined === '' && this.chunks.length > 1 ? [] : [joined];
    this.chunks.splice(first, last - first + 1, ...replacement);
    if (this.chunks.length === 0) this.chunks.push('');
    this.indexChunks();
    this.joined = null;

    // Line starts before `start` depend only on text before it; those after the old `end` moved
    // by delta; the ones between (and the one right after the insertion, which depends on its
    // last character) are found again.
    const old = this.lineStarts;
    const delta = inserted.length - (end - start);
    let keep = 0;
    while (keep < old.length && old[keep] < start) keep++;
    let after = keep;
    while (after < old.length && old[after] <= end) after++;
    const from = Math.max(start - 1, 0);
    const around = this.slice(from, start + inserted.length + 1);
    const starts = old.slice(0, keep);
    for (const offset of lineStartsIn(around, start - from, start + inserted.length - from, from)) starts.push(offset);
    for (let i = after; i < old.length; i++) starts.push(old[i] + delta);
    if (starts[0] !== 0) starts.unshift(0);
    this.lineStarts = starts;
  }
}

const isPosition = (p) => p !== null && typeof p === 'object' && Number.isInteger(p.line) && Number.isInteger(p.character);
const isRange = (r) => r !== null && typeof r === 'object' && isPosition(r.start) && isPosition(r.end);

module.exports = { TextDocument, isRange };
