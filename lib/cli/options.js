'use strict';
// The command line's arguments, and the help that lists them.
const { FORMATS } = require('../formats');
const { VOCABULARIES } = require('../words/vocabularies');

const USAGE = 'usage: spellshell [OPTION]… FILE|FOLDER|PATTERN|-… (spellshell --help lists the options)';

// What each format's line of the help says; a format not listed here shows its name alone.
const FORMAT_NOTES = new Map([
  ['markdown', '.md .markdown'],
  ['html', '.html .htm'],
  ['code:c', '.c .h .cc .cpp .java .js .ts .go .rs .swift .kt .cs .css … (comments, strings)'],
  ['code:hash', '.sh .py .rb .pl .yml .yaml .toml Makefile CMakeLists.txt … (# comments, strings)'],
  ['plain', '.txt, standard input, and files of other kinds named on the command line'],
]);

function formatsTable() {
  const names = [...FORMATS.filter((f) => f !== 'plain'), 'plain'];
  return names.map((name) => `  ${name.padEnd(11)} ${FORMAT_NOTES.get(name) ?? ''}`.trimEnd()).join('\n');
}

const HELP = `usage: spellshell [OPTION]… FILE|FOLDER|PATTERN|-…

Checks the spelling of files, of every file of a known format in a folder (walked recursively),
or of standard input (-), and prints FILE:LINE:COLUMN: WORD -> suggestions per misspelling.

Options:
  --lang L[,L…]          the languages (default: the locale's, else en_US; see --list-dictionaries);
                         with several, each paragraph is judged in the language it is written in
  --any-language         with several languages, accept a word any of them accepts instead
  --detect-language      print each file's languages ranked by how much of it reads as each
  --dict-dir DIR         also look for Hunspell dictionaries in DIR (repeatable; DIR must exist)
  --personal FILE        the personal word list (default: ${process.platform === 'win32' ? '%APPDATA%\\spellshell\\words.txt' : '~/.config/spellshell/words.txt'})
  --no-personal          use no personal word list
  --suggest N            up to N suggestions per word (default: 5 when standard output is a
                         terminal, none otherwise; --suggest N asks for them anywhere)
  --format NAME          check every file as NAME instead of choosing by file name
  --vocabularies LIST    the word lists of software's jargon to know: auto (default: by file
                         type), none, or names separated by commas (see --list-vocabularies)
  --include GLOB         in folders, also check files matching GLOB (repeatable)
  --exclude GLOB         in folders, leave out files and folders matching GLOB (repeatable)
  --no-gitignore         in folders, check files that .gitignore files leave out too
  --no-config            read no project config (.spellshell.json, cspell.json)
  --unique               print each misspelled word once, with its count and first place
  --reporter NAME        text (default), json (one object per line, as --json), or github
                         (GitHub Actions annotations: ::warning file=F,line=L,col=C::…)
  --json                 the same as --reporter json
  --cache                keep results of unchanged files (in .spellshellcache)
  --cache-location PATH  the cache file (or a folder to keep it in); implies --cache
  --list-dictionaries    print the installed languages and their folders
  --list-vocabularies    print the vocabularies, and which file types get which
  -h, --help             print this help
  --version              print the version

Formats, chosen by file name (--format and the config's "formats" override):
${formatsTable()}
In folders, files of other kinds are passed over unless --include names them; node_modules and
.git are never entered, and inside a git work tree what .gitignore leaves out is too. An
argument that names no file but holds * ? [ or { is a pattern, expanded here ('docs/**/*.md'),
since the shells of Windows do not.

Directives in a file's comments (or on any line of a .txt file) settle words where they stand:
  spellshell:ignore WORD…   spellshell:words WORD…   known in the whole file
  spellshell:disable … spellshell:enable              nothing in between is checked
  spellshell:disable-line   spellshell:disable-next-line
(cspell:, spell-checker: and spellchecker: work the same; an unknown one is named on stderr.)

Project config: .spellshell.json in the current folder or the nearest one above it (else
cspell.json, .cspell.json or cspell.config.json there); command-line options win over it.

Exit status: 0 nothing misspelled; 1 something misspelled; 2 a usage or config error, an unknown
language, a file that could not be read or is not text, or standard output could not be written
(2 wins over 1; the other files are still checked).

Example:
  spellshell --lang en_US --exclude 'docs/api/**' --reporter github docs README.md
`;

