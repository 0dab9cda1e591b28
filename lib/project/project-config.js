'use strict';
// A project's own settings and word list, kept beside its documents: `.spellshell.json` in the
// folder or the nearest folder above it. A project without one may have the config file of the
// docs spell checker most projects use (cspell.json and its other names); its word lists, ignored
// paths and language are read from it, so a project can switch without rewriting its list.
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const check = require('../service/arguments');
const { FORMATS } = require('../formats');
const { parseLocated, JsonError } = require('./located-json');
const { VOCABULARIES } = require('../words/vocabularies');

const OURS = '.spellshell.json';
// Looked for in each folder, after ours, in this order.
const CSPELL_FILES = ['cspell.json', '.cspell.json', 'cspell.config.json'];

class ConfigError extends Error {}

const isObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
const isWord = (v) => typeof v === 'string' && v !== '' && !/[\s\u0000-\u001f\u007f]/.test(v);
const isText = (v) => typeof v === 'string' && v !== '';
const listOf = (ok) => (v) => Array.isArray(v) && v.every(ok);

// key -> [test, what the value must be]
const SCHEMA = new Map([
  ['languages', [(v) => listOf(isText)(v) && v.length > 0, 'a non-empty array of language names']],
  ['words', [listOf(isWord), 'an array of single words']],
  ['ignoreWords', [listOf(isWord), 'an array of single words']],
  ['include', [listOf(isText), 'an array of glob patterns']],
  ['exclude', [listOf(isText), 'an array of glob patterns']],
  ['formats', [(v) => isObject(v) && Object.values(v).every((f) => FORMATS.includes(f)), `an object of glob -> format (${FORMATS.join(', ')})`]],
  ['suggest', [(v) => Number.isSafeInteger(v) && v >= 0, 'a whole number']],
  ['personal', [isText, 'a file path']],
  ['anyLanguage', [(v) => typeof v === 'boolean', 'true or false']],
  ['vocabularies', [(v) => typeof v === 'boolean' || (listOf(isText)(v) && v.every((name) => VOCABULARIES.includes(name))), `true, false or an array of vocabulary names (${VOCABULARIES.join(', ')})`]],
]);

// The keys of the other tool's config read here (the rest of that format is left alone):
// key -> [test, what it must be, our key, conversion].
const CSPELL_SCHEMA = new Map([
  ['words', [listOf(isText), 'an array of words', 'words', (v) => v.filter(isWord)]],
  ['ignoreWords', [listOf(isText), 'an array of words', 'ignoreWords', (v) => v.filter(isWord)]],
  ['ignorePaths', [listOf(isText), 'an array of glob patterns', 'exclude', (v) => v]],
  ['language', [isText, 'a language list such as "en,fr"', 'languages', (v) => v.split(',').map((l) => l.trim()).filter(Boolean)]],
]);

function parseFile(file, text, comments) {
  try {
    return parseLocated(text, { comments });
  } catch (error) {
    if (error instanceof JsonError) throw new ConfigError(`${file}, line ${error.line}: not valid JSON: ${error.message}`);
    throw error;
  }
}

function readOurs(file, dir, text) {
  const { value, keyLines } = parseFile(file, text, false);
  if (!isObject(value)) throw new ConfigError(`${file}, line 1: the settings must be a JSON object`);
  const config = { words: [], ignoreWords: [] };
  for (const [key, given] of Object.entries(value)) {
    const rule = SCHEMA.get(key);
    if (!rule) throw new ConfigError(`${file}, line ${keyLines.get(key)}: unknown key "${key}" (known: ${[...SCHEMA.keys()].join(', ')})`);
    if (!rule[0](given)) throw new ConfigError(`${file}, line ${keyLines.get(key)}: "${key}" must be ${rule[1]}`);
    config[key] = key === 'personal' ? path.resolve(dir, given) : given;
  }
  return config;
}

