'use strict';
// The results of earlier runs, per file. An entry is found by the hash of the file's bytes and
// its format (the content strategy), or by the file's path, size, modification time and inode
// and its format (the metadata strategy, which reads no file: a file changed without changing
// any of those, a same-size edit within one tick of the file system's clock, goes unseen); the
// whole cache belongs to one setting (the package version, the
// dictionaries as they are on disk, the personal and project words, the other options that
// change results), and a cache of any other setting, or one that cannot be read, is dropped and
// rewritten, never trusted. Each run replaces the file at once (a temporary file renamed over
// it), so runs at the same time lose at most each other's new entries, never the file.
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

// 3: findings as one string per entry, with the span of a decoded word and the language that
// judged a word where several are on.
const SHAPE = 'spellshell-cache-3';
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
  for (const [id, findings] of Object.entries(data.entries)) if (typeof findings === 'string') entries.set(id, findings);
  return entries;
}

// An entry's findings are kept as one string, a line per finding: `line TAB column TAB word`,
// then, where the span differs from the word's length or a language judged the word, TAB and
// the span (or nothing) and TAB and the language (or nothing). Parsing a cache of thousands of
// entries as strings makes a string each, not an array per finding (a warm run over 2,000
// files spent a fifth of its time collecting those arrays); an entry is read when it is used.
const FINDING = /^([1-9]\d{0,9})\t([1-9]\d{0,9})\t([^\t\n]+?)(?:\t([1-9]\d{0,9})?\t([^\t\n]*))?$/;

// findings: [[line, column, word, span?, language?]…] (span undefined: the word's length).
function encode(findings) {
  return findings.map(([line, column, word, span, language]) => (span === undefined && language === undefined
    ? `${line}\t${column}\t${word}` : `${line}\t${column}\t${word}\t${span ?? ''}\t${language ?? ''}`)).join('\n');
}

// [[line, column, word, span?, language?]…], or undefined for an entry of the wrong shape.
function decode(text) {
  if (text === '') return [];
  const findings = [];
  for (const line of text.split('\n')) {
    const match = FINDING.exec(line);
    if (match === null) return undefined;
    findings.push([Number(match[1]), Number(match[2]), match[3], match[4] === undefined ? undefined : Number(match[4]), match[5] || undefined]);
  }
  return findings;
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

  // A file's entry under the metadata strategy: its path (from the cache's folder, so that a
  // cache moved with its tree still serves), size, modification time and inode, format.
  static metadataId(relative, { size, mtimeMs, ino }, format, projectWords) {
    return `file:${relative}:${size}:${mtimeMs}:${ino}:${format}${projectWords ? ':project' : ''}`;
  }

  relative(file) {
    return path.relative(path.dirname(this.file), file).split(path.sep).join('/');
  }

  // [[line, column, word, span?, language?]…] of earlier runs, or undefined.
  get(id) {
    const text = this.added.get(id) ?? this.entries.get(id);
    return text === undefined ? undefined : decode(text);
  }

  set(id, findings) {
    this.added.set(id, encode(findings));
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
