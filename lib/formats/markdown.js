'use strict';
// Markdown (CommonMark with GitHub's tables, strikethrough, task lists and autolinks, front
// matter, $…$ math): blanks everything but the prose of paragraphs, headings, list items, block
// quotes, table cells and link and image texts.
//
// A scanner of our own: the parsers that load from CommonJS give block positions at best, not
// the source range of each inline piece. It follows CommonMark's two phases: the blocks line by
// line (container prefixes, fences, indented code, HTML blocks), then the inlines of each
// paragraph and heading (code spans, links, autolinks, raw HTML, references, escapes).
const { Prose } = require('./prose');
const { markHtml } = require('./html');
const { referenceAt } = require('./entities');

// 4 columns: CommonMark's tab stop, and the indentation that makes a line code.
const TAB = 4;
const CODE_INDENT = 4;
// A link text or label longer than this is taken as plain text: bounds the search for the
// closing bracket, which would otherwise make text full of `[` quadratic.
const BRACKET_LIMIT = 1000;
// CommonMark's own bound on link labels.
const LABEL_LIMIT = 999;

const TAG_NAME = '[A-Za-z][A-Za-z0-9-]*';
const ATTRIBUTE = `(?:\\s+[A-Za-z_:][A-Za-z0-9_.:-]*(?:\\s*=\\s*(?:[^"'=<>\`\\x00-\\x20]+|'[^']*'|"[^"]*"))?)`;
const OPEN_TAG = `<${TAG_NAME}${ATTRIBUTE}*\\s*/?>`;
const CLOSE_TAG = `</${TAG_NAME}\\s*>`;
const RAW_HTML = new RegExp(`${OPEN_TAG}|${CLOSE_TAG}|<!---?>|<!--[\\s\\S]*?-->|<\\?[\\s\\S]*?\\?>|<![A-Za-z][^>]*>|<!\\[CDATA\\[[\\s\\S]*?\\]\\]>`, 'y');
const AUTOLINK = /<[A-Za-z][A-Za-z0-9.+-]{1,31}:[^\s<>]*>|<[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*>/y;

const HTML_BLOCK_ENDS = [
  null,
  /<\/(?:script|pre|style|textarea)>/i,
  /-->/,
  /\?>/,
  />/,
  /\]\]>/,
];
const HTML_BLOCK_1 = /^<(?:script|pre|style|textarea)(?:[\s>]|$)/i;
const HTML_BLOCK_6 = /^<\/?(?:address|article|aside|base|basefont|blockquote|body|caption|center|col|colgroup|dd|details|dialog|dir|div|dl|dt|fieldset|figcaption|figure|footer|form|frame|frameset|h[1-6]|head|header|hr|html|iframe|legend|li|link|main|menu|menuitem|nav|noframes|ol|optgroup|option|p|param|search|section|summary|table|tbody|td|tfoot|th|thead|title|tr|track|ul)(?:[\s>]|\/>|$)/i;
const HTML_BLOCK_7 = new RegExp(`^(?:${OPEN_TAG}|${CLOSE_TAG})\\s*$`);

const FENCE = /^(`{3,}|~{3,})(.*)$/;
const THEMATIC_BREAK = /^(?:(?:\*[ \t]*){3,}|(?:-[ \t]*){3,}|(?:_[ \t]*){3,})$/;
const ATX = /^#{1,6}(?=[ \t]|$)/;
const LIST_MARKER = /^(?:[-+*]|(\d{1,9})[.)])(?=[ \t]|$)/;
const TASK = /^\[[ xX]\](?=[ \t])/;
const ASCII_PUNCTUATION = /[!-/:-@[-`{-~]/;
const WHITE = /\s/u;
const PUNCTUATION = /[\p{P}\p{S}]/u;

// The lines of the text: where each starts, and where it ends without its line ending.
function linesOf(text) {
  let count = 1;
  for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) count++;
  const starts = new Int32Array(count);
  const ends = new Int32Array(count);
  let start = 0;
  for (let n = 0; n < count; n++) {
    let end = text.indexOf('\n', start);
    const next = end === -1 ? text.length + 1 : end + 1;
    if (end === -1) end = text.length;
    starts[n] = start;
    ends[n] = end > start && text.charCodeAt(end - 1) === 13 ? end - 1 : end;
    start = next;
  }
  return { starts, ends, count };
}

