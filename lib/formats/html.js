'use strict';
// HTML: the text content, and the attributes people read, with character references decoded.
// htmlparser2's Tokenizer gives the exact source range of every piece (and knows the raw text
// of <script>, <style>, <textarea>, <title>); which pieces are prose is decided here.
const { Tokenizer } = require('htmlparser2');
const { Prose } = require('./prose');

// Elements whose content is code or machinery, not prose.
const SKIPPED = new Set(['script', 'style', 'code', 'pre', 'kbd', 'samp', 'var', 'template', 'noscript', 'svg', 'math']);
// Attributes that a reader sees (alt text, tooltips, placeholders, what a screen reader says).
const READ = new Set(['alt', 'title', 'placeholder', 'aria-label', 'aria-description', 'label']);

// Marks the prose of text.slice(from, to) in `prose` (blank everywhere else in that range).
function markHtml(prose, text, from = 0, to = text.length) {
  const source = from === 0 && to === text.length ? text : text.slice(from, to);
  prose.blank(from, to);
  const open = []; // skipped elements open, innermost last
  let tag = '';
  let attribute = '';
  let attributes = null; // of <meta>: name and the content's range
  let valueStart = -1;
  let valueEnd = -1;
  const lower = (start, end) => source.slice(start, end).toLowerCase();
  const keep = (start, end, legacy = false) => prose.keepDecoded(from + start, from + end, legacy);
  const tokenizer = new Tokenizer({ decodeEntities: false }, {
    ontext(start, end) {
      if (open.length === 0) keep(start, end, true);
    },
    ontextentity() {},
    onattribentity() {},
    onopentagname(start, end) {
      tag = lower(start, end);
      attributes = tag === 'meta' ? {} : null;
    },
    onattribname(start, end) {
      attribute = lower(start, end);
      valueStart = -1;
    },
    onattribdata(start, end) {
      if (valueStart === -1) valueStart = start;
      valueEnd = end;
    },
    onattribend() {
      if (valueStart === -1) return;
      if (attributes !== null) {
        if (attribute === 'name') attributes.name = lower(valueStart, valueEnd);
        if (attribute === 'content') attributes.content = [valueStart, valueEnd];
      } else if (open.length === 0 && READ.has(attribute)) {
        keep(valueStart, valueEnd);
      }
      valueStart = -1;
    },
    onopentagend() {
      if (attributes !== null && attributes.content && /^(?:description|keywords|og:description|twitter:description)$/.test(attributes.name ?? '')) {
        keep(...attributes.content);
      }
      if (SKIPPED.has(tag)) open.push(tag);
    },
    onselfclosingtag() {},
    onclosetag(start, end) {
      const name = lower(start, end);
      const at = open.lastIndexOf(name);
      if (at !== -1) open.length = at;
    },
    oncomment() {},
    oncdata() {},
    ondeclaration() {},
    onprocessinginstruction() {},
    onend() {},
  });
  // HTML5 ends a comment at --!> as well as at -->; the tokenizer knows only -->. It reads a copy
  // where each --!> is !--> (as long, and ending where the comment ends); the prose is taken from
  // the text itself.
  tokenizer.write(source.includes('--!>') ? source.replace(/--!>/g, '!-->') : source);
  tokenizer.end();
}

function html(text) {
  const prose = new Prose(text);
  markHtml(prose, text);
  return prose.finish();
}

module.exports = { html, markHtml };
