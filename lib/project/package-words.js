'use strict';
// The words a file's place gives it: the name of the package it belongs to and of the packages
// that one depends on (package.json next to the file or in the nearest folder above it), and the
// file's own base name. A README names its package and its dependencies all along (`Minipass`),
// a source file its module; none of them is a typo there.
const fs = require('node:fs');
const path = require('node:path');

const DEPENDENCY_KEYS = ['dependencies', 'devDependencies', 'peerDependencies', 'optionalDependencies'];
// The words of a name: its runs of letters (`@scope/some-name` → scope, some, name), and the
// name whole where it is one run.
const RUN = /\p{L}[\p{L}\p{M}]*/gu;

function wordsOfName(name, into) {
  for (const match of name.matchAll(RUN)) into.add(match[0].normalize('NFC'));
}

// package.json path -> its words, or null (none there, or not readable as a package manifest).
const byManifest = new Map();
// folder -> the package.json that governs it (or null), for the files of one folder.
const byFolder = new Map();

function manifestWords(file) {
  if (byManifest.has(file)) return byManifest.get(file);
  let words = null;
  try {
    const manifest = JSON.parse(fs.readFileSync(file, 'utf8'));
    if (manifest !== null && typeof manifest === 'object') {
      words = new Set();
      if (typeof manifest.name === 'string') wordsOfName(manifest.name, words);
      for (const key of DEPENDENCY_KEYS) {
        const table = manifest[key];
        if (table !== null && typeof table === 'object') for (const name of Object.keys(table)) wordsOfName(name, words);
      }
    }
  } catch {
    words = null; // not there, not readable, not JSON: nothing to learn from it
  }
  byManifest.set(file, words);
  return words;
}

function manifestFor(dir) {
  if (byFolder.has(dir)) return byFolder.get(dir);
  const here = path.join(dir, 'package.json');
  let found = fs.existsSync(here) ? here : null;
  if (found === null && path.dirname(dir) !== dir) found = manifestFor(path.dirname(dir));
  byFolder.set(dir, found);
  return found;
}

/** The words the place of `file` gives it (see above), as an array. */
function packageWords(file) {
  const words = new Set();
  wordsOfName(path.basename(file).replace(/\.[^.]*$/, ''), words);
  const manifest = manifestFor(path.dirname(path.resolve(file)));
  for (const word of (manifest && manifestWords(manifest)) ?? []) words.add(word);
  return [...words];
}

// Forgets what was read (a package.json may have changed).
function forgetPackageWords() {
  byManifest.clear();
  byFolder.clear();
}

module.exports = { packageWords, forgetPackageWords };