// Whether a line starting with this character may be anything but a paragraph's text: letters
// and most punctuation start only text, and then no block's pattern needs trying.
const MAY_START_BLOCK = new Uint8Array(128);
for (const c of '`~$#*-_<=+>0123456789') MAY_START_BLOCK[c.charCodeAt(0)] = 1;
const mayStartBlock = (text, at) => {
  const c = text.charCodeAt(at);
  return c < 128 && MAY_START_BLOCK[c] === 1;
};

// The line from `pos` on: its indentation in columns (from `column`), and where its first
// character other than a space or tab is.
// (The result is one object, reused: a 5 MB text has a hundred thousand lines.)
const INDENTATION = { columns: 0, first: 0 };
function indentation(text, pos, end, column) {
  let columns = 0;
  let at = pos;
  while (at < end) {
    const c = text.charCodeAt(at);
    if (c === 32) columns++;
    else if (c === 9) columns += TAB - ((column + columns) % TAB);
    else break;
    at++;
  }
  INDENTATION.columns = columns;
  INDENTATION.first = at;
  return INDENTATION;
}

// Advances past `wanted` columns of indentation (a tab that reaches further is taken whole).
function skipColumns(text, pos, end, column, wanted) {
  let columns = 0;
  let at = pos;
  while (at < end && columns < wanted) {
    const c = text.charCodeAt(at);
    if (c === 32) columns++;
    else if (c === 9) columns += TAB - ((column + columns) % TAB);
    else break;
    at++;
  }
  return { at, column: column + columns };
}

// Past the > of a block quote at `at` (in column `column`) and the one space (or column of a
// tab) after it that belongs to the marker.
function pastQuoteMarker(text, at, end, column) {
  const after = at + 1;
  if (text[after] === ' ') return { at: after + 1, column: column + 2 };
  if (text[after] === '\t') return skipColumns(text, after, end, column + 1, 1);
  return { at: after, column: column + 1 };
}

// A label as references match it: case-folded, inner white space collapsed.
const normaliseLabel = (label) => label.trim().replace(/\s+/g, ' ').toLowerCase().toUpperCase().toLowerCase();

