'use strict';
// Vocabularies: word lists of software's own words (tool, company and licence names, terms of
// the trade, each programming language's library names), installed as npm packages of plain
// data and read here, so that `npm`, `stdout` or `GitHub` are not reported where people write
// about software. Which lists apply depends on what is checked (see `vocabulariesFor`).
//
// The lists are the MIT-licensed @cspell/dict-* packages: text files, one entry per line, some
// gzipped. Their few marks are read so: `#` starts a
// comment line; `*` and `+` at either end mark where an entry may join a compound (taken here
// as the word alone); a leading `~` marks a variant without case or accents (taken as written);
// a leading `!` marks a word as wrong (see known-misspellings.js). Entries that the tokeniser
// never hands over (with digits, `_`, `-`, spaces) are left out.
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const { WordList } = require('./word-list');

// name -> [package, its list files, what they hold]. (Each package's cspell-ext.json names the
// same files; it is JSON with comments, read by no JSON parser at hand, and the versions are
// pinned, so the paths are written here and a test reads them all.)
const TABLE = new Map([
  ['software', ['@cspell/dict-software-terms', ['dict/softwareTerms.txt.gz', 'dict/software-tools.txt', 'dict/computing-acronyms.txt', 'dict/networkingTerms.txt', 'dict/webServices.txt', 'dict/coding-compound-terms.txt'], 'software terms, tools, acronyms, web services']],
  ['companies', ['@cspell/dict-companies', ['dict/companies.txt'], 'company and product names']],
  ['licenses', ['@cspell/dict-public-licenses', ['public-licenses.txt.gz'], 'names of public licences']],
  ['filetypes', ['@cspell/dict-filetypes', ['filetypes.txt.gz'], 'file types and extensions']],
  ['fullstack', ['@cspell/dict-fullstack', ['dict/fullstack.txt'], 'web development terms']],
  ['node', ['@cspell/dict-node', ['dict/node.txt'], "Node.js's modules and members"]],
  ['npm', ['@cspell/dict-npm', ['dict/npm.txt'], 'names of popular npm packages']],
  ['typescript', ['@cspell/dict-typescript', ['dict/typescript.txt'], 'JavaScript and TypeScript keywords and library names']],
  ['html', ['@cspell/dict-html', ['dict/html.txt.gz'], 'HTML elements and attributes']],
  ['css', ['@cspell/dict-css', ['dict/css.txt'], 'CSS properties and values']],
  ['cpp', ['@cspell/dict-cpp', ['dict/cpp.txt.gz', 'dict/cpp-refined.txt.gz', 'dict/cpp-legacy.txt.gz', 'dict/cpp-compound-words.txt.gz', 'dict/cuda.txt.gz'], 'C and C++ library names']],
  ['python', ['@cspell/dict-python', ['dict/python.txt', 'dict/python-common.txt'], 'Python keywords and library names']],
  ['shell', ['@cspell/dict-shell', ['dict/bash-words.txt', 'dict/shell-all-words.txt'], 'shell commands and words']],
  ['go', ['@cspell/dict-golang', ['dict/go.txt'], 'Go keywords and library names']],
  ['rust', ['@cspell/dict-rust', ['dict/rust.txt.gz', 'dict/crates.txt.gz'], 'Rust keywords and crate names']],
]);

const VOCABULARIES = Object.freeze([...TABLE.keys()]);

// What every check gets: the words of writing about software.
const PROSE = ['software', 'companies', 'licenses', 'filetypes'];
// More by format: Markdown READMEs name packages and HTML; HTML pages their own markup.
const BY_FORMAT = {
  markdown: ['npm', 'html'],
  html: ['html', 'css', 'typescript', 'npm'],
};
// More by the language of a source file, by editor language id.
const BY_LANGUAGE = new Map();
for (const [lists, ids] of [
  [['typescript', 'node', 'npm', 'fullstack'], 'javascript javascriptreact typescript typescriptreact mdx vue svelte json jsonc'],
  [['cpp', 'fullstack'], 'c cpp cuda-cpp objective-c objective-cpp'],
  [['python', 'fullstack'], 'python'],
  [['shell'], 'shellscript'],
  [['css', 'fullstack'], 'css scss less'],
  [['go'], 'go'],
  [['rust', 'fullstack'], 'rust'],
  [['fullstack'], 'java csharp php ruby swift scala lua kotlin dart'],
  [['html', 'css', 'typescript', 'npm'], 'html xhtml'],
]) {
  for (const id of ids.split(' ')) BY_LANGUAGE.set(id, lists);
}
// Editor language ids by file extension (lower case, without the dot), for files on disk.
const LANGUAGE_BY_EXTENSION = new Map();
for (const [id, extensions] of [
  ['javascript', 'js mjs cjs jsx'],
  ['typescript', 'ts mts cts tsx'],
  ['json', 'json'],
  ['c', 'c h'],
  ['cpp', 'cc cpp cxx hpp hh hxx ino cu cuh'],
  ['objective-c', 'm mm'],
  ['python', 'py pyw pyi'],
  ['shellscript', 'sh bash zsh ksh'],
  ['css', 'css'],
  ['scss', 'scss'],
  ['less', 'less'],
  ['go', 'go'],
  ['rust', 'rs'],
  ['java', 'java'],
  ['csharp', 'cs'],
  ['php', 'php'],
  ['ruby', 'rb'],
  ['swift', 'swift'],
  ['kotlin', 'kt kts'],
  ['scala', 'scala'],
  ['lua', 'lua'],
  ['dart', 'dart'],
  ['vue', 'vue'],
  ['svelte', 'svelte'],
  ['markdown', 'md markdown mdown mkd mkdn'],
  ['mdx', 'mdx'],
  ['html', 'html htm xhtml shtml'],
]) {
  for (const extension of extensions.split(' ')) LANGUAGE_BY_EXTENSION.set(extension, id);
}

