'use strict';
// Splits a document into blocks that can be checked one by one and give what checking the
// whole would: a block ends before a line that follows blank lines and is outside every
// construct that may hold blank lines in the document's format (a fenced code block, a comment,
// a <pre>, a docstring…). A block keeps its trailing blank lines, so the blocks cover the text
// and any of them, joined in document order, check like the document. When in doubt the blocks
// are larger, never wrong: an unclosed construct runs to the end.
//
// Only in Markdown does a line's indentation tell what it is: after a blank line, an indented
// line inside a list item continues the item (prose), and the same line on its own would be an
// indented code block (no prose). So in Markdown an indented line starts a block only outside
// lists (where it is code, or prose at 1-3 spaces, alone as in place); a list runs from a line
// with a list marker to the next line at the margin after blank lines that has none. A document
// whose every line is indented is still checked paragraph by paragraph.

// Constructs by format family: `open` is looked for along each line outside a construct,
// `close(match)` gives what ends it, looked for from after the opener on. An `ownLine` construct
// (a fence, front matter) opens with a line of its own and ends with a later whole line.
const fence = { open: /^ {0,3}(`{3,}|~{3,})/, close: (m) => new RegExp(`^ {0,3}${m[1][0]}{${m[1].length},}[ \\t]*\\r?\\n?$`), ownLine: true };
const frontMatter = { open: /^(---|\+\+\+)[ \t]*\r?\n?$/, close: (m) => (m[1] === '---' ? /^(---|\.\.\.)[ \t]*\r?\n?$/ : /^\+\+\+[ \t]*\r?\n?$/), ownLine: true, firstLine: true };
const pod = { open: /^=(begin|pod|head\d|over|item|encoding|for)\b/, close: (m) => (m[1] === 'begin' ? /^=end\b/ : /^=cut\b/), ownLine: true };
const htmlComment = { open: /<!--/, close: () => /-->/ };
const rawElement = { open: /<(pre|script|style|textarea)\b/i, close: (m) => new RegExp(`</${m[1]}\\s*>`, 'i') };
const cdata = { open: /<!\[CDATA\[/, close: () => /\]\]>/ };
const blockComment = { open: /\/\*/, close: () => /\*\// };
const templateString = { open: /`/, close: () => /`/ };
const docstring = { open: /"""|'''/, close: (m) => new RegExp(m[0]) };

const FAMILIES = {
  plain: [],
  markdown: [frontMatter, fence, htmlComment, rawElement],
  html: [htmlComment, rawElement, cdata],
  xml: [htmlComment, cdata],
  'code:c': [blockComment, templateString],
  'code:hash': [docstring, pod],
};
// A format not listed here gets all of them: larger blocks, the same results.
const ALL = [frontMatter, fence, pod, htmlComment, rawElement, cdata, blockComment, templateString, docstring];

const BLANK = /^[ \t]*\r?\n?$/;
// A list item's first line: up to 3 spaces, a bullet or a number of up to 9 digits with . or ),
// then white space or the line's end. (A thematic break such as `* * *` counts too: a block
// less, never a wrong one.)
const LIST_ITEM = /^ {0,3}(?:[-+*]|\d{1,9}[.)])(?:[ \t]|\r?\n?$)/;
// The formats in which an indented line after a blank one may belong to the block before.
const INDENTATION_MATTERS = new Set(['markdown']);

// Walks the lines of a TextDocument from line `fromLine` (taken as a block's start: the scan
// starts outside every construct) and calls visit(offset) for each later line that starts a
// block, until visit returns false.
function scanBlocks(document, format, fromLine, visit) {
  const constructs = FAMILIES[format] ?? ALL;
  const indentation = INDENTATION_MATTERS.has(format);
  const starts = document.lineStarts;
  let open = null; // what ends the construct we are in
  let blank = false; // blank lines since the last text
  let inList = false; // (Markdown) inside a list: an indented line may continue an item
  for (let line = fromLine; line < starts.length; line++) {
    const lineStart = starts[line];
    const text = document.slice(lineStart, line + 1 < starts.length ? starts[line + 1] : document.length);
    if (open === null && BLANK.test(text)) {
      blank = lineStart > 0;
      continue;
    }
    if (open === null && indentation) {
      const code = text.charCodeAt(0);
      const margin = code !== 0x20 && code !== 0x09;
      // A block starts outside lists; its first line says whether it opens one.
      const starting = blank && (margin || !inList);
      if (starting) inList = false;
      if (LIST_ITEM.test(text)) inList = true;
      if (starting && visit(lineStart) === false) return;
    } else if (open === null && blank && visit(lineStart) === false) {
      return;
    }
    blank = false;
    open = scan(constructs, text, line === 0, open);
  }
}

// The offsets where blocks start, in order; the first is 0.
function blockStarts(document, format = 'plain') {
  const starts = [0];
  scanBlocks(document, format, 0, (offset) => {
    starts.push(offset);
  });
  return starts;
}

// Follows the constructs that open and close along `line`, left to right, from the state `open`
// (what ends the construct the line starts in, or null); returns the state after it.
function scan(constructs, line, firstLine, open) {
  let from = 0;
  for (;;) {
    if (open !== null) {
      if (open.ownLine) return open.test.test(line) ? null : open;
      const found = open.test.exec(line.slice(from));
      if (found === null) return open;
      from += found.index + found[0].length;
      open = null;
    }
    let earliest = null;
    for (const construct of constructs) {
      if ((construct.ownLine && from > 0) || (construct.firstLine && !firstLine)) continue;
      const match = construct.open.exec(line.slice(from));
      if (match !== null && (earliest === null || match.index < earliest.match.index)) earliest = { construct, match };
    }
    if (earliest === null) return null;
    open = { test: earliest.construct.close(earliest.match), ownLine: earliest.construct.ownLine === true };
    if (open.ownLine) return open; // closed on a later line, never on its own
    from += earliest.match.index + earliest.match[0].length;
  }
}

module.exports = { blockStarts, scanBlocks };