function markdown(text) {
  const prose = new Prose(text);
  const blocks = []; // paragraphs and headings: their lines as start, end pairs in one array
  const lines = linesOf(text);
  let first = 0;

  // Front matter: YAML between --- lines, TOML between +++ lines, at the very start.
  const opening = text.slice(lines.starts[0], lines.ends[0]).replace(/^\uFEFF/, '');
  if (opening === '---' || opening === '+++') {
    const closers = opening === '---' ? ['---', '...'] : ['+++'];
    for (let i = 1; i < lines.count; i++) {
      if (closers.includes(text.slice(lines.starts[i], lines.ends[i]).trimEnd())) {
        prose.blank(0, lines.ends[i]);
        first = i + 1;
        break;
      }
    }
  }

  const stack = []; // open containers: { quote: true } or { indent }
  let leaf = null; // the open leaf block
  const closeLeaf = () => {
    if (leaf !== null && leaf.kind === 'html' && leaf.type >= 6) markHtml(prose, text, leaf.start, leaf.end);
    leaf = null;
  };

  for (let n = first; n < lines.count; n++) {
    const start = lines.starts[n];
    const end = lines.ends[n];
    let pos = start;
    let column = 0;
    // Containers that continue on this line.
    let matched = 0;
    for (; matched < stack.length; matched++) {
      const container = stack[matched];
      const { columns, first: at } = indentation(text, pos, end, column);
      if (container.quote) {
        if (columns >= CODE_INDENT || text[at] !== '>') break;
        prose.blank(pos, at + 1);
        ({ at: pos, column } = pastQuoteMarker(text, at, end, column + columns));
      } else if (at === end) {
        // A blank line stays in a list item.
        pos = end;
      } else if (columns >= container.indent) {
        const skipped = skipColumns(text, pos, end, column, container.indent);
        pos = skipped.at;
        column = skipped.column;
      } else {
        break;
      }
    }
    let { columns, first: at } = indentation(text, pos, end, column);
    let blank = at === end;

    if (matched < stack.length) {
      // A paragraph continues lazily through a line that starts no other block.
      if (leaf !== null && leaf.kind === 'paragraph' && !blank && columns < CODE_INDENT
        && !startsBlock(text, at, end, true) && text[at] !== '>') {
        leaf.segments.push(at, end);
        continue;
      }
      if (leaf !== null && leaf.kind === 'paragraph' && !blank && columns >= CODE_INDENT) {
        leaf.segments.push(at, end);
        continue;
      }
      closeLeaf();
      stack.length = matched;
    }

    // The open leaf, if it goes on.
    if (leaf !== null && leaf.kind === 'fence') {
      const line = text.slice(at, end);
      if (columns < CODE_INDENT && line.startsWith(leaf.fence) && line.trimEnd().split('').every((c) => c === leaf.fence[0])) leaf = null;
      prose.blank(pos, end);
      continue;
    }
    if (leaf !== null && leaf.kind === 'math') {
      if (text.slice(at, end).includes('$$')) leaf = null;
      prose.blank(pos, end);
      continue;
    }
    if (leaf !== null && leaf.kind === 'html') {
      if (leaf.type >= 6) {
        if (blank) closeLeaf();
        else {
          leaf.end = end;
          continue;
        }
      } else {
        prose.blank(pos, end);
        if (HTML_BLOCK_ENDS[leaf.type].test(text.slice(pos, end))) leaf = null;
        continue;
      }
    }
    if (leaf !== null && leaf.kind === 'indented') {
      if (blank || columns >= CODE_INDENT) {
        prose.blank(pos, end);
        continue;
      }
      leaf = null;
    }

    // New containers.
    for (;;) {
      ({ columns, first: at } = indentation(text, pos, end, column));
      blank = at === end;
      if (columns >= CODE_INDENT || blank) break;
      if (text[at] === '>') {
        closeLeaf();
        stack.push({ quote: true });
        prose.blank(pos, at + 1);
        ({ at: pos, column } = pastQuoteMarker(text, at, end, column + columns));
        continue;
      }
      if (!mayStartBlock(text, at)) break;
      const line = text.slice(at, end);
      const marker = LIST_MARKER.exec(line);
      if (marker === null || THEMATIC_BREAK.test(line)) break;
      const afterMarker = at + marker[0].length;
      const rest = indentation(text, afterMarker, end, column + columns + marker[0].length);
      const empty = rest.first === end;
      if (leaf !== null && leaf.kind === 'paragraph' && (empty || (marker[1] !== undefined && marker[1] !== '1'))) break;
      closeLeaf();
      const spaces = empty || rest.columns > CODE_INDENT ? 1 : rest.columns;
      stack.push({ indent: columns + marker[0].length + spaces });
      prose.blank(at, afterMarker);
      const skipped = skipColumns(text, afterMarker, end, column + columns + marker[0].length, spaces);
      pos = skipped.at;
      column = skipped.column;
      // A task list item's box.
      const task = TASK.exec(text.slice(pos, end));
      if (task !== null) prose.blank(pos, pos + 3);
    }

    // Leaf blocks.
    if (blank) {
      closeLeaf();
      continue;
    }
    if (columns >= CODE_INDENT) {
      if (leaf !== null && leaf.kind === 'paragraph') leaf.segments.push(at, end);
      else {
        closeLeaf();
        leaf = { kind: 'indented' };
        prose.blank(pos, end);
      }
      continue;
    }
    if (leaf !== null && leaf.kind === 'paragraph' && !mayStartBlock(text, at)) {
      leaf.segments.push(at, end);
      continue;
    }
    const line = text.slice(at, end);
    const fence = FENCE.exec(line);
    if (fence !== null && !(fence[1][0] === '`' && fence[2].includes('`'))) {
      closeLeaf();
      leaf = { kind: 'fence', fence: fence[1] };
      prose.blank(pos, end);
      continue;
    }
    if (line.startsWith('$$')) {
      closeLeaf();
      prose.blank(pos, end);
      if (!line.slice(2).includes('$$')) leaf = { kind: 'math' };
      continue;
    }
    const atx = ATX.exec(line);
    if (atx !== null) {
      closeLeaf();
      prose.blank(at, at + atx[0].length);
      // The closing sequence: #s after a space, or alone.
      const content = line.slice(atx[0].length);
      const closing = /(?:^|[ \t])#+[ \t]*$/.exec(content);
      const contentEnd = closing === null ? end : at + atx[0].length + closing.index;
      if (closing !== null) prose.blank(contentEnd, end);
      blocks.push([at + atx[0].length, contentEnd]);
      continue;
    }
    if (THEMATIC_BREAK.test(line)) {
      closeLeaf();
      continue;
    }
    const htmlType = htmlBlockType(line, leaf !== null && leaf.kind === 'paragraph');
    if (htmlType !== 0) {
      closeLeaf();
      if (htmlType >= 6) {
        leaf = { kind: 'html', type: htmlType, start: at, end };
      } else {
        prose.blank(pos, end);
        // The end condition may hold on the opening line itself (after the opening).
        if (!HTML_BLOCK_ENDS[htmlType].test(line.slice(htmlType === 4 ? 2 : htmlType === 1 ? 1 : 4))) leaf = { kind: 'html', type: htmlType };
      }
      continue;
    }
    if (leaf !== null && leaf.kind === 'paragraph') {
      // A setext underline ends the paragraph as a heading; it holds no words.
      if (/^(?:=+|-+)[ \t]*$/.test(line)) {
        closeLeaf();
        continue;
      }
      leaf.segments.push(at, end);
    } else {
      closeLeaf();
      leaf = { kind: 'paragraph', segments: [at, end] };
      blocks.push(leaf.segments);
    }
  }
  closeLeaf();

  // Reference definitions open paragraphs; every link that uses one needs all of them known.
  const labels = new Set();
  const definitionsEnd = new Array(blocks.length).fill(0);
  for (let i = 0; i < blocks.length; i++) {
    // Only a paragraph that starts with [ can open with one.
    if (text[blocks[i][0]] !== '[') continue;
    const paragraph = new Local(text, blocks[i]);
    let from = 0;
    for (;;) {
      const definition = parseDefinition(paragraph.text, from);
      if (definition === null) break;
      labels.add(normaliseLabel(definition.label));
      paragraph.blank(prose, from, definition.end);
      from = definition.end;
    }
    definitionsEnd[i] = from;
  }
  for (let i = 0; i < blocks.length; i++) markInlines(prose, new Local(text, blocks[i]), definitionsEnd[i], labels);
  return prose.finish();
}

