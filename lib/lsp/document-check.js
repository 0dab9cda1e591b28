'use strict';
// Checks one open document block by block (see blocks.js), remembering each block's
// misspellings by its text: after an edit only the blocks whose text changed go to the service,
// joined into one check. Starting a new check aborts the one still running.
const { blockStarts } = require('./blocks');

class DocumentCheck {
  constructor() {
    this.cache = new Map(); // block text -> its misspellings, offsets from the block's start
    this.controller = null;
    this.result = null; // { version, misspellings } of the last check that finished
  }

  abort() {
    this.controller?.abort();
    this.controller = null;
  }

  // The words judged so far no longer hold (a word was added, the languages changed): a check
  // still running would bring back old verdicts, so it ends too.
  forget() {
    this.abort();
    this.cache = new Map();
  }

  // Resolves to { version, misspellings } (offsets into the document's text), or rejects: with
  // the signal's AbortError when a newer check started, or with the service's error.
  async run(document, service, format) {
    this.abort();
    const controller = new AbortController();
    this.controller = controller;
    const { text, version } = document;
    const starts = blockStarts(text, format);
    const keys = starts.map((start, i) => text.slice(start, i + 1 < starts.length ? starts[i + 1] : text.length));
    const results = keys.map((key) => this.cache.get(key));
    const missing = [];
    for (let i = 0; i < keys.length; i++) if (results[i] === undefined) missing.push(i);
    if (missing.length > 0) {
      const found = await service.check(missing.map((i) => keys[i]).join(''), { format, signal: controller.signal });
      for (const i of missing) results[i] = [];
      let k = 0;
      let base = 0;
      for (const { start, end, word } of found) {
        while (start >= base + keys[missing[k]].length) base += keys[missing[k++]].length;
        results[missing[k]].push({ start: start - base, end: end - base, word });
      }
    }
    if (this.controller === controller) this.controller = null;
    const cache = new Map();
    const misspellings = [];
    for (let i = 0; i < keys.length; i++) {
      cache.set(keys[i], results[i]);
      for (const { start, end, word } of results[i]) misspellings.push({ start: starts[i] + start, end: starts[i] + end, word });
    }
    this.cache = cache;
    this.result = { version, misspellings };
    return this.result;
  }
}

module.exports = { DocumentCheck };
