'use strict';
// The misspellings a check reports, as the engine hands them back: source offsets in an Int32Array
// (start, end pairs), the words that a decoded entity made different from the text at their
// offsets, and with several languages judged paragraph by paragraph the language of each.
// Reports come in text order, in view offsets (the format's prose); the ones the text's
// directives leave out are dropped here, and so can be the last ones taken (a paragraph found
// to be in another language) and, at the end, the text's repeated terms.
const { sourceRange } = require('../formats/prose');
const { repeatedTerms } = require('../words/repeated-terms');

class Reports {
  // decodes: the view's decoded pieces; skip: a SkipCursor of the source ranges not judged, or
  // null; byLanguage: keep each report's language; terms: drop the repeated terms at the end.
  constructor({ decodes, skip, byLanguage, terms }) {
    this.decodes = decodes;
    this.skip = skip;
    this.byLanguage = byLanguage;
    this.terms = terms;
    this.offsets = new Int32Array(64);
    this.languages = new Uint8Array(byLanguage ? 32 : 0);
    this.decoded = []; // [index, word]
    this.words = []; // the word of each report, with `terms`
    this.count = 0;
  }

  add(start, end, word, language) {
    if (this.count * 2 === this.offsets.length) {
      const offsets = new Int32Array(this.offsets.length * 2);
      offsets.set(this.offsets);
      this.offsets = offsets;
      if (this.byLanguage) {
        const languages = new Uint8Array(this.count * 2);
        languages.set(this.languages);
        this.languages = languages;
      }
    }
    let decoded = false;
    if (this.decodes.length > 0) {
      const range = sourceRange(this.decodes, start, end);
      decoded = range.decoded;
      start = range.start;
      end = range.end;
    }
    if (this.skip !== null && this.skip.skipped(start)) return;
    if (decoded) this.decoded.push([this.count, word]);
    if (this.byLanguage) this.languages[this.count] = language;
    if (this.terms) this.words.push(word);
    this.offsets[this.count * 2] = start;
    this.offsets[this.count * 2 + 1] = end;
    this.count++;
  }

  // Drops the reports taken since there were `count`.
  truncate(count) {
    if (count >= this.count) return;
    this.count = count;
    while (this.decoded.length > 0 && this.decoded[this.decoded.length - 1][0] >= count) this.decoded.pop();
    if (this.terms) this.words.length = count;
  }

  // { offsets, words } (+ languages when kept).
  finish() {
    if (this.terms) this.dropRepeatedTerms();
    const found = { offsets: this.offsets.slice(0, this.count * 2), words: this.decoded };
    if (this.byLanguage) found.languages = this.languages.slice(0, this.count);
    return found;
  }

  // The words the text writes again and again are its own terms (repeated-terms.js).
  dropRepeatedTerms() {
    const terms = repeatedTerms(this.words);
    if (terms.size === 0) return;
    const decoded = new Map(this.decoded);
    this.decoded = [];
    let kept = 0;
    for (let i = 0; i < this.count; i++) {
      if (terms.has(this.words[i].toLowerCase())) continue;
      this.offsets[kept * 2] = this.offsets[i * 2];
      this.offsets[kept * 2 + 1] = this.offsets[i * 2 + 1];
      if (this.byLanguage) this.languages[kept] = this.languages[i];
      if (decoded.has(i)) this.decoded.push([kept, decoded.get(i)]);
      kept++;
    }
    this.count = kept;
  }
}

module.exports = { Reports };