// Whether the line (from its first non-blank character) would start a block other than a
// paragraph, so that it cannot continue one lazily.
function startsBlock(text, at, end, inParagraph) {
  if (!mayStartBlock(text, at)) return false;
  const line = text.slice(at, end);
  if (FENCE.test(line) || ATX.test(line) || THEMATIC_BREAK.test(line) || htmlBlockType(line, inParagraph) !== 0) return true;
  const marker = LIST_MARKER.exec(line);
  if (marker === null) return false;
  const empty = line.slice(marker[0].length).trim() === '';
  return !empty && (marker[1] === undefined || marker[1] === '1');
}

// CommonMark's HTML block kinds 1 to 7 by the line's start, or 0 (7 cannot interrupt a paragraph).
function htmlBlockType(line, inParagraph) {
  if (line[0] !== '<') return 0;
  if (HTML_BLOCK_1.test(line)) return 1;
  if (line.startsWith('<!--')) return 2;
  if (line.startsWith('<?')) return 3;
  if (/^<![A-Za-z]/.test(line)) return 4;
  if (line.startsWith('<![CDATA[')) return 5;
  if (HTML_BLOCK_6.test(line)) return 6;
  if (!inParagraph && HTML_BLOCK_7.test(line)) return 7;
  return 0;
}

// A paragraph's lines joined by \n, as one string, with the way back to the source.
class Local {
  // segments: the lines' [start, end) as pairs in one array.
  constructor(text, segments) {
    this.segments = segments;
    this.offsets = []; // where each line starts in the local string
    let length = 0;
    const parts = [];
    for (let i = 0; i < segments.length; i += 2) {
      this.offsets.push(length);
      parts.push(text.slice(segments[i], segments[i + 1]));
      length += segments[i + 1] - segments[i] + 1;
    }
    this.text = parts.length === 1 ? parts[0] : parts.join('\n');
  }

