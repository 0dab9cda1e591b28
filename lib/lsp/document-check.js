'use strict';
// Checks one open document block by block (see blocks.js). After the first check it keeps each
// block's misspellings; the edits since (edited()) mark a region, and the next check finds the
// blocks again only from the block before the region to the first old block boundary after it
// that the new scan also finds (from there on, text and blocks are the old ones, shifted).
// Only the blocks in between go to the service, joined into one check, unless a block of that
// text was checked lately (an undo, a paragraph moved back). A new check aborts the running one.
const { blockStarts, scanBlocks } = require('./blocks');

// Block texts remembered with their misspellings beyond the current blocks, for undo and
// similar returns; more would cost memory for little.
const RECENT = 256;

const abortError = () => new DOMException('This operation was aborted', 'AbortError');
const NONE = Object.freeze([]);

// Above 256 Ki UTF-16 units to check (a document just opened, most likely), the blocks of the
// first 64 Ki go first, on their own: their diagnostics (the top of the document, what an
// editor shows first) are published while the rest is checked.
const PARTS_ABOVE = 256 * 1024;
const FIRST_PART = 64 * 1024;

function parts(missing, texts) {
  let total = 0;
  for (const i of missing) total += texts.get(i).length;
  if (total <= PARTS_ABOVE) return missing.length > 0 ? [missing] : [];
  let size = 0;
  let split = 0;
  while (split < missing.length && size < FIRST_PART) size += texts.get(missing[split++]).length;
  return [missing.slice(0, split), missing.slice(split)].filter((part) => part.length > 0);
}

// A finished check: its blocks (`starts`), each block's misspellings (`results`, offsets within
// the block; an unchanged block keeps the very same array from check to check) and, built when
// first asked, the misspellings with offsets into the document.
class CheckResult {
  constructor(version, starts, results) {
    this.version = version;
    this.starts = starts;
    this.results = results;
    this.all = null;
    this.terms = undefined; // the document's repeated terms, once the server asked
  }

  // Every misspelled word, once per misspelling.
  words() {
    const words = [];
    for (const block of this.results) for (const { word } of block) words.push(word);
    return words;
  }

  get misspellings() {
    if (this.all === null) {
      this.all = [];
      for (let i = 0; i < this.starts.length; i++) {
        for (const { start, end, word, language } of this.results[i]) {
          this.all.push(language === undefined ? { start: this.starts[i] + start, end: this.starts[i] + end, word } : { start: this.starts[i] + start, end: this.starts[i] + end, word, language });
        }
      }
    }
    return this.all;
  }
}

class DocumentCheck {
  constructor() {
    this.controller = null;
    this.base = null; // the last finished check: { format, starts, results } (block results, offsets within their block)
    this.dirty = null; // the region edited since, in the current text: { from, to, delta }
    this.recent = new Map(); // block text -> results
    this.result = null; // the CheckResult of the last check that finished
  }

  abort() {
    this.controller?.abort();
    this.controller = null;
  }

  // The words judged so far no longer hold (a word was added, the languages changed): a check
  // still running would bring back old verdicts, so it ends too.
  forget() {
    this.abort();
    this.base = null;
    this.recent.clear();
  }

  // Takes the changes TextDocument.update() applied.
  edited(changes) {
    for (const change of changes) {
      if (change.whole) {
        this.base = null;
        continue;
      }
      if (this.base === null) continue;
      const { start, end, length } = change;
      const delta = length - (end - start);
      if (this.dirty === null) {
        this.dirty = { from: start, to: start + length, delta };
      } else {
        let { from, to } = this.dirty;
        if (to >= end) to += delta;
        else if (to > start) to = start + length;
        this.dirty = { from: Math.min(from, start), to: Math.max(to, start + length), delta: this.dirty.delta + delta };
      }
    }
  }

  // The new block starts, and for each block its old results when its text is unchanged.
  blocks(document, format) {
    const base = this.base;
    if (base === null || base.format !== format) {
      const starts = blockStarts(document, format);
      return { starts, results: new Array(starts.length) };
    }
    if (this.dirty === null) return { starts: base.starts, results: base.results };
    const { from, to, delta } = this.dirty;
    const old = base.starts;
    // The last old block starting before the region (its end may have moved), and the first
    // old block start after the region: the candidate to meet again.
    let k = 0;
    while (k + 1 < old.length && old[k + 1] < from) k++;
    let j = k + 1;
    while (j < old.length && old[j] + delta <= to) j++;
    const starts = old.slice(0, k + 1);
    const results = base.results.slice(0, k);
    results.length = k + 1;
    let met = -1;
    scanBlocks(document, format, document.positionAt(old[k]).line, (offset) => {
      while (j < old.length && old[j] + delta < offset) j++;
      if (j < old.length && old[j] + delta === offset) {
        met = j;
        return false;
      }
      starts.push(offset);
      results.length = starts.length;
      return true;
    });
    if (met >= 0) {
      for (let i = met; i < old.length; i++) {
        starts.push(old[i] + delta);
        results.push(base.results[i]);
      }
    }
    return { starts, results };
  }

  // Resolves to a CheckResult, or rejects: with an AbortError when a newer check started, or
  // with the service's error. A long check goes in two parts; onPart(result) is told of the
  // first one's.
  // `vocabularies`: the names of the lists the checks use.
  async run(document, service, format, onPart, vocabularies = true) {
    this.abort();
    const controller = new AbortController();
    this.controller = controller;
    const { version } = document;
    const { starts, results } = this.blocks(document, format);
    const end = (i) => (i + 1 < starts.length ? starts[i + 1] : document.length);
    const missing = [];
    const texts = new Map(); // index -> text, of the blocks checked
    for (let i = 0; i < starts.length; i++) {
      if (results[i] !== undefined) continue;
      const text = document.slice(starts[i], end(i));
      const known = this.recent.get(text);
      if (known !== undefined) results[i] = known;
      else {
        missing.push(i);
        texts.set(i, text);
      }
    }
    let checked = 0;
    for (const part of parts(missing, texts)) {
      // The document's repeated terms are told over the whole document (DocumentLayer), never
      // over the blocks one check happens to hold.
      const found = await service.check(part.map((i) => texts.get(i)).join(''), { format, vocabularies, repeatedTerms: false, signal: controller.signal });
      if (controller.signal.aborted) throw abortError();
      for (const i of part) results[i] = [];
      let k = 0;
      let base = 0;
      for (const { start, end: stop, word, language } of found) {
        while (start >= base + texts.get(part[k]).length) base += texts.get(part[k++]).length;
        results[part[k]].push(language === undefined ? { start: start - base, end: stop - base, word } : { start: start - base, end: stop - base, word, language });
      }
      checked += part.length;
      if (checked < missing.length && onPart) {
        // The blocks still to check count as clean meanwhile.
        this.result = new CheckResult(version, starts, Array.from(results, (r) => r ?? NONE));
        onPart(this.result);
      }
    }
    // Remembered only for blocks of one edit: the first check of a large document would fill
    // the memory with blocks that the base keeps anyway.
    if (missing.length <= RECENT) {
      for (const i of missing) {
        this.recent.delete(texts.get(i));
        this.recent.set(texts.get(i), results[i]);
      }
      for (const key of this.recent.keys()) {
        if (this.recent.size <= RECENT) break;
        this.recent.delete(key);
      }
    }
    if (this.controller === controller) this.controller = null;
    this.base = { format, starts, results };
    this.dirty = null;
    this.result = new CheckResult(version, starts, results);
    return this.result;
  }
}

module.exports = { DocumentCheck };
