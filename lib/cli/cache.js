'use strict';
// The results of earlier runs, per file content. An entry is found by the hash of the file's
// bytes and its format; the whole cache belongs to one setting (the package version, the
// dictionaries as they are on disk, the personal and project words, the other options that
// change results), and a cache of any other setting, or one that cannot be read, is dropped and
// rewritten, never trusted. Each run replaces the file at once (a temporary file renamed over
// it), so runs at the same time lose at most each other's new entries, never the file.
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

// 2: an entry's findings may name the language that judged them.
const SHAPE = 'spellshell-cache-2';
// Past this many entries the oldest are dropped: ~100 bytes each without findings, so a few MB.
const MAX_ENTRIES = 50000;
const DEFAULT_NAME = '.spellshellcache';

const sha256 = (text) => crypto.createHash('sha256').update(text).digest('hex');

// What a dictionary is for the cache: where it is, and the size and time of its two files (a
// dictionary replaced in place changes one of them).
function dictionaryIdentity(info) {
  if (info.backend !== 'hunspell') return [info.backend, info.tag ?? info.language];
  const stamp = (ext) => {
    try {
      const s = fs.statSync(path.join(info.dir, `${info.language}${ext}`));
      return [s.size, s.mtimeMs];
    } catch {
      return null;
    }
  };
  return [info.backend, info.language, path.resolve(info.dir), stamp('.aff'), stamp('.dic')];
}

// The key of one setting: everything besides a file's bytes that decides its findings.
function settingKey({ version, languages, personal, projectWords, anyLanguage = false }) {
  return sha256(JSON.stringify([version, languages.map(dictionaryIdentity), personal, projectWords, anyLanguage]));
}

function cacheFile(location, cwd) {
  if (location === undefined) return path.join(cwd, DEFAULT_NAME);
  const resolved = path.resolve(cwd, location);
  try {
    if (fs.statSync(resolved).isDirectory()) return path.join(resolved, DEFAULT_NAME);
  } catch {
    // a file still to be made
  }
  return resolved;
}

function validEntries(data, key) {
  if (data === null || typeof data !== 'object' || data.shape !== SHAPE || data.key !== key) return new Map();
  if (data.entries === null || typeof data.entries !== 'object') return new Map();
  const entries = new Map();
  for (const [id, findings] of Object.entries(data.entries)) {
    const ok = Array.isArray(findings) && findings.every((f) => Array.isArray(f) && (f.length === 3 || (f.length === 4 && typeof f[3] === 'string'))
      && Number.isSafeInteger(f[0]) && f[0] > 0 && Number.isSafeInteger(f[1]) && f[1] > 0 && typeof f[2] === 'string' && f[2] !== '');
    if (ok) entries.set(id, findings);
  }
  return entries;
}

function readEntries(file, key) {
  try {
    return validEntries(JSON.parse(fs.readFileSync(file, 'utf8')), key);
  } catch {
    return new Map();
  }
}

class ResultCache {
  constructor(file, key) {
    this.file = file;
    this.key = key;
    this.entries = readEntries(file, key);
    this.added = new Map();
  }

  static hashBytes(bytes) {
    return sha256(bytes);
  }

  // A file's entry: its bytes, its format, and whether the project's words applied to it (a
  // file outside the project's folder has the same bytes and other findings).
  static id(hash, format, projectWords) {
    return `${hash}:${format}${projectWords ? ':project' : ''}`;
  }

  // [[line, column, word (, language)]…] of earlier runs, or undefined.
  get(id) {
    return this.added.get(id) ?? this.entries.get(id);
  }

  set(id, findings) {
    this.added.set(id, findings);
  }

  // Writes the entries back, merged with what another run may have written meanwhile. Throws
  // when the file cannot be written.
  save() {
    if (this.added.size === 0) return;
    const merged = new Map([...readEntries(this.file, this.key), ...this.entries, ...this.added]);
    const kept = [...merged].slice(-MAX_ENTRIES);
    const text = JSON.stringify({ shape: SHAPE, key: this.key, entries: Object.fromEntries(kept) });
    fs.mkdirSync(path.dirname(this.file), { recursive: true });
    const temporary = `${this.file}.${process.pid}.${crypto.randomBytes(4).toString('hex')}.tmp`;
    try {
      fs.writeFileSync(temporary, text);
      renameOver(temporary, this.file);
    } finally {
      fs.rmSync(temporary, { force: true });
    }
  }
}

// Windows refuses to replace a file another process has open this instant (a run reading the
// cache); that run is done with it within milliseconds.
function renameOver(from, to) {
  for (let attempt = 0; ; attempt++) {
    try {
      fs.renameSync(from, to);
      return;
    } catch (error) {
      if (process.platform !== 'win32' || attempt >= 50 || !['EPERM', 'EACCES', 'EBUSY'].includes(error.code)) throw error;
      Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 10); // once, at the end of the run
    }
  }
}

module.exports = { ResultCache, settingKey, cacheFile };
