'use strict';
// What a whole open document says about its words: its directives and its code's names
// (lib/words/document-words.js), over the whole text. The service checks a document block by
// block, and sees a block's directives and names only; a directive at the top of a file
// (`spellshell:ignore`), a region disabled over several blocks, or a name defined in another
// block hold for the whole document, so the diagnostics are filtered once more with this.
// Made at most once per version of the text, when diagnostics are published.
const { proseOf } = require('../formats');
const { documentWords, SkipCursor } = require('../words/document-words');
const { KnownWords } = require('../words/known-words');

class DocumentLayer {
  constructor() {
    this.version = undefined;
    this.format = undefined;
    this.state = null;
  }

  // { known(word), skipped(offset), problems, key } for the document's current text. `key`
  // changes whenever what is shown may change.
  of(document, format) {
    if (this.state !== null && this.version === document.version && this.format === format) return this.state;
    const text = document.text;
    const prose = proseOf(format, text);
    const { lists, skip, problems } = documentWords(text, prose);
    const known = new KnownWords(lists);
    const words = lists.map((list) => [...list.exact].join(' ')).join('|');
    this.version = document.version;
    this.format = format;
    this.state = {
      known: (word) => known.has(word),
      // A check of offsets in any order: a binary search each time.
      skipped: (offset) => skip.length > 0 && new SkipCursor(skip).skipped(offset),
      problems,
      key: skip.length === 0 && words === '' ? '' : `${words}#${skip.join(',')}`,
    };
    return this.state;
  }
}

module.exports = { DocumentLayer };
