'use strict';
// The formats a text may be checked as, and how to tell a file's or an editor document's format.
// Each format maps a text to its prose (see prose.js); 'plain' judges the text as it is.
const { markdown } = require('./markdown');
const { html } = require('./html');
const { cLike, hashLike, dashLike } = require('./code');
const { sourceRange } = require('./prose');
const { WordScanner } = require('../words/tokenizer');

const PROSE_OF = {
  plain: null,
  markdown,
  html,
  'code:c': cLike,
  'code:hash': hashLike,
  'code:dash': dashLike,
};

const FORMATS = Object.freeze(Object.keys(PROSE_OF));

// A map from each of the space-separated keys to its format.
function table(rows) {
  const map = new Map();
  for (const [format, keys] of rows) for (const key of keys.split(' ')) map.set(key, format);
  return map;
}

// By extension, lower case, without the dot.
const BY_EXTENSION = table([
  ['markdown', 'md markdown mdown mkd mkdn mdx'],
  ['html', 'html htm xhtml shtml'],
  ['code:c', 'c h cc cpp cxx hpp hh hxx ino m mm cs java js mjs cjs jsx ts mts cts tsx go rs swift kt kts scala groovy gradle dart css scss less proto zig v'],
  ['code:hash', 'sh bash zsh fish ksh py pyw pyi rb pl pm r ps1 psm1 yaml yml toml cmake mk mak conf cfg ini tcl nim cr ex exs jl coffee dockerfile'],
  ['code:dash', 'sql lua hs elm ada adb ads vhd vhdl'],
  ['plain', 'txt text rst adoc'],
]);

// Files known by their whole name, lower case.
const BY_NAME = table([
  ['code:hash', 'makefile gnumakefile cmakelists.txt dockerfile containerfile gemfile rakefile vagrantfile .bashrc .profile .gitignore .editorconfig .npmrc'],
]);

/** The format of a file by its name: its extension, or a name such as Makefile; 'plain' when unknown. */
function formatForPath(filePath) {
  if (typeof filePath !== 'string') throw new TypeError('filePath must be a string');
  // Both separators on every platform: a Windows path may reach a POSIX host and the reverse.
  const name = filePath.slice(Math.max(filePath.lastIndexOf('/'), filePath.lastIndexOf('\\')) + 1).toLowerCase();
  const known = BY_NAME.get(name);
  if (known !== undefined) return known;
  const dot = name.lastIndexOf('.');
  if (dot <= 0) return 'plain';
  return BY_EXTENSION.get(name.slice(dot + 1)) ?? 'plain';
}

// Language Server Protocol language ids (the ones editors send).
const BY_LANGUAGE_ID = table([
  ['markdown', 'markdown mdx'],
  ['html', 'html xhtml'],
  ['code:c', 'c cpp cuda-cpp objective-c objective-cpp csharp java javascript javascriptreact typescript typescriptreact go rust swift kotlin scala groovy dart css scss less proto zig jsonc'],
  ['code:hash', 'shellscript python ruby perl perl6 r powershell yaml toml cmake makefile dockerfile coffeescript elixir julia tcl properties ini'],
  ['code:dash', 'sql lua haskell elm ada vhdl'],
  ['plain', 'plaintext'],
]);

/** The format for an editor's language id; 'plain' when unknown. */
function formatForLanguageId(languageId) {
  if (typeof languageId !== 'string') throw new TypeError('languageId must be a string');
  return BY_LANGUAGE_ID.get(languageId.toLowerCase()) ?? 'plain';
}

// The prose of `text` in `format`: { text, decodes } (see prose.js), or null for 'plain'.
function proseOf(format, text) {
  const of = PROSE_OF[format];
  return of ? of(text) : null;
}

// Every word the tokeniser finds in the prose of `text`, as { start, end, word } with source
// offsets (word: as read, decoded where the source held an entity or escape). What a check
// judges, before the camelCase parts; for tests and tools.
function proseWords(format, text) {
  const prose = proseOf(format, text);
  const scanner = new WordScanner(prose === null ? text : prose.text);
  const found = [];
  while (scanner.next()) {
    const { start, end } = prose === null || prose.decodes.length === 0 ? scanner : sourceRange(prose.decodes, scanner.start, scanner.end);
    found.push({ start, end, word: scanner.word });
  }
  return found;
}

module.exports = { FORMATS, formatForPath, formatForLanguageId, proseOf, proseWords };
