'use strict';
// What a whole open document says about its words: its directives and its code's names
// (lib/words/document-words.js), over the whole text. The service checks a document block by
// block, and sees a block's directives and names only; a directive at the top of a file
// (`spellshell:ignore`), a region disabled over several blocks, or a name defined in another
// block hold for the whole document, so the diagnostics are filtered once more with this.
// Made at most once per version of the text, when diagnostics are published. The format's
// view of the text (where its comments and code are) is made block by block and kept per block:
// after a keystroke only the edited block's is made anew (the whole 1 MB document's took 11 ms
// of each re-publish).
const { proseOf } = require('../formats');
const { documentWords, SkipCursor } = require('../words/document-words');
const { ownWords } = require('../words/own-words');
const { KnownWords } = require('../words/known-words');

// The comments' and the code's source ranges of a view, or null for plain text.
const rangesOf = (prose) => (prose === null ? null : { comments: prose.comments, code: prose.code });

class DocumentLayer {
  constructor() {
    this.version = undefined;
    this.format = undefined;
    this.state = null;
    this.blocks = new WeakMap(); // a block's results array (kept while its text is) -> its ranges
    this.blocksFormat = undefined;
  }

  // { known(word), skipped(offset), problems, key } for the document's current text. `key`
  // changes whenever what is shown may change. `result`: the document's check result for this
  // version, whose blocks (and their kept results arrays) say which blocks are unchanged.
  of(document, format, result = null) {
    if (this.state !== null && this.version === document.version && this.format === format) return this.state;
    const blockwise = this.rangesOf(document, format, result);
    let found;
    if (blockwise !== undefined && !blockwise.spell) {
      // No block names a directive (they all start with `spell`): the code's names are all
      // there is, read from the code's ranges alone, without joining the whole text (a
      // megabyte's join and scan each keystroke). ownWords reads its text by slices.
      const own = blockwise.code === null ? null : ownWords({ slice: (from, to) => document.slice(from, to) }, blockwise.code);
      found = { lists: own === null ? [] : [own], skip: [], problems: [] };
    } else {
      const text = document.text;
      found = documentWords(text, blockwise === undefined || blockwise.code === null ? rangesOf(proseOf(format, text)) : blockwise);
    }
    const { lists, skip, problems } = found;
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

  // The document's ranges joined from its blocks' (each made once while its text stays), with
  // whether any block holds "spell" (where a directive could be): { comments, code, spell }
  // (comments and code null for plain text), or undefined where the blocks cannot tell (no
  // complete result for this version). Blocks end only outside every construct that holds
  // blank lines, so each block's view is the whole view's over it.
  rangesOf(document, format, result) {
    if (result === null || result.partial || result.version !== document.version || !result.starts) return undefined;
    if (this.blocksFormat !== format) {
      this.blocks = new WeakMap();
      this.blocksFormat = format;
    }
    const { starts, results } = result;
    let comments = [];
    let code = [];
    let spell = false;
    for (let i = 0; i < starts.length; i++) {
      const key = results[i];
      if (!Array.isArray(key) || Object.isFrozen(key)) return undefined; // a block never checked
      let block = this.blocks.get(key);
      if (block === undefined) {
        const text = document.slice(starts[i], i + 1 < starts.length ? starts[i + 1] : document.length);
        block = { ranges: rangesOf(proseOf(format, text)), spell: /spell/i.test(text) };
        this.blocks.set(key, block);
      }
      spell ||= block.spell;
      if (block.ranges === null) {
        comments = null; // plain text: no comments, no code
        code = null;
        continue;
      }
      for (const at of block.ranges.comments) comments.push(at + starts[i]);
      for (const at of block.ranges.code) code.push(at + starts[i]);
    }
    return { comments, code, spell };
  }
}

module.exports = { DocumentLayer };