  // The line that local offset `at` is on.
  lineOf(at) {
    let low = 0;
    let high = this.offsets.length - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (this.offsets[middle] <= at) low = middle;
      else high = middle - 1;
    }
    return low;
  }

  // The source offset of local offset `at` (a \n between lines maps to the line's end).
  source(at) {
    const low = this.lineOf(at);
    const start = this.segments[low * 2];
    return Math.min(start + at - this.offsets[low], this.segments[low * 2 + 1]);
  }

  blank(prose, from, to) {
    if (to <= from) return;
    for (let i = this.lineOf(from); i < this.offsets.length; i++) {
      const start = this.segments[i * 2];
      const segmentFrom = this.offsets[i];
      const segmentTo = segmentFrom + this.segments[i * 2 + 1] - start;
      if (segmentTo <= from) continue;
      if (segmentFrom >= to) break;
      prose.blank(start + Math.max(0, from - segmentFrom), start + Math.min(segmentTo, to) - segmentFrom);
    }
  }
}

// A link reference definition at `from`: { label, end } (end: past its line), or null.
function parseDefinition(text, from) {
  const head = /[ ]{0,3}\[/y;
  head.lastIndex = from;
  if (!head.test(text)) return null;
  const labelStart = head.lastIndex;
  const labelEnd = labelClose(text, labelStart);
  if (labelEnd === -1 || text[labelEnd + 1] !== ':') return null;
  const label = text.slice(labelStart, labelEnd);
  if (label.trim() === '') return null;
  let at = skipSpace(text, labelEnd + 2, true);
  const destination = linkDestination(text, at, false);
  if (destination === -1) return null;
  at = destination;
  const lineEndAt = (i) => {
    const match = /[ \t]*(?:\n|$)/y;
    match.lastIndex = i;
    return match.test(text) ? match.lastIndex : -1;
  };
  // A title, on the same line or the next, after white space.
  const titleAt = skipSpace(text, at, true);
  if (titleAt > at) {
    const titleEnd = linkTitle(text, titleAt);
    if (titleEnd !== -1) {
      const end = lineEndAt(titleEnd);
      if (end !== -1) return { label, end };
    }
  }
  const end = lineEndAt(at);
  return end === -1 ? null : { label, end };
}

// The index of the ] that closes a label starting at `from` (no unescaped brackets inside), or -1.
function labelClose(text, from) {
  for (let at = from; at < text.length && at - from <= LABEL_LIMIT; at++) {
    const c = text[at];
    if (c === '\\') at++;
    else if (c === '[') return -1;
    else if (c === ']') return at;
  }
  return -1;
}

// Past spaces and tabs, and (with `newline`) at most one line end.
function skipSpace(text, at, newline) {
  let seen = false;
  while (at < text.length) {
    const c = text[at];
    if (c === ' ' || c === '\t') at++;
    else if (c === '\n' && newline && !seen) {
      seen = true;
      at++;
    } else break;
  }
  return at;
}

// The end of a link destination at `at`, or -1. `empty`: whether nothing at all will do.
function linkDestination(text, at, empty) {
  if (text[at] === '<') {
    for (let i = at + 1; i < text.length; i++) {
      const c = text[i];
      if (c === '\\') i++;
      else if (c === '>') return i + 1;
      else if (c === '<' || c === '\n') return -1;
    }
    return -1;
  }
  let depth = 0;
  let i = at;
  for (; i < text.length; i++) {
    const c = text.charCodeAt(i);
    if (c <= 32 || c === 127) break;
    if (c === 92 && i + 1 < text.length && ASCII_PUNCTUATION.test(text[i + 1])) i++;
    else if (c === 40) {
      if (++depth > 32) return -1;
    } else if (c === 41) {
      if (depth === 0) break;
      depth--;
    }
  }
  if (depth !== 0) return -1;
  if (i === at && !empty) return -1;
  return i;
}

// The end of a link title at `at` ("…", '…' or (…)), or -1.
function linkTitle(text, at) {
  const open = text[at];
  const close = open === '(' ? ')' : open;
  if (open !== '"' && open !== "'" && open !== '(') return -1;
  for (let i = at + 1; i < text.length; i++) {
    const c = text[i];
    if (c === '\\') i++;
    else if (c === close) return i + 1;
    else if (open === '(' && c === '(') return -1;
    else if (c === '\n' && /^[ \t]*\n/.test(text.slice(i + 1, i + 64))) return -1; // a blank line ends it
  }
  return -1;
}

// The end of an inline link's `(destination "title")` starting at `at` (the parenthesis), or -1.
function inlineLinkTail(text, at) {
  let i = skipSpace(text, at + 1, true);
  if (text[i] === ')') return i + 1;
  const destination = linkDestination(text, i, true);
  if (destination === -1) return -1;
  i = destination;
  const spaced = skipSpace(text, i, true);
  if (spaced > i && text[spaced] !== ')') {
    const title = linkTitle(text, spaced);
    if (title === -1) return -1;
    i = skipSpace(text, title, true);
  } else {
    i = spaced;
  }
  return text[i] === ')' ? i + 1 : -1;
}

// The end of a backtick run starting at `at`, and the end of the code span it opens (-1: none).
function codeSpan(text, at) {
  let runEnd = at;
  while (text[runEnd] === '`') runEnd++;
  const length = runEnd - at;
  let search = runEnd;
  for (;;) {
    const found = text.indexOf('`', search);
    if (found === -1) return { runEnd, end: -1 };
    let closeEnd = found;
    while (text[closeEnd] === '`') closeEnd++;
    if (closeEnd - found === length) return { runEnd, end: closeEnd };
    search = closeEnd;
  }
}

// The index of the ] that closes the bracket at `at`, skipping code spans, autolinks, raw HTML
// and escapes, or -1.
function bracketClose(text, at) {
  let depth = 0;
  const limit = Math.min(text.length, at + BRACKET_LIMIT);
  for (let i = at; i < limit; i++) {
    const c = text[i];
    if (c === '\\') i++;
    else if (c === '`') {
      const span = codeSpan(text, i);
      i = (span.end === -1 ? span.runEnd : span.end) - 1;
    } else if (c === '<') {
      const end = matchAt(AUTOLINK, text, i) || matchAt(RAW_HTML, text, i);
      if (end > 0) i = end - 1;
    } else if (c === '[') depth++;
    else if (c === ']' && --depth === 0) return i;
  }
  return -1;
}

function matchAt(pattern, text, at) {
  pattern.lastIndex = at;
  return pattern.test(text) ? pattern.lastIndex : 0;
}

const INLINE_START = /[\\`<&[\]_*$!]/g;

// Blanks the markup of a paragraph's inlines from local offset `from` on.
function markInlines(prose, paragraph, from, labels) {
  const text = paragraph.text;
  const blank = (start, end) => paragraph.blank(prose, start, end);
  const tails = new Map(); // where a link's text ends -> where its destination or label ends
  const underscores = []; // runs of _ and * outside code, as start, end, scope
  // Emphasis pairs up only inside one link text: the link each run is in (0: none).
  const scopes = [0];
  const scopeEnds = [];
  let nextScope = 1;
  const start = new RegExp(INLINE_START.source, 'g');
  start.lastIndex = from;
  let match;
  while ((match = start.exec(text)) !== null) {
    const at = match.index;
    const c = match[0];
    if (c === '\\') {
      if (text[at + 1] === '\n') blank(at, at + 1);
      else if (ASCII_PUNCTUATION.test(text[at + 1] ?? '')) {
        // Read as the character escaped, over the source of both.
        const source = paragraph.source(at);
        prose.decode(source, source + 2, text[at + 1]);
        start.lastIndex = at + 2;
      }
    } else if (c === '`') {
      const span = codeSpan(text, at);
      if (span.end !== -1) blank(at, span.end);
      start.lastIndex = span.end === -1 ? span.runEnd : span.end;
    } else if (c === '<') {
      const end = matchAt(AUTOLINK, text, at) || matchAt(RAW_HTML, text, at);
      if (end > 0) {
        blank(at, end);
        start.lastIndex = end;
      }
    } else if (c === '&') {
      const reference = referenceAt(text, at, false);
      if (reference !== null) {
        const source = paragraph.source(at);
        prose.keepDecoded(source, source + reference.end - at);
        start.lastIndex = reference.end;
      }
    } else if (c === ']') {
      const tail = tails.get(at);
      if (tail !== undefined) {
        scopes.pop();
        blank(at, tail);
        start.lastIndex = tail;
      }
    } else if (c === '[' || (c === '!' && text[at + 1] === '[')) {
      const open = c === '!' ? at + 1 : at;
      const close = bracketClose(text, open);
      if (close === -1) continue;
      const tail = linkTail(text, open, close, labels);
      // A link cannot hold another link (an image can).
      if (tail === -1 || (c === '[' && containsLink(text, open + 1, close, labels))) continue;
      blank(at, open + 1);
      tails.set(close, tail);
      scopes.push(nextScope++);
      start.lastIndex = open + 1;
    } else if (c === '_' || c === '*') {
      let end = at;
      while (text[end] === c) end++;
      underscores.push(at, end, scopes.at(-1));
      start.lastIndex = end;
    } else if (c === '$') {
      const end = mathEnd(text, at);
      if (end !== -1) {
        blank(at, end);
        start.lastIndex = end;
      }
    }
  }
  // Runs of _ that open and close emphasis are markup: blanked, so that the words they enclose
  // do not touch an underscore (which makes an identifier of a word). The others, such as the
  // ones inside snake_case, stay.
  const openers = []; // { start, end, scope, star }: runs that may open, innermost last
  for (let i = 0; i < underscores.length; i += 3) {
    let runStart = underscores[i];
    const runEnd = underscores[i + 1];
    const scope = underscores[i + 2];
    const star = text[runStart] === '*';
    const before = runStart === 0 ? '\n' : text[runStart - 1];
    const after = runEnd === text.length ? '\n' : text[runEnd];
    const left = !WHITE.test(after) && (!PUNCTUATION.test(after) || WHITE.test(before) || PUNCTUATION.test(before));
    const right = !WHITE.test(before) && (!PUNCTUATION.test(before) || WHITE.test(after) || PUNCTUATION.test(after));
    // * pairs inside words too; its runs count only because emphasis does not interleave: a pair
    // of * drops the _ openers between them (and the reverse).
    const canOpen = star ? left : left && (!right || PUNCTUATION.test(before));
    const canClose = star ? right : right && (!left || PUNCTUATION.test(after));
    if (canClose) {
      // Each pair takes as many underscores as both runs have; what is left goes on pairing.
      for (let o = openers.length - 1; o >= 0 && runStart < runEnd; o--) {
        const opener = openers[o];
        if (opener.scope !== scope || opener.star !== star) continue;
        const used = Math.min(opener.end - opener.start, runEnd - runStart);
        if (!star) {
          blank(opener.end - used, opener.end);
          blank(runStart, runStart + used);
        }
        opener.end -= used;
        runStart += used;
        openers.length = opener.end > opener.start ? o + 1 : o;
      }
    }
    if (canOpen && runStart < runEnd) openers.push({ start: runStart, end: runEnd, scope, star });
  }
}