class UsageError extends Error {}

const FLAGS = new Map([
  ['--json', (o) => { o.reporter = 'json'; }],
  ['--unique', (o) => { o.unique = true; }],
  ['--no-personal', (o) => { o.personal = false; }],
  ['--no-gitignore', (o) => { o.gitignore = false; }],
  ['--no-config', (o) => { o.config = false; }],
  ['--any-language', (o) => { o.anyLanguage = true; }],
  ['--detect-language', (o) => { o.detect = true; }],
  ['--cache', (o) => { o.cache = true; }],
  ['--list-dictionaries', (o) => { o.list = true; }],
  ['--list-vocabularies', (o) => { o.listVocabularies = true; }],
  ['--help', (o) => { o.help = true; }],
  ['-h', (o) => { o.help = true; }],
  ['--version', (o) => { o.version = true; }],
]);

const VALUED = new Map([
  ['--lang', (o, v) => {
    o.languages = v.split(',').map((l) => l.trim()).filter(Boolean);
    if (o.languages.length === 0) throw new UsageError('--lang needs a language');
  }],
  ['--dict-dir', (o, v) => { o.dirs.push(v); }],
  ['--personal', (o, v) => { o.personal = v; }],
  ['--suggest', (o, v) => {
    if (!/^\d+$/.test(v)) throw new UsageError(`--suggest needs a whole number, not "${v}"`);
    o.suggest = Number(v);
  }],
  ['--format', (o, v) => {
    if (!FORMATS.includes(v)) throw new UsageError(`unknown format "${v}" (formats: ${FORMATS.join(', ')})`);
    o.format = v;
  }],
  ['--vocabularies', (o, v) => {
    if (v === 'auto') o.vocabularies = true;
    else if (v === 'none') o.vocabularies = false;
    else {
      o.vocabularies = v.split(',').map((name) => name.trim()).filter(Boolean);
      const unknown = o.vocabularies.find((name) => !VOCABULARIES.includes(name));
      if (unknown !== undefined || o.vocabularies.length === 0) throw new UsageError(`unknown vocabulary "${unknown ?? v}" (vocabularies: auto, none, ${VOCABULARIES.join(', ')})`);
    }
  }],
  ['--include', (o, v) => { o.include.push(v); }],
  ['--exclude', (o, v) => { o.exclude.push(v); }],
  ['--reporter', (o, v) => {
    if (!['text', 'json', 'github'].includes(v)) throw new UsageError(`unknown reporter "${v}" (reporters: text, json, github)`);
    o.reporter = v;
  }],
  ['--cache-location', (o, v) => {
    o.cache = true;
    o.cacheLocation = v;
  }],
]);

function parseArguments(argv) {
  const options = {
    languages: null, anyLanguage: undefined, detect: false, dirs: [], personal: undefined, suggest: undefined, format: undefined, include: [], exclude: [],
    gitignore: true, config: true, unique: false, reporter: 'text', cache: false, cacheLocation: undefined,
    list: false, listVocabularies: false, vocabularies: undefined, help: false, version: false, files: [],
  };
  let onlyFiles = false;
  for (let i = 0; i < argv.length; i++) {
    let arg = argv[i];
    if (onlyFiles || arg === '-' || !arg.startsWith('-')) {
      options.files.push(arg);
      continue;
    }
    if (arg === '--') {
      onlyFiles = true;
      continue;
    }
    let inline;
    const equals = arg.indexOf('=');
    if (arg.startsWith('--') && equals > 0) {
      inline = arg.slice(equals + 1);
      arg = arg.slice(0, equals);
    }
    if (FLAGS.has(arg)) {
      if (inline !== undefined) throw new UsageError(`${arg} takes no value`);
      FLAGS.get(arg)(options);
    } else if (VALUED.has(arg)) {
      if (inline === undefined && i + 1 >= argv.length) throw new UsageError(`${arg} needs a value`);
      VALUED.get(arg)(options, inline !== undefined ? inline : argv[++i]);
    } else {
      throw new UsageError(`unknown option ${arg}`);
    }
  }
  if (!options.list && !options.listVocabularies && !options.help && !options.version && options.files.length === 0) throw new UsageError('no FILE given');
  return options;
}

module.exports = { parseArguments, UsageError, USAGE, HELP };
