'use strict';
// The `spellshell` command line: checks files (or standard input) through a SpellService and
// prints each misspelling where an editor can jump to it. bin/spellshell.js only launches this.
const fs = require('node:fs');
const { SpellService } = require('./service');
const { findDictionaries } = require('./find-dictionaries');

const USAGE = 'usage: spellshell [--lang en_US[,de_DE…]] [--dict-dir DIR]… [--personal FILE] [--suggest N] [--json] [--list-dictionaries] FILE… | -';

class UsageError extends Error {}

function parseArguments(argv) {
  const options = { languages: null, dirs: [], personal: undefined, suggest: 5, json: false, list: false, files: [] };
  const value = (i, name) => {
    if (i >= argv.length) throw new UsageError(`${name} needs a value`);
    return argv[i];
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
    const take = () => (inline !== undefined ? inline : value(++i, arg));
    switch (arg) {
      case '--lang':
        options.languages = take().split(',').filter(Boolean);
        if (options.languages.length === 0) throw new UsageError('--lang needs a language');
        break;
      case '--dict-dir':
        options.dirs.push(take());
        break;
      case '--personal':
        options.personal = take();
        break;
      case '--suggest': {
        const text = take();
        if (!/^\d+$/.test(text)) throw new UsageError(`--suggest needs a whole number, not "${text}"`);
        options.suggest = Number(text);
        break;
      }
      case '--json':
        options.json = true;
        break;
      case '--list-dictionaries':
        options.list = true;
        break;
      default:
        throw new UsageError(`unknown option ${arg}`);
    }
    if (inline !== undefined && (arg === '--json' || arg === '--list-dictionaries')) throw new UsageError(`${arg} takes no value`);
  }
  if (!options.list && options.files.length === 0) throw new UsageError('no FILE given');
  return options;
}

// The language of the user's locale (LC_ALL, LC_MESSAGES, then LANG), when a dictionary has it;
// otherwise en_US.
function defaultLanguage(env, dirs) {
  const locale = env.LC_ALL || env.LC_MESSAGES || env.LANG || '';
  const language = locale.split(/[.@]/)[0];
  if (language === '' || language === 'C' || language === 'POSIX') return 'en_US';
  const known = findDictionaries({ dirs }).some((d) => d.language.toLowerCase() === language.replace(/-/g, '_').toLowerCase());
  return known ? language : 'en_US';
}

// Where each offset of a text is: 1-based line and column (UTF-16 units), for offsets asked in
// increasing order.
function positions(text) {
  let line = 1;
  let lineStart = 0;
  let scanned = 0;
  return (offset) => {
    for (; scanned < offset; scanned++) {
      if (text.charCodeAt(scanned) === 0x0a) {
        line++;
        lineStart = scanned + 1;
      }
    }
    return { line, column: offset - lineStart + 1 };
  };
}

function readInput(file, stdin) {
  if (file !== '-') return fs.promises.readFile(file, 'utf8');
  return new Promise((resolve, reject) => {
    const chunks = [];
    stdin.on('data', (chunk) => chunks.push(chunk));
    stdin.on('end', () => resolve(Buffer.concat(chunks).toString('utf8')));
    stdin.on('error', reject);
  });
}

// On a terminal, for more than a few files or megabytes, a progress line on stderr.
const PROGRESS_FILES = 5;
const PROGRESS_BYTES = 4 * 1024 * 1024;

// Runs the command; resolves to the exit status (0: nothing misspelled, 1: something is,
// 2: a usage error, an unreadable file or an unknown language).
async function main(argv, { stdout = process.stdout, stderr = process.stderr, stdin = process.stdin, env = process.env } = {}) {
  const fail = (message) => {
    stderr.write(`spellshell: ${message}\n`);
    return 2;
  };
  // The language server: `spellshell lsp`, or `--stdio` as editors' client libraries add it.
  if (argv[0] === 'lsp' || argv.includes('--stdio')) return require('./lsp').run({ input: stdin, output: stdout, env });
  let options;
  try {
    options = parseArguments(argv);
  } catch (error) {
    if (error instanceof UsageError) return fail(`${error.message} (${USAGE})`);
    throw error;
  }

  if (options.list) {
    for (const d of findDictionaries({ dirs: options.dirs })) stdout.write(`${d.language}\t${d.dir ?? '(system)'}\n`);
    return 0;
  }

  let service;
  try {
    service = await SpellService.open({
      languages: options.languages ?? [defaultLanguage(env, options.dirs)],
      dictionaryDirs: options.dirs,
      personalDictionary: options.personal,
      backend: 'auto',
    });
  } catch (error) {
    return fail(error.message);
  }

  let status = 0;
  let bytes = 0;
  let standardInput;
  const progress = stderr.isTTY ? (done) => {
    if (options.files.length > PROGRESS_FILES || bytes > PROGRESS_BYTES) {
      stderr.write(`\rspellshell: ${done} of ${options.files.length} files checked`);
    }
  } : () => {};
  try {
    for (const [index, file] of options.files.entries()) {
      let text;
      try {
        // Standard input ends once: a second `-` gets the text the first one read.
        if (file === '-') text = await (standardInput ??= readInput(file, stdin));
        else text = await readInput(file, stdin);
      } catch (error) {
        if (stderr.isTTY) stderr.write('\r\x1b[K');
        fail(`cannot read ${file}: ${error.code === 'ENOENT' ? 'no such file' : error.message}`);
        status = 2;
        continue;
      }
      bytes += text.length;
      const name = file === '-' ? '<stdin>' : file;
      const found = await service.check(text, { suggestions: options.suggest });
      const where = positions(text);
      const lines = found.map(({ start, word, suggestions = [] }) => {
        const { line, column } = where(start);
        if (options.json) return JSON.stringify({ file: name, line, column, word, suggestions });
        return `${name}:${line}:${column}: ${word}${suggestions.length ? ` -> ${suggestions.join(', ')}` : ''}`;
      });
      if (lines.length) stdout.write(`${lines.join('\n')}\n`);
      if (found.length && status === 0) status = 1;
      progress(index + 1);
    }
  } finally {
    await service.close();
    if (stderr.isTTY && (options.files.length > PROGRESS_FILES || bytes > PROGRESS_BYTES)) stderr.write('\r\x1b[K');
  }
  return status;
}

module.exports = { main, parseArguments, defaultLanguage };
