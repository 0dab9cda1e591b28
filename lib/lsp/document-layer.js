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
const { WordList } = require('../words/word-list');
const { KnownWords } = require('../words/known-words');

// Blocks missing a view above which the whole text's view is made once and dealt out.
const BLOCKS_AT_ONCE = 64;

// The comments' and the code's source ranges of a view, or null for plain text.
const rangesOf = (prose) => (prose === null ? null : { comments: prose.comments, code: prose.code });

// What is kept of a block: its view's ranges (offsets in the block), whether it holds "spell"
// (where a directive could stand), and the names its code defines (a WordList, or null).
function blockOf(text, ranges) {
  return { ranges, spell: /spell/i.test(text), own: ranges === null ? null : ownWords(text, ranges.code) };
}

class DocumentLayer {
  constructor() {
    this.version = undefined;
    this.format = undefined;
    this.state = null;
    this.blocks = new WeakMap(); // a block's results array (kept while its text is) -> its ranges
    this.blocksFormat = undefined;
    this.blockwise = false; // the state was made from the blocks
    this.warming = null;
  }

  // { known(word), skipped(offset), problems, key } for the document's current text. `key`
  // changes whenever what is shown may change. `result`: the document's check result for this
  // version, whose blocks (and their kept results arrays) say which blocks are unchanged.
  of(document, format, result = null) {
    if (this.state !== null && this.version === document.version && this.format === format) {
      // Made from the whole text (a document's first part): its blocks' views are made once
      // the editor has its diagnostics, so that the first keystroke does not wait for them.
      if (!this.blockwise && result !== null && !result.partial && !this.warming) {
        this.warming = setImmediate(() => {
          this.warming = null;
          if (this.version === document.version && document.version === result.version) this.rangesOf(document, format, result);
        });
      }
      return this.state;
    }
    const blockwise = this.rangesOf(document, format, result);
    this.blockwise = blockwise !== undefined;
    let found;
    if (blockwise !== undefined && !blockwise.spell) {
      // No block names a directive (they all start with `spell`): the code's names are all
      // there is, each block's kept with it, without joining the whole text (a megabyte's join
      // and scan each keystroke).
      const names = new Set();
      for (const own of blockwise.own) for (const word of own.exact) names.add(word);
      found = { lists: names.size === 0 ? [] : [new WordList(names)], skip: [], problems: [] };
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
    const end = (i) => (i + 1 < starts.length ? starts[i + 1] : document.length);
    let missing = 0;
    for (let i = 0; i < starts.length; i++) {
      const key = results[i];
      if (!Array.isArray(key) || Object.isFrozen(key)) return undefined; // a block never checked
      if (!this.blocks.has(key)) missing++;
    }
    // Many blocks at once (the first publication after a document opened): one view of the
    // whole text, dealt out to the blocks, costs far less than a view per block (4,000 views of
    // a paragraph each took 270 ms; the whole text's, 11).
    if (missing > BLOCKS_AT_ONCE) this.dealOut(document, format, starts, results, end);
    let comments = [];
    let code = [];
    let spell = false;
    const own = [];
    for (let i = 0; i < starts.length; i++) {
      const key = results[i];
      let block = this.blocks.get(key);
      if (block === undefined) {
        const text = document.slice(starts[i], end(i));
        block = blockOf(text, rangesOf(proseOf(format, text)));
        this.blocks.set(key, block);
      }
      spell ||= block.spell;
      if (block.own !== null) own.push(block.own);
      if (block.ranges === null) {
        comments = null; // plain text: no comments, no code
        code = null;
        continue;
      }
      for (const at of block.ranges.comments) comments.push(at + starts[i]);
      for (const at of block.ranges.code) code.push(at + starts[i]);
    }
    return { comments, code, spell, own };
  }

  // Keeps each block's part of the whole text's view; a block that a range crosses is left to
  // be viewed on its own.
  dealOut(document, format, starts, results, end) {
    const text = document.text;
    const ranges = rangesOf(proseOf(format, text));
    const crossed = new Set();
    const parts = starts.map(() => ({ comments: [], code: [] }));
    if (ranges !== null) {
      for (const kind of ['comments', 'code']) {
        let i = 0;
        const pairs = ranges[kind];
        for (let p = 0; p < pairs.length; p += 2) {
          while (i + 1 < starts.length && starts[i + 1] <= pairs[p]) i++;
          if (pairs[p + 1] > end(i)) crossed.add(i);
          else parts[i][kind].push(pairs[p] - starts[i], pairs[p + 1] - starts[i]);
        }
      }
    }
    for (let i = 0; i < starts.length; i++) {
      if (crossed.has(i) || this.blocks.has(results[i])) continue;
      this.blocks.set(results[i], blockOf(text.slice(starts[i], end(i)), ranges === null ? null : parts[i]));
    }
  }
}

module.exports = { DocumentLayer };
