'use strict';
// Source code: only comments and string literals are prose. One scanner per family of comment
// syntax; everything else (the code) is blanked. Escapes in strings (`\n`, `\u00e9`) are
// blanked too, so that `"Hello\nWorld"` reads as two words, not `nWorld`.
const { Prose } = require('./prose');

// The end of the line that `from` is on (the \r of a CRLF included in the line's end).
function lineEnd(text, from) {
  const end = text.indexOf('\n', from);
  return end === -1 ? text.length : end;
}

// Keeps a string literal's content [from, to), blanking its backslash escapes.
function keepString(prose, text, from, to) {
  prose.boundary(from);
  prose.commentEnd = undefined;
  prose.keep(from, to);
  let at = text.indexOf('\\', from);
  while (at !== -1 && at < to) {
    // \x41, \u00e9, \u{1F600}, \n: the backslash and the letters that make the escape.
    const match = /\\(?:x[0-9A-Fa-f]{0,2}|u\{[0-9A-Fa-f]*\}|u[0-9A-Fa-f]{0,4}|U[0-9A-Fa-f]{0,8}|[0-7]{1,3}|.)/sy;
    match.lastIndex = at;
    const found = match.exec(text);
    const end = Math.min(to, found === null ? at + 1 : at + found[0].length);
    prose.blank(at, end);
    at = text.indexOf('\\', end);
  }
}

