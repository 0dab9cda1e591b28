'use strict';
// HTML: the text content, and the attributes people read, with character references decoded.
// htmlparser2's Tokenizer gives the exact source range of every piece (and knows the raw text
// of <script>, <style>, <textarea>, <title>); which pieces are prose is decided here.
const { Tokenizer } = require('htmlparser2');
const { Prose } = require('./prose');

// Elements whose content is code or machinery, not prose (tt: the code of older pages).
const SKIPPED = new Set(['script', 'style', 'code', 'pre', 'kbd', 'samp', 'var', 'tt', 'template', 'noscript', 'svg', 'math']);
// Classes that generated manuals (DocBook, gtk-doc, texinfo, highlighters) give the elements
// that hold code, names of files, commands and options.
const CODE_CLASS = /(?:^|\s)(?:literal|function|command|option|filename|varname|parameter|type|structname|structfield|constant|symbol|computeroutput|userinput|replaceable|programlisting|screen|synopsis|funcsynopsis|funcdef|returnvalue|envar|code|sourceCode|highlight|hljs|language-[\w-]+)(?:\s|$)/;
// Elements without content: a class on one of them opens nothing to skip.
const VOID = new Set(['area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link', 'meta', 'param', 'source', 'track', 'wbr']);
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
  let codeClass = false; // the open tag has a class of code
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
      codeClass = false;
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
      if (attribute === 'class' && CODE_CLASS.test(source.slice(valueStart, valueEnd))) codeClass = true;
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
      if (SKIPPED.has(tag) || (codeClass && !VOID.has(tag))) open.push(tag);
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

module.exports = { html, markHtml, SKIPPED, READ, CODE_CLASS, VOID };
