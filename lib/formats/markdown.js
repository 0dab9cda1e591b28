'use strict';
// Markdown (CommonMark with GitHub's tables, strikethrough, task lists and autolinks, front
// matter, $…$ math): blanks everything but the prose of paragraphs, headings, list items, block
// quotes, table cells and link and image texts.
//
// A scanner of our own: the parsers that load from CommonJS give block positions at best, not
// the source range of each inline piece. It follows CommonMark's two phases: the blocks line by
// line (container prefixes, fences, indented code, HTML blocks), then the inlines of each
// paragraph and heading (code spans, links, autolinks, raw HTML, references, escapes), which
// markdown-inlines.js reads.
const { Prose } = require('./prose');
const { markHtml } = require('./html');
const { OPEN_TAG, CLOSE_TAG, Local, parseDefinition, markInlines, normaliseLabel } = require('./markdown-inlines');

// 4 columns: CommonMark's tab stop, and the indentation that makes a line code.
const TAB = 4;
const CODE_INDENT = 4;

// CommonMark's HTML blocks: what ends kinds 1 to 5 (6 and 7 end at a blank line), and what
// starts 1, 6 and 7 (see htmlBlockType).
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
const FRONT_MATTER_LANGUAGE = /^(?:lang|language|locale)[ \t]*[:=][ \t]*["']?([A-Za-z]{2,3}(?:[-_][A-Za-z0-9]{2,8})*)["']?[ \t]*\r?$/m;
const THEMATIC_BREAK = /^(?:(?:\*[ \t]*){3,}|(?:-[ \t]*){3,}|(?:_[ \t]*){3,})$/;
const ATX = /^#{1,6}(?=[ \t]|$)/;
const LIST_MARKER = /^(?:[-+*]|(\d{1,9})[.)])(?=[ \t]|$)/;
const TASK = /^\[[ xX]\](?=[ \t])/;

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

// GitHub's tables: a paragraph whose second line is a delimiter row.
const DELIMITER_ROW = /^\|?[ \t]*:?-+:?[ \t]*(?:\|[ \t]*:?-+:?[ \t]*)*\|?[ \t]*$/;
// A table cell that holds nothing but a word of one or two letters is a code (`xh` for Xhosa,
// `px`, `ms`), not prose: the language codes of one installed README's table made a fifth of
// the reports on 25 READMEs. A typo of two letters is rarely anything but another word.
const CODE_CELL = /^[ \t]*\p{L}{1,2}[ \t]*$/u;

// Blanks the code cells of a table's rows (`lines`: their start, end pairs).
function blankCodeCells(text, prose, lines) {
  if (lines.length < 4 || !DELIMITER_ROW.test(text.slice(lines[2], lines[3])) || !text.slice(lines[0], lines[1]).includes('|')) return;
  for (let i = 0; i < lines.length; i += 2) {
    if (i === 2) continue;
    let cell = lines[i];
    for (let at = lines[i]; at <= lines[i + 1]; at++) {
      if (at < lines[i + 1] && (text[at] !== '|' || text[at - 1] === '\\')) continue;
      if (CODE_CELL.test(text.slice(cell, at))) prose.blank(cell, at);
      cell = at + 1;
    }
  }
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
        // `lang: de` (or `language = "fr"`): the language the document is written in.
        const language = FRONT_MATTER_LANGUAGE.exec(text.slice(0, lines.starts[i]));
        if (language !== null) prose.mark(lines.ends[i], text.length, language[1]);
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
      else prose.code(pos, end);
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
        if (leaf.code) prose.code(pos, end);
        const closed = HTML_BLOCK_ENDS[leaf.type].exec(text.slice(pos, end));
        if (closed !== null) {
          if (leaf.type === 2) prose.comment(leaf.commentFrom, pos + closed.index);
          leaf = null;
        }
        continue;
      }
    }
    if (leaf !== null && leaf.kind === 'indented') {
      if (blank || columns >= CODE_INDENT) {
        prose.blank(pos, end);
        prose.code(pos, end);
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
        prose.code(pos, end);
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
        const skip = htmlType === 4 ? 2 : htmlType === 1 ? 1 : 4;
        const closed = HTML_BLOCK_ENDS[htmlType].exec(line.slice(skip));
        const code = htmlType === 1 && /^<pre/i.test(line);
        if (code) prose.code(at, end);
        // A comment closed on its own line (a longer one is told where it closes).
        if (htmlType === 2 && closed !== null) prose.comment(at + 4, at + skip + closed.index);
        if (closed === null) leaf = { kind: 'html', type: htmlType, code, commentFrom: at + 4 };
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
  for (let i = 0; i < blocks.length; i++) {
    prose.boundary(blocks[i][0]);
    markInlines(prose, new Local(text, blocks[i]), definitionsEnd[i], labels);
    blankCodeCells(text, prose, blocks[i]);
  }
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

module.exports = { markdown };