// Comments that talk to tools, not to people: linters', coverage tools' and compilers'
// directives, editor modelines, source maps.
// Spelled exactly as the tools read them, so that a misspelt directive (which the tool ignores)
// is judged like any other comment.
const DIRECTIVE = /^[\s*/#!-]*(?:eslint-disable(?:-next-line|-line)?|eslint-enable|eslint-env|eslint |jshint |jslint |(?:istanbul|c8|v8) ignore (?:next|if|else|file|start|stop)|prettier-ignore|@ts-(?:ignore|expect-error|nocheck|check)|tslint:(?:disable|enable)|webpack(?:ChunkName|Mode|Prefetch|Preload|Ignore|Exports|Include|Exclude):|@vite-ignore|@jsx |@flow|[#@] sourceMappingURL=|[#@] sourceURL=|NOLINT(?:NEXTLINE)?|clang-format (?:on|off)|pylint: *(?:disable|enable|skip-file)|noqa|type: *ignore|mypy:|fmt: *(?:on|off|skip)|isort: *(?:skip|off|on)|rubocop: *(?:disable|enable|todo)|shellcheck (?:disable|source|shell)=|vim?: *set |-\*-|#region|#endregion)/i;

// Keeps a comment's text [from, to), blanking a directive to a tool at its start (up to the end
// of its line, or to the reason people give after ` -- `, ` - ` or `(`), and the names and types
// that documentation tags give (`@param {string} name`, `\\param name`), which are code.
function keepComment(prose, text, from, to) {
  const content = text.slice(from, to);
  // A run of line comments with nothing but their markers between them is one block.
  if (prose.commentEnd === undefined || !/^[\s/#*;-]*$/.test(text.slice(prose.commentEnd, from))) prose.boundary(from);
  prose.commentEnd = to;
  prose.keep(from, to);
  prose.comment(from, to);
  const directive = DIRECTIVE.exec(content);
  if (directive !== null) {
    let end = content.indexOf('\n');
    if (end === -1) end = content.length;
    const reason = /\s--?\s|\(/.exec(content.slice(directive[0].length, end));
    if (reason !== null) end = directive[0].length + reason.index;
    if (/^[\s*/#!-]*(?:@ts-|prettier-ignore)/.test(directive[0])) end = directive[0].length + /^[\w-]*/.exec(content.slice(directive[0].length))[0].length;
    prose.blank(from, from + end);
  }
  if (!content.includes('@') && !content.includes('\\')) return;
  for (const match of content.matchAll(DOC_TAG)) {
    const tagEnd = from + match.index + match[0].length;
    prose.blank(from + match.index, tagEnd);
  }
}

// A documentation tag with its {type} and, for the tags that name something, that name.
const DOC_TAG = /[@\\](?:(?:param|arg|argument|property|prop|tparam|typedef|callback|template|member|var|name|alias|memberof|module|namespace|class|function|method|event|fires|listens|mixes|requires|exception|throws|see|link|retval)\b[ \t]*(?:\{[^}\n]*\}[ \t]*)?(?:\[[^\]\n]*\]|[\w$.:]+)?|(?:returns?|type|enum|const|augments|extends|implements|yields|this)\b[ \t]*(?:\{[^}\n]*\})?)/g;

// Whether a string literal's content is a single token in lower case (a key, a module or file
// name, an enum value, 'utf-8'): not prose. A string with a space, or a capital (a label
// such as 'Cancel'), is.
const TOKEN = /^[a-z0-9_$.:/@#%+-]*$/;

// The end of a string that opened with `quote` just before `from`: the index of the closing
// quote, or -1 when the line ends first (and `multiline` is false) or the text does.
function stringEnd(text, from, quote, multiline) {
  for (let at = from; at < text.length; at++) {
    const c = text[at];
    if (c === '\\') at++;
    else if (c === quote) return at;
    else if (c === '\n' && !multiline) return -1;
  }
  return -1;
}

// A template literal's end (the closing backtick), keeping its text and blanking the `${…}`
// expressions (their braces counted, and strings inside them skipped).
function templateEnd(prose, text, from) {
  let textStart = from;
  for (let at = from; at < text.length; at++) {
    const c = text[at];
    if (c === '\\') at++;
    else if (c === '`') {
      keepString(prose, text, textStart, at);
      return at;
    } else if (c === '$' && text[at + 1] === '{') {
      keepString(prose, text, textStart, at);
      let depth = 0;
      for (at += 1; at < text.length; at++) {
        const d = text[at];
        if (d === '{') depth++;
        else if (d === '}' && --depth === 0) break;
        else if (d === '"' || d === "'") {
          const end = stringEnd(text, at + 1, d, false);
          if (end !== -1) at = end;
        } else if (d === '`') {
          const end = templateEnd(new Prose(''), text, at + 1); // nested: code either way
          if (end === -1) return -1;
          at = end;
        }
      }
      textStart = at + 1;
    }
  }
  keepString(prose, text, textStart, text.length);
  return text.length;
}

// C family: // and /* */ comments, "…" and '…' strings on one line, `…` template literals (and
// Go's raw strings). A ' with no closing ' on its line is a lifetime or a character literal's
// neighbour (Rust 'a), not a string.
function cLike(text) {
  const prose = new Prose(text, true);
  const start = /\/\/|\/\*|["'`]/g;
  let match;
  let codeFrom = 0; // where the code since the last comment or prose string starts
  while ((match = start.exec(text)) !== null) {
    const at = match.index;
    const token = match[0];
    if (token === '//' || token === '/*' || token === '`') prose.code(codeFrom, at);
    if (token === '//') {
      const end = lineEnd(text, at);
      keepComment(prose, text, at + 2, end);
      start.lastIndex = end;
    } else if (token === '/*') {
      let end = text.indexOf('*/', at + 2);
      if (end === -1) end = text.length;
      keepComment(prose, text, at + 2, end);
      start.lastIndex = end + 2;
    } else if (token === '`') {
      const end = templateEnd(prose, text, at + 1);
      start.lastIndex = end === -1 ? text.length : end + 1;
    } else {
      const end = stringEnd(text, at + 1, token, false);
      if (end === -1) continue;
      start.lastIndex = end + 1;
      // A string that is a single token (a module's name, a key) stays part of the code.
      if (TOKEN.test(text.slice(at + 1, end))) continue;
      prose.code(codeFrom, at);
      keepString(prose, text, at + 1, end);
    }
    codeFrom = start.lastIndex;
  }
  prose.code(codeFrom, text.length);
  return prose.finish();
}

// Hash family: # comments (where a word may start: not in `$#`, `${#x}` or `a#b`), "…" and '…'
// strings, and Python's triple-quoted strings and docstrings, which may span lines.
function hashLike(text) {
  const prose = new Prose(text, true);
  const start = /#|"""|'''|["']/g;
  let match;
  let codeFrom = 0;
  while ((match = start.exec(text)) !== null) {
    const at = match.index;
    const token = match[0];
    if (token === '#') {
      const before = at === 0 ? '' : text[at - 1];
      if (before !== '' && !/[\s;|&(]/.test(before)) continue;
      prose.code(codeFrom, at);
      const end = lineEnd(text, at);
      keepComment(prose, text, at + 1, end);
      start.lastIndex = end;
    } else if (token.length === 3) {
      prose.code(codeFrom, at);
      let end = text.indexOf(token, at + 3);
      if (end === -1) end = text.length;
      keepString(prose, text, at + 3, end);
      start.lastIndex = end + 3;
    } else {
      // A quote inside a word is an apostrophe in unquoted shell or YAML text, not a string.
      if (token === "'" && at > 0 && /[\p{L}\p{N}]/u.test(text[at - 1])) continue;
      const end = stringEnd(text, at + 1, token, true);
      if (end === -1) continue;
      start.lastIndex = end + 1;
      if (TOKEN.test(text.slice(at + 1, end))) continue;
      prose.code(codeFrom, at);
      keepString(prose, text, at + 1, end);
    }
    codeFrom = start.lastIndex;
  }
  prose.code(codeFrom, text.length);
  return prose.finish();
}

// Double-dash family: SQL, Lua, Haskell: -- comments, /* */ (SQL), --[[ ]] (Lua) and {- -}
// (Haskell) blocks, '…' and "…" strings (a doubled quote escapes itself in SQL).
function dashLike(text) {
  const prose = new Prose(text, true);
  const start = /--\[=*\[|--|\/\*|\{-|["']/g;
  let match;
  let codeFrom = 0;
  while ((match = start.exec(text)) !== null) {
    const at = match.index;
    const token = match[0];
    let contentEnd;
    let next;
    if (token === '--') {
      contentEnd = lineEnd(text, at);
      next = contentEnd;
    } else if (token.startsWith('--[')) {
      const close = `]${token.slice(3, -1)}]`;
      contentEnd = text.indexOf(close, at + token.length);
      if (contentEnd === -1) contentEnd = text.length;
      next = contentEnd + close.length;
    } else if (token === '/*' || token === '{-') {
      contentEnd = text.indexOf(token === '/*' ? '*/' : '-}', at + 2);
      if (contentEnd === -1) contentEnd = text.length;
      next = contentEnd + 2;
    } else {
      if (token === "'" && at > 0 && /[\p{L}\p{N}]/u.test(text[at - 1])) continue;
      contentEnd = stringEnd(text, at + 1, token, true);
      if (contentEnd === -1) continue;
      start.lastIndex = contentEnd + 1;
      if (TOKEN.test(text.slice(at + 1, contentEnd))) continue;
      prose.code(codeFrom, at);
      keepString(prose, text, at + 1, contentEnd);
      codeFrom = start.lastIndex;
      continue;
    }
    prose.code(codeFrom, at);
    keepComment(prose, text, at + token.length, contentEnd);
    start.lastIndex = next;
    codeFrom = next;
  }
  prose.code(codeFrom, text.length);
  return prose.finish();
}

module.exports = { cLike, hashLike, dashLike };
