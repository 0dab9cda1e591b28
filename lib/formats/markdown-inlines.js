'use strict';
// Markdown's inlines: the markup inside a paragraph or heading that is not prose (code spans,
// link destinations and titles, reference labels and definitions, autolinks, raw HTML, the _ of
// emphasis, math, escapes and references). The blocks are found in markdown.js.
const { referenceAt } = require('./entities');

// A link text or label longer than this is taken as plain text: bounds the search for the
// closing bracket, which would otherwise make text full of `[` quadratic.
const BRACKET_LIMIT = 1000;
// How far back a closing _ or * looks for its opener; real emphasis nests a few deep.
const OPENER_LIMIT = 64;
// CommonMark's own bound on link labels.
const LABEL_LIMIT = 999;


const TAG_NAME = '[A-Za-z][A-Za-z0-9-]*';
const ATTRIBUTE = `(?:\\s+[A-Za-z_:][A-Za-z0-9_.:-]*(?:\\s*=\\s*(?:[^"'=<>\`\\x00-\\x20]+|'[^']*'|"[^"]*"))?)`;
const OPEN_TAG = `<${TAG_NAME}${ATTRIBUTE}*\\s*/?>`;
const CLOSE_TAG = `</${TAG_NAME}\\s*>`;
const RAW_HTML = new RegExp(`${OPEN_TAG}|${CLOSE_TAG}|<!---?>|<!--[\\s\\S]*?-->|<\\?[\\s\\S]*?\\?>|<![A-Za-z][^>]*>|<!\\[CDATA\\[[\\s\\S]*?\\]\\]>`, 'y');
const AUTOLINK = /<[A-Za-z][A-Za-z0-9.+-]{1,31}:[^\s<>]*>|<[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*>/y;

const ASCII_PUNCTUATION = /[!-/:-@[-`{-~]/;
const WHITE = /\s/u;
const PUNCTUATION = /[\p{P}\p{S}]/u;

// A label as references match it: case-folded, inner white space collapsed.
const normaliseLabel = (label) => label.trim().replace(/\s+/g, ' ').toLowerCase().toUpperCase().toLowerCase();

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
  let nextBracket = -2; // the first ] after the last bracket looked at (-1: none)
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
      if (span.end !== -1) {
        blank(at, span.end);
        prose.code(paragraph.source(at), paragraph.source(span.end));
      }
      start.lastIndex = span.end === -1 ? span.runEnd : span.end;
    } else if (c === '<') {
      const end = matchAt(AUTOLINK, text, at) || matchAt(RAW_HTML, text, at);
      if (end > 0) {
        blank(at, end);
        if (text.startsWith('<!--', at) && end - at >= 7) prose.comment(paragraph.source(at + 4), paragraph.source(end - 3));
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
      // The next ] of all, found once for many brackets: without one in reach there is no link,
      // and text of [ without ] needs no search from each.
      if (nextBracket !== -1 && nextBracket < open) nextBracket = text.indexOf(']', open);
      if (nextBracket === -1 || nextBracket - open > BRACKET_LIMIT) continue;
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
      // The search goes back at most OPENER_LIMIT openers: text full of openers of one kind and
      // closers of another would otherwise be quadratic.
      const lowest = Math.max(0, openers.length - OPENER_LIMIT);
      for (let o = openers.length - 1; o >= lowest && runStart < runEnd; o--) {
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

// Whether [from, to) holds a link (not an image). An image is passed over whole, its label
// with it: the `[logo]` of `![alt][logo]` names the image's definition, it is no link of its own
// (a badge, `[![build][ci-image]][ci-url]`, is a link holding such an image).
function containsLink(text, from, to, labels) {
  for (let at = text.indexOf('[', from); at !== -1 && at < to; at = text.indexOf('[', at + 1)) {
    if (text[at - 1] === '\\') continue;
    const close = bracketClose(text, at);
    if (close === -1 || close >= to) continue;
    const tail = linkTail(text, at, close, labels);
    if (tail === -1) continue;
    if (text[at - 1] !== '!') return true;
    at = tail - 1;
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

module.exports = { OPEN_TAG, CLOSE_TAG, Local, parseDefinition, markInlines, normaliseLabel };
