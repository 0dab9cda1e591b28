'use strict';
// Splits a document into blocks that can be checked one by one and give what checking the
// whole would: a block ends before a line that follows blank lines, starts at the margin, and
// is outside every construct that may hold blank lines in the document's format (a fenced code
// block, a comment, a <pre>, a docstring…). A block keeps its trailing blank lines, so the
// blocks cover the text and any of them, joined in document order, check like the document.
// When in doubt the blocks are larger, never wrong: an unclosed construct runs to the end.

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

// The offsets where blocks start, in order; the first is 0.
function blockStarts(text, format = 'plain') {
  const constructs = FAMILIES[format] ?? ALL;
  const starts = [0];
  let open = null; // what ends the construct we are in
  let blank = false; // blank lines since the last text
  let first = true;
  let cr = -1;
  for (let start = 0; start < text.length; first = false) {
    let next = text.indexOf('\n', start);
    next = next < 0 ? text.length : next + 1;
    // A CR alone ends a line as well. (The next CR is looked up only once passed: a text
    // without any must not be searched to its end for each line.)
    if (cr < start) cr = text.indexOf('\r', start) >>> 0;
    if (cr < next - 1 && text.charCodeAt(cr + 1) !== 0x0a) next = cr + 1;
    const line = text.slice(start, next);
    const lineStart = start;
    start = next;
    if (open === null && BLANK.test(line)) {
      blank = lineStart > 0;
      continue;
    }
    const code = line.charCodeAt(0);
    if (open === null && blank && code !== 0x20 && code !== 0x09) starts.push(lineStart);
    blank = false;
    open = scan(constructs, line, first, open);
  }
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

module.exports = { blockStarts };