// Where the link or image whose text is [open, close] ends: past its (destination "title"), its
// [label], or its own ] when its text names a definition; -1 when it is no link.
function linkTail(text, open, close, labels) {
  if (text[close + 1] === '(') {
    const tail = inlineLinkTail(text, close + 1);
    if (tail !== -1) return tail;
  }
  if (text[close + 1] === '[') {
    const labelEnd = labelClose(text, close + 2);
    if (labelEnd !== -1) {
      const label = labelEnd === close + 2 ? text.slice(open + 1, close) : text.slice(close + 2, labelEnd);
      if (labels.has(normaliseLabel(label))) return labelEnd + 1;
      if (labelEnd > close + 2) return -1;
    }
  }
  return labels.has(normaliseLabel(text.slice(open + 1, close))) ? close + 1 : -1;
}

// Whether [from, to) holds a link (not an image).
function containsLink(text, from, to, labels) {
  for (let at = text.indexOf('[', from); at !== -1 && at < to; at = text.indexOf('[', at + 1)) {
    if (text[at - 1] === '!' || text[at - 1] === '\\') continue;
    const close = bracketClose(text, at);
    if (close !== -1 && close < to && linkTail(text, at, close, labels) !== -1) return true;
  }
  return false;
}

// The end of inline math opening at `at`: $$…$$, or $…$ where the opening $ is followed and the
// closing $ preceded by a non-space, and no digit follows the closing one ($5 and $10 is money).
function mathEnd(text, at) {
  if (text[at + 1] === '$') {
    const close = text.indexOf('$$', at + 2);
    return close === -1 ? -1 : close + 2;
  }
  const next = text[at + 1];
  if (next === undefined || /\s/.test(next)) return -1;
  for (let i = at + 1; i < text.length; i++) {
    const c = text[i];
    if (c === '\\') i++;
    else if (c === '\n' && text[i + 1] === '\n') return -1;
    else if (c === '$') {
      if (/\s/.test(text[i - 1]) || /[0-9]/.test(text[i + 1] ?? '')) return -1;
      return i + 1;
    }
  }
  return -1;
}

module.exports = { markdown };
