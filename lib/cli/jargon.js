'use strict';
// What the command line adds for software's jargon: the vocabularies each file gets (by its
// type, or as the options and the config say), the words its place gives it (its package's
// names, its base name), and the list that --list-vocabularies prints.
const { VOCABULARIES, TABLE, vocabulariesFor, languageIdForPath } = require('../words/vocabularies');
const { packageWords } = require('../project/package-words');
const { PersonalWords } = require('../words/personal-words');

// `setting`: true (by file type), false (none) or names. Returns (file, format) -> names; a file
// of null is standard input (its format alone tells).
function vocabularyChooser(setting) {
  if (setting === false) return () => [];
  if (Array.isArray(setting)) return () => setting;
  return (file, format) => vocabulariesFor(format, file === null ? undefined : languageIdForPath(file));
}

// The words the place of `file` gives it, with the project's words, as one PersonalWords (the
// project's words are told apart so that a cache entry keeps its meaning: see cacheKey).
function placeWords(file, projectWords) {
  const words = file === null ? [] : packageWords(file);
  return { words: new PersonalWords([...projectWords, ...words]), key: words.join(' ') };
}

// What --list-vocabularies prints: each list, what it holds, and the lists by file type.
function vocabularyTable() {
  const rows = VOCABULARIES.map((name) => `${name.padEnd(12)} ${TABLE.get(name)[2]} (${TABLE.get(name)[0]})`);
  const types = [
    ['prose: .txt, .md, .html', `${vocabulariesFor('plain').join(', ')}; Markdown adds ${vocabulariesFor('markdown').slice(vocabulariesFor('plain').length).join(', ')}; HTML adds ${vocabulariesFor('html').slice(vocabulariesFor('plain').length).join(', ')}`],
    ['.js .ts .jsx .tsx .json', extra('javascript')],
    ['.c .h .cc .cpp .hpp', extra('cpp')],
    ['.py', extra('python')],
    ['.sh .bash', extra('shellscript')],
    ['.css .scss .less', extra('css')],
    ['.go', extra('go')],
    ['.rs', extra('rust')],
    ['.java .cs .php .rb .swift …', extra('java')],
  ];
  return `${rows.join('\n')}\n\nBy file type (--vocabularies and the config's "vocabularies" override):\n${types.map(([what, lists]) => `  ${what.padEnd(28)} ${lists}`).join('\n')}\n`;
}

function extra(languageId) {
  const base = vocabulariesFor('code:c');
  return `the prose lists and ${vocabulariesFor('code:c', languageId).filter((name) => !base.includes(name)).join(', ')}`;
}

module.exports = { vocabularyChooser, placeWords, vocabularyTable };