const unique = (lists) => [...new Set(lists)];

/**
 * The vocabularies for a check: those of writing about software, those of the format
 * (`markdown`, `html`), and those of the source's language when known (an editor's language id,
 * `javascript`, `cpp`, `python`…).
 */
function vocabulariesFor(format = 'plain', languageId = undefined) {
  return unique([...PROSE, ...(BY_FORMAT[format] ?? []), ...(BY_LANGUAGE.get(String(languageId).toLowerCase()) ?? [])]);
}

/** The editor language id of a file by its extension, or undefined. */
function languageIdForPath(filePath) {
  const name = filePath.slice(Math.max(filePath.lastIndexOf('/'), filePath.lastIndexOf('\\')) + 1).toLowerCase();
  const dot = name.lastIndexOf('.');
  return dot <= 0 ? undefined : LANGUAGE_BY_EXTENSION.get(name.slice(dot + 1));
}

// The absolute paths of a package's list files.
function listFiles(pkg, files) {
  // The packages export only their cspell-ext.json, which sits at their root.
  const dir = path.dirname(require.resolve(`${pkg}/cspell-ext.json`));
  return files.map((file) => path.join(dir, file));
}

function readList(file) {
  const bytes = fs.readFileSync(file);
  return (file.endsWith('.gz') ? zlib.gunzipSync(bytes) : bytes).toString('utf8');
}

// A word as the tokeniser hands them over: letters and marks, apostrophes inside.
const WORD = /^\p{L}[\p{L}\p{M}'’]*$/u;

// Calls `take(entry, wrong)` for each entry of a list's text.
function eachEntry(text, take) {
  for (let line of text.split('\n')) {
    line = line.trim();
    if (line === '' || line[0] === '#') continue;
    const wrong = line[0] === '!';
    const entry = line.replace(/^[!~*+]+|[*+]+$/g, '').normalize('NFC');
    if (WORD.test(entry)) take(entry, wrong);
  }
}

// The lists hold short keywords, abbreviations and names (`locl`, `cose`, `fmod`, `macos`) that
// a slip of the keyboard makes of common words (`local`, `close`, `macros`): such an entry, in
// lower case, is kept apart as doubtful, and the engine takes it only where no dictionary word is
// one letter longer (see KnownWords): in the lists of languages and markup, entries of four to
// six letters; in those of software's names (`root`, `bash`, `diff` are what people write about),
// of five or six. (On the seeded corpus, each of three such entries hid one of 75 typos; holding
// the four-letter names too cost 10 % more reports on npm's docs.) Shorter entries (`npm`,
// `env`, `tty`) are no slips of the longer words people mean.
const SHORT = 4;
const LONGEST_DOUBTFUL = 6;
const NAMES = new Set(['software', 'companies', 'licenses', 'filetypes']);

// The words of one vocabulary, its doubtful words, and the entries it marks as wrong.
function loadVocabulary(name) {
  const row = TABLE.get(name);
  if (!row) throw new TypeError(`unknown vocabulary "${name}"`);
  const words = new WordList();
  const doubtful = new WordList();
  const wrong = [];
  const shortest = NAMES.has(name) ? SHORT + 1 : SHORT;
  const sure = (entry) => entry.length < shortest || entry.length > LONGEST_DOUBTFUL || entry !== entry.toLowerCase();
  for (const file of listFiles(row[0], row[1])) {
    eachEntry(readList(file), (entry, isWrong) => {
      if (isWrong) wrong.push(entry);
      else if (sure(entry)) words.add(entry);
      else doubtful.add(entry);
    });
  }
  return { words, doubtful, wrong };
}

// The loaded vocabularies of one engine: each is read once, when a check first wants it.
class VocabularyStore {
  constructor() {
    this.loaded = new Map();
  }

  // { words, doubtful } of the vocabulary `name`.
  get(name) {
    let vocabulary = this.loaded.get(name);
    if (vocabulary === undefined) {
      const { words, doubtful } = loadVocabulary(name);
      vocabulary = { words, doubtful };
      this.loaded.set(name, vocabulary);
    }
    return vocabulary;
  }

  // The word lists of `names`, in that order.
  lists(names) {
    return names.map((name) => this.get(name).words);
  }

  // Their doubtful words' lists (those that have any).
  doubtful(names) {
    return names.map((name) => this.get(name).doubtful).filter((list) => list.size > 0);
  }
}

module.exports = {
  VOCABULARIES, TABLE, vocabulariesFor, languageIdForPath, loadVocabulary, VocabularyStore, listFiles, readList, eachEntry,
};
