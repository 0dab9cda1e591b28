'use strict';
'use strict';
// HTML: the text content, and the attributes people read, with character references decoded.
// A scanner of our own that follows HTML's tokenisation (tags, attributes in any quoting,
// comments ending at --> or --!>, bogus comments, the raw text of <script> and <style>, the
// escapable raw text of <title> and <textarea>) and gives every piece's source range; which
// pieces are prose is decided here. No dependency: the install stays two packages.
const { Prose } = require('./prose');

// Elements whose content is code or machinery, not prose (tt: the code of older pages).
const SKIPPED = new Set(['script', 'style', 'code', 'pre', 'kbd', 'samp', 'var', 'tt', 'template', 'noscript', 'svg', 'math']);
// The skipped elements whose text is code a reader sees: the names the page defines.
const CODE = new Set(['code', 'pre', 'kbd', 'samp', 'var', 'tt']);
// Classes that generated manuals (DocBook, gtk-doc, texinfo, highlighters) give the elements
// that hold code, names of files, commands and options.
const CODE_CLASS = /(?:^|\s)(?:literal|function|command|option|filename|varname|parameter|type|structname|structfield|constant|symbol|computeroutput|userinput|replaceable|programlisting|screen|synopsis|funcsynopsis|funcdef|returnvalue|envar|code|sourceCode|highlight|hljs|language-[\w-]+)(?:\s|$)/;
// Elements without content: a class on one of them opens nothing to skip.
const VOID = new Set(['area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link', 'meta', 'param', 'source', 'track', 'wbr']);
// Attributes that a reader sees (alt text, tooltips, placeholders, what a screen reader says).
const READ = new Set(['alt', 'title', 'placeholder', 'aria-label', 'aria-description', 'label']);

// Elements whose content is raw text, up to their own end tag only; the ones of RCDATA decode
// references in it.
const RAW_TEXT = new Set(['script', 'style', 'xmp', 'iframe', 'noembed', 'noframes', 'noscript', 'title', 'textarea']);
const RCDATA = new Set(['title', 'textarea']);

const isSpace = (c) => c === 32 || c === 9 || c === 10 || c === 12 || c === 13;
const isLetter = (c) => (c >= 65 && c <= 90) || (c >= 97 && c <= 122);

// Reads the tag whose name starts at `at` (after `<` or `</`): { name, attributes, end } with
// end past its `>`, or null when the text ends inside it.
function readTag(text, at, to) {
  let i = at;
  while (i < to && !isSpace(text.charCodeAt(i)) && text[i] !== '/' && text[i] !== '>') i++;
  const name = text.slice(at, i).toLowerCase();
  const attributes = [];
  for (;;) {
    while (i < to && (isSpace(text.charCodeAt(i)) || text[i] === '/')) i++;
    if (i >= to) return null;
    if (text[i] === '>') return { name, attributes, end: i + 1 };
    // A name (which may start with =) up to white space, / > or =.
    const nameStart = i;
    i++;
    while (i < to && !isSpace(text.charCodeAt(i)) && text[i] !== '/' && text[i] !== '>' && text[i] !== '=') i++;
    const attribute = { name: text.slice(nameStart, i).toLowerCase(), valueStart: -1, valueEnd: -1 };
    attributes.push(attribute);
    let j = i;
    while (j < to && isSpace(text.charCodeAt(j))) j++;
    if (text[j] !== '=') continue;
    j++;
    while (j < to && isSpace(text.charCodeAt(j))) j++;
    const quote = text[j];
    if (quote === '"' || quote === "'") {
      const close = text.indexOf(quote, j + 1);
      if (close === -1 || close >= to) return null;
      attribute.valueStart = j + 1;
      attribute.valueEnd = close;
      i = close + 1;
    } else {
      attribute.valueStart = j;
      while (j < to && !isSpace(text.charCodeAt(j)) && text[j] !== '>') j++;
      attribute.valueEnd = j;
      i = j;
    }
  }
}

// The end of a raw text element's content that starts at `from`: where its `</name` is.
function rawTextEnd(text, from, to, name) {
  const close = new RegExp(`</${name}(?=[\\s/>]|$)`, 'gi');
  close.lastIndex = from;
  const found = close.exec(text);
  return found === null || found.index >= to ? to : found.index;
}

// Scans text[from, to) and tells `on`: text(start, end), rawText(start, end, rcdata),
// openTag(tag), closeTag(name), comment(start, end) (the content between <!-- and -->).
// Doctypes and the like are told nothing.
function scanHtml(text, from, to, on) {
  let textStart = from;
  let at = text.indexOf('<', from);
  while (at !== -1 && at < to) {
    const next = text.charCodeAt(at + 1);
    let end = -1;
    let tag = null;
    let closing = false;
    if (isLetter(next)) {
      tag = readTag(text, at + 1, to);
      end = tag === null ? to : tag.end;
    } else if (next === 47) { // </
      const after = text.charCodeAt(at + 2);
      if (isLetter(after)) {
        tag = readTag(text, at + 2, to);
        closing = true;
        end = tag === null ? to : tag.end;
      } else {
        // </> is dropped; </ and anything else is a bogus comment up to >.
        const close = text.indexOf('>', at + 2);
        end = close === -1 || close >= to ? to : close + 1;
      }
    } else if (next === 33) { // <!
      if (text.startsWith('<!--', at)) {
        if (text.startsWith('<!-->', at)) end = at + 5;
        else if (text.startsWith('<!--->', at)) end = at + 6;
        else {
          const dashes = text.indexOf('-->', at + 4);
          const bang = text.indexOf('--!>', at + 4);
          const close = dashes === -1 ? bang : bang === -1 ? dashes : Math.min(dashes, bang);
          end = close === -1 || close >= to ? to : close + (close === bang ? 4 : 3);
          on.comment(at + 4, close === -1 || close >= to ? to : close);
        }
      } else {
        // A doctype, CDATA (a bogus comment outside SVG and MathML), a declaration: up to >.
        const close = text.indexOf('>', at + 2);
        end = close === -1 || close >= to ? to : close + 1;
      }
    } else if (next === 63) { // <?: a bogus comment up to >
      const close = text.indexOf('>', at + 2);
      end = close === -1 || close >= to ? to : close + 1;
    }
    if (end === -1) {
      // A < that starts nothing is text.
      at = text.indexOf('<', at + 1);
      continue;
    }
    if (at > textStart) on.text(textStart, at);
    textStart = end;
    if (tag !== null) {
      if (closing) on.closeTag(tag.name, at);
      else {
        on.openTag(tag, at);
        if (RAW_TEXT.has(tag.name) || tag.name === 'plaintext') {
          const contentEnd = tag.name === 'plaintext' ? to : rawTextEnd(text, end, to, tag.name);
          if (contentEnd > end) on.rawText(end, contentEnd, RCDATA.has(tag.name));
          textStart = contentEnd;
          end = contentEnd;
        }
      }
    }
    at = text.indexOf('<', end);
  }
  if (to > textStart) on.text(textStart, to);
}

