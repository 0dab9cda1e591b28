'use strict';
// A project's spelling settings: `.spellshell.json` in a folder or one above it. Also where a
// user's own word list lives by default.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const FILE = '.spellshell.json';

const strings = (value) => (Array.isArray(value) ? value.filter((item) => typeof item === 'string') : []);

function normalise(raw) {
  const config = { words: strings(raw.words), ignoreWords: strings(raw.ignoreWords) };
  for (const key of ['languages', 'include', 'exclude']) if (Array.isArray(raw[key])) config[key] = strings(raw[key]);
  for (const key of ['formats', 'suggest', 'personal']) if (raw[key] !== undefined) config[key] = raw[key];
  return config;
}

async function findProjectConfig(startDir) {
  for (let dir = path.resolve(startDir); ; dir = path.dirname(dir)) {
    const file = path.join(dir, FILE);
    let text;
    try {
      text = await fs.promises.readFile(file, 'utf8');
    } catch {
      text = undefined;
    }
    if (text !== undefined) {
      const raw = JSON.parse(text);
      return { file, dir, kind: 'spellshell', config: normalise(raw !== null && typeof raw === 'object' ? raw : {}) };
    }
    if (path.dirname(dir) === dir) return null;
  }
}

async function addProjectWord(dir, word) {
  const file = path.join(dir, FILE);
  let raw = {};
  try {
    raw = JSON.parse(await fs.promises.readFile(file, 'utf8'));
  } catch (error) {
    if (error.code !== 'ENOENT') throw error;
  }
  const words = strings(raw.words);
  if (!words.includes(word)) raw.words = [...words, word];
  const temporary = `${file}.${process.pid}.tmp`;
  await fs.promises.writeFile(temporary, `${JSON.stringify(raw, null, 2)}\n`);
  await fs.promises.rename(temporary, file);
  return file;
}

function defaultPersonalFile(env = process.env, platform = process.platform) {
  if (platform === 'win32') {
    const appData = env.APPDATA || path.win32.join(env.USERPROFILE || os.homedir(), 'AppData', 'Roaming');
    return path.win32.join(appData, 'spellshell', 'words.txt');
  }
  const config = env.XDG_CONFIG_HOME || path.posix.join(env.HOME || os.homedir(), '.config');
  return path.posix.join(config, 'spellshell', 'words.txt');
}

module.exports = { findProjectConfig, addProjectWord, defaultPersonalFile };