function readCspell(file, text) {
  const { value, keyLines } = parseFile(file, text, true);
  if (!isObject(value)) throw new ConfigError(`${file}, line 1: the settings must be a JSON object`);
  const config = { words: [], ignoreWords: [] };
  for (const [key, [test, what, ours, convert]] of CSPELL_SCHEMA) {
    if (!Object.hasOwn(value, key)) continue;
    if (!test(value[key])) throw new ConfigError(`${file}, line ${keyLines.get(key)}: "${key}" must be ${what}`);
    config[ours] = convert(value[key]);
  }
  if (config.languages?.length === 0) delete config.languages;
  return config;
}

async function readIfFile(file) {
  try {
    return await fs.promises.readFile(file, 'utf8');
  } catch (error) {
    if (['ENOENT', 'ENOTDIR', 'EISDIR'].includes(error.code)) return null;
    throw new ConfigError(`cannot read ${file}: ${error.message}`);
  }
}

// The config of the project `startDir` is in: the nearest folder, from startDir up to the root,
// that has one of the files; in one folder ours comes first. Rejects with a ConfigError naming
// the file, the line and the key when the file is not valid.
async function findProjectConfig(startDir) {
  for (let dir = path.resolve(startDir); ; dir = path.dirname(dir)) {
    for (const name of [OURS, ...CSPELL_FILES]) {
      const file = path.join(dir, name);
      const text = await readIfFile(file);
      if (text === null) continue;
      return name === OURS
        ? { file, dir, kind: 'spellshell', config: readOurs(file, dir, text) }
        : { file, dir, kind: 'cspell', config: readCspell(file, text) };
    }
    if (path.dirname(dir) === dir) return null;
  }
}

// Replaces `file` at once: a reader sees the old settings or the new ones, never half.
async function writeAtomically(file, contents) {
  const temporary = path.join(path.dirname(file), `.${path.basename(file)}.${crypto.randomBytes(6).toString('hex')}.tmp`);
  try {
    await fs.promises.writeFile(temporary, contents, { flag: 'wx' });
    await fs.promises.rename(temporary, file);
  } catch (error) {
    await fs.promises.rm(temporary, { force: true });
    throw error;
  }
}

// Adds `word` to the project's `words` in <dir>/.spellshell.json (made if missing), keeping the
// other keys, their order and the file's indentation. Resolves to the file's path.
async function addProjectWord(dir, word) {
  check.word(word);
  const file = path.join(path.resolve(dir), OURS);
  const text = await readIfFile(file);
  let settings = {};
  if (text !== null) {
    readOurs(file, dir, text); // a config that is not valid is not rewritten: it throws
    settings = parseLocated(text).value;
  }
  const words = settings.words ?? [];
  if (words.includes(word)) return file;
  settings.words = [...words, word];
  const indent = text === null ? '  ' : (/^[ \t]+(?=")/m.exec(text)?.[0] ?? '  ');
  const newline = text !== null && text.includes('\r\n') ? '\r\n' : '\n';
  await writeAtomically(file, `${JSON.stringify(settings, null, indent).replace(/\n/g, newline)}${newline}`);
  return file;
}

// The user's own word file, shared by the command line and the editor integration:
// $XDG_CONFIG_HOME/spellshell/words.txt (~/.config/… without it), %APPDATA%\spellshell\words.txt
// on Windows.
function defaultPersonalFile(env = process.env, platform = process.platform) {
  if (platform === 'win32') {
    const appData = env.APPDATA || path.win32.join(env.USERPROFILE || os.homedir(), 'AppData', 'Roaming');
    return path.win32.join(appData, 'spellshell', 'words.txt');
  }
  // The XDG rule: a relative XDG_CONFIG_HOME is invalid and ignored.
  const config = env.XDG_CONFIG_HOME && path.posix.isAbsolute(env.XDG_CONFIG_HOME)
    ? env.XDG_CONFIG_HOME
    : path.posix.join(env.HOME || os.homedir(), '.config');
  return path.posix.join(config, 'spellshell', 'words.txt');
}

module.exports = { findProjectConfig, addProjectWord, defaultPersonalFile, ConfigError };
