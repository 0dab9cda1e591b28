'use strict';
// The text edits of two quick fixes: "Ignore WORD in this file" adds the word to the file's
// `spellshell:ignore` directive (or to another prefix's ignore or words directive), or writes
// one at the top in the format's comment syntax; "Ignore this line" writes a
// `spellshell:disable-next-line` above the line, at its indentation.
const { proseOf } = require('../formats');
const { rangeAt } = require('../words/directives');

// A directive's line in each format's comment syntax.
const COMMENT = {
  markdown: (body) => `<!-- ${body} -->`,
  html: (body) => `<!-- ${body} -->`,
  'code:c': (body) => `// ${body}`,
  'code:hash': (body) => `# ${body}`,
  'code:dash': (body) => `-- ${body}`,
  plain: (body) => body,
};

const IGNORE = /(?<![\p{L}\p{N}_./@-])(?:spellshell|cspell|spell-?checker)::?[ \t]*(?:ignore(?:words?)?|words?)(?=[\s,]|$)/giu;

function lineEndOf(text, at) {
  const end = text.indexOf('\n', at);
  return end === -1 ? text.length : end;
}

// The offset where a new first directive goes: after a #! line, front matter, an XML
// declaration or a doctype (a comment before a doctype would change how browsers read the
// page).
function topOffset(text, format) {
  let at = 0;
  if (text.startsWith('#!')) at = lineEndOf(text, 0) + 1;
  if (format === 'markdown' && /^(?:---|\+\+\+)\r?\n/.test(text)) {
    const fence = text.slice(0, 3);
    const close = text.indexOf(`\n${fence}`, 3);
    if (close !== -1) at = lineEndOf(text, close + 1) + 1;
  }
  if (format === 'html') {
    const head = /^\s*(?:<\?xml[^>]*>\s*)?(?:<!doctype[^>]*>)?/i.exec(text);
    if (head[0].trim() !== '') at = lineEndOf(text, head[0].length - 1) + 1;
  }
  return Math.min(at, text.length);
}

/** The edit { offset, end, newText } (offsets into `text`) that makes `word` ignored in the file. */
function ignoreInFile(text, format, word) {
  const prose = proseOf(format, text);
  const comments = prose === null ? null : prose.comments;
  for (const match of text.matchAll(IGNORE)) {
    let end = lineEndOf(text, match.index);
    if (comments !== null) {
      const index = rangeAt(comments, match.index);
      if (index === -1) continue;
      end = Math.min(end, comments[index * 2 + 1]);
    }
    while (end > match.index && /[ \t\r]/.test(text[end - 1])) end--;
    return { offset: end, end, newText: ` ${word}` };
  }
  const at = topOffset(text, format);
  const newline = text.includes('\r\n') ? '\r\n' : '\n';
  const line = `${COMMENT[format](`spellshell:ignore ${word}`)}${newline}`;
  // At the end of a text without a final line break, the directive needs one before it.
  const before = at > 0 && at === text.length && text[at - 1] !== '\n' ? newline : '';
  return { offset: at, end: at, newText: before + line };
}

/** The edit that keeps the line holding `offset` from being checked. */
function ignoreLine(text, format, offset) {
  const start = text.lastIndexOf('\n', offset - 1) + 1;
  const indent = /^[ \t]*/.exec(text.slice(start, start + 200))[0];
  const newline = text.includes('\r\n') ? '\r\n' : '\n';
  return { offset: start, end: start, newText: `${indent}${COMMENT[format]('spellshell:disable-next-line')}${newline}` };
}

module.exports = { ignoreInFile, ignoreLine, COMMENT };