// Elements that start a block of their own: what they hold is a paragraph apart from the text
// around them (a service with several languages judges each in its own).
const BLOCK = new Set(['address', 'article', 'aside', 'blockquote', 'body', 'br', 'caption', 'dd', 'details', 'dialog', 'div', 'dl', 'dt',
  'fieldset', 'figcaption', 'figure', 'footer', 'form', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'header', 'hgroup', 'hr', 'li', 'main', 'nav',
  'ol', 'option', 'p', 'pre', 'section', 'summary', 'table', 'td', 'th', 'title', 'tr', 'ul']);

// Marks the prose of text[from, to) in `prose` (blank everywhere else in that range).
function markHtml(prose, text, from = 0, to = text.length) {
  prose.blank(from, to);
  const open = []; // skipped elements open, innermost last
  const code = []; // for each of them, whether it holds code
  // Elements with a lang attribute still open, innermost last: { name, from, language, depth }
  // (depth: elements of the same name opened inside it and not yet closed).
  const languages = [];
  const keep = (start, end, legacy) => prose.keepDecoded(start, end, legacy);
  // The fragment of the open link's address: a link whose text is the name of the anchor it
  // points to (`<a href="api.html#xmlParseFile">xmlParseFile</a>`) names code.
  let fragment = null;
  scanHtml(text, from, to, {
    text(start, end) {
      if (open.length > 0) {
        if (code[code.length - 1]) prose.code(start, end);
        return;
      }
      if (fragment !== null && text.slice(start, end).trim() === fragment) return;
      keep(start, end, true);
    },
    rawText(start, end, rcdata) {
      // Raw text is never prose (script, style); RCDATA is (title, textarea) unless skipped.
      if (rcdata && open.length === 0) keep(start, end, true);
    },
    openTag({ name, attributes, end }, at) {
      if (BLOCK.has(name)) prose.boundary(at);
      if (name === 'a') fragment = null;
      const inner = languages[languages.length - 1];
      if (inner !== undefined && inner.name === name) inner.depth++;
      if (!VOID.has(name)) {
        const lang = attributes.find((a) => (a.name === 'lang' || a.name === 'xml:lang') && a.valueStart !== -1);
        if (lang !== undefined) languages.push({ name, from: end, language: text.slice(lang.valueStart, lang.valueEnd), depth: 0 });
      }
      let codeClass = false;
      let description = false;
      let content = null;
      for (const attribute of attributes) {
        if (attribute.valueStart === -1) continue;
        const value = () => text.slice(attribute.valueStart, attribute.valueEnd);
        if (attribute.name === 'class' && CODE_CLASS.test(value())) codeClass = true;
        if (name === 'a' && attribute.name === 'href') {
          const hash = value().lastIndexOf('#');
          if (hash !== -1) fragment = value().slice(hash + 1);
        }
        if (name === 'meta') {
          if (attribute.name === 'name' && DESCRIPTION.test(value())) description = true;
          if (attribute.name === 'content') content = attribute;
        } else if (open.length === 0 && READ.has(attribute.name)) {
          keep(attribute.valueStart, attribute.valueEnd, false);
        }
      }
      if (description && content !== null && open.length === 0) keep(content.valueStart, content.valueEnd, false);
      if ((SKIPPED.has(name) || codeClass) && !VOID.has(name)) {
        code.push((CODE.has(name) || codeClass) && (code.length === 0 || code[code.length - 1]));
        open.push(name);
      }
    },
    closeTag(name, at) {
      if (BLOCK.has(name)) prose.boundary(at);
      const inner = languages[languages.length - 1];
      if (inner !== undefined && inner.name === name && inner.depth-- === 0) {
        languages.pop();
        prose.mark(inner.from, at, inner.language);
      }
      if (name === 'a') fragment = null;
      const skipped = open.lastIndexOf(name);
      if (skipped !== -1) open.length = code.length = skipped;
    },
    comment(start, end) {
      prose.comment(start, end);
    },
  });
  // Elements left open (an <html lang> whose end tag is optional) run to the end.
  for (const inner of languages) prose.mark(inner.from, to, inner.language);
}

// The <meta name> values whose content people read (search results, link previews).
const DESCRIPTION = /^\s*(?:description|keywords|og:description|twitter:description)\s*$/i;

function html(text) {
  const prose = new Prose(text);
  markHtml(prose, text);
  return prose.finish();
}

module.exports = { html, markHtml, SKIPPED, READ, CODE_CLASS, VOID };
