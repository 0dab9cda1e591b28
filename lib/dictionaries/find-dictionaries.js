'use strict';
// The Hunspell dictionaries installed where the system and the user keep them, and the
// languages of the system's own spell-checking service (Windows).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { systemLanguages } = require('./system-service');

// The folders to search, in order, resolved and without repeats.
function dictionaryFolders({ dirs = [] } = {}, env = process.env, platform = process.platform) {
  const folders = [...dirs];
  // Hunspell's own tools split DICPATH on the platform's delimiter and skip empty entries.
  const delimiter = platform === 'win32' ? ';' : ':';
  if (env.DICPATH) folders.push(...env.DICPATH.split(delimiter).filter(Boolean));
  if (platform === 'win32') {
    if (env.LOCALAPPDATA) folders.push(path.join(env.LOCALAPPDATA, 'hunspell'));
    folders.push(path.join(path.dirname(process.execPath), 'hunspell'));
  } else {
    folders.push(
      path.join(env.XDG_DATA_HOME || path.join(os.homedir(), '.local', 'share'), 'hunspell'),
      '/usr/local/share/hunspell',
      '/usr/share/hunspell',
      '/usr/share/myspell',
      '/usr/share/myspell/dicts',
    );
  }
  return [...new Set(folders.map((folder) => path.resolve(folder)))];
}

// Regular files, or links to them: Debian links de_AT.dic and others to de_DE.dic.
function isFile(file) {
  try {
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

function languagesIn(dir) {
  let names;
  try {
    names = fs.readdirSync(dir);
  } catch {
    return []; // missing or unreadable folders are passed over
  }
  return names
    .filter((name) => name.endsWith('.dic') && name.length > 4)
    .map((name) => name.slice(0, -4))
    .filter((language) => isFile(path.join(dir, `${language}.dic`)) && isFile(path.join(dir, `${language}.aff`)));
}

const byLanguage = (a, b) => (a.language < b.language ? -1 : a.language > b.language ? 1 : 0);

// Hunspell dictionaries only, each language from the first folder that has it.
function findHunspellDictionaries(options) {
  const found = new Map();
  for (const dir of dictionaryFolders(options)) {
    for (const language of languagesIn(dir)) {
      if (!found.has(language)) found.set(language, { language, tag: language.replace(/_/g, '-'), dir, backend: 'hunspell' });
    }
  }
  return [...found.values()].sort(byLanguage);
}

// The languages of the system's service (none off Windows), as DictionaryInfo.
function findSystemDictionaries() {
  return systemLanguages()
    .map((tag) => ({ language: tag.replace(/-/g, '_'), tag, dir: null, backend: 'system' }))
    .sort(byLanguage);
}

function findDictionaries(options = {}) {
  if (options === null || typeof options !== 'object') throw new TypeError('options must be an object');
  const { dirs = [] } = options;
  if (!Array.isArray(dirs) || !dirs.every((dir) => typeof dir === 'string')) {
    throw new TypeError('dirs must be an array of strings');
  }
  return [...findHunspellDictionaries({ dirs }), ...findSystemDictionaries()].sort(byLanguage);
}

module.exports = { findDictionaries, findHunspellDictionaries, findSystemDictionaries, dictionaryFolders };
