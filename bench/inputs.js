'use strict';
// Makes the benchmark's inputs, deterministically, from real English text found on every Debian
// machine, into bench/data/:
//   running.txt     the first 100,000 words of the licence texts and the packages' copyright
//                   files, in order, with their repetition
//   text.txt        about 1 MB of that text, for FindMisspellings
//   correct.txt     distinct words that Hunspell accepts (at most 100,000), from all the
//                   installed documentation: every timed word is a new one, so the list must be
//                   long enough (tens of thousands) for a run to outlast the machine's jitter
//   misspelled.txt  10,000 distinct seeded misspellings that Hunspell rejects
//   suggest.txt     the first 300 of the misspellings, for suggestion latency
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');

const WORD = /[A-Za-z]+(?:'[A-Za-z]+)*/g;

// Every text file under /usr/share/doc (changelogs unzipped), in path order; binary files are
// left out.
function documentationText() {
  const files = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => (a.name < b.name ? -1 : 1))) {
      const file = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(file);
      else if (entry.isFile()) files.push(file);
    }
  };
  walk('/usr/share/doc');
  const texts = [];
  for (const file of files) {
    let bytes = fs.readFileSync(file);
    if (file.endsWith('.gz')) {
      try {
        bytes = zlib.gunzipSync(bytes);
      } catch {
        continue;
      }
    }
    if (!bytes.includes(0)) texts.push(bytes.toString('utf8'));
  }
  return texts.join('\n');
}

function sourceText() {
  const files = [];
  const licenses = '/usr/share/common-licenses';
  for (const name of fs.readdirSync(licenses).sort()) files.push(path.join(licenses, name));
  for (const name of fs.readdirSync('/usr/share/doc').sort()) {
    const copyright = path.join('/usr/share/doc', name, 'copyright');
    if (fs.existsSync(copyright)) files.push(copyright);
  }
  return files
    .filter((file) => fs.statSync(file).isFile())
    .map((file) => fs.readFileSync(file, 'utf8'))
    .join('\n');
}

// mulberry32: a small seeded generator, so every run makes the same misspellings.
function random(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function misspell(word, next) {
  const letters = 'abcdefghijklmnopqrstuvwxyz';
  const i = Math.floor(next() * word.length);
  const letter = letters[Math.floor(next() * letters.length)];
  switch (Math.floor(next() * 4)) {
    case 0: return word.slice(0, i) + word.slice(i + 1); // drop a letter
    case 1: return word.slice(0, i) + letter + word.slice(i); // add one
    case 2: return word.slice(0, i) + letter + word.slice(i + 1); // change one
    default: // swap two neighbours
      return i + 1 < word.length ? word.slice(0, i) + word[i + 1] + word[i] + word.slice(i + 2) : word + letter;
  }
}

function makeInputs({ dataDir, baseline, dictionaryDir }) {
  fs.mkdirSync(dataDir, { recursive: true });
  const write = (name, lines) => fs.writeFileSync(path.join(dataDir, name), lines.join('\n') + '\n');
  const accepted = (words) => {
    write('candidates.txt', words);
    const out = execFileSync(baseline, [dictionaryDir, 'classify', path.join(dataDir, 'candidates.txt')], {
      encoding: 'utf8',
      maxBuffer: 1 << 28,
    });
    return new Set(out.split('\n').filter(Boolean));
  };

  const text = sourceText();
  const words = text.match(WORD);
  write('running.txt', words.slice(0, 100000));
  fs.writeFileSync(path.join(dataDir, 'text.txt'), text.slice(0, 1000000));

  // Each distinct word once, the running text's first, then the rest of the documentation's.
  const seen = new Set(words);
  for (const [word] of documentationText().matchAll(WORD)) seen.add(word);
  const distinct = [...seen];
  const good = accepted(distinct);
  const correct = distinct.filter((w) => good.has(w)).slice(0, 100000);
  write('correct.txt', correct);

  const next = random(20261208);
  const candidates = new Set();
  const long = correct.filter((w) => w.length >= 4 && /^[a-z]+$/.test(w));
  while (candidates.size < 30000) {
    const word = misspell(long[Math.floor(next() * long.length)], next);
    if (!good.has(word)) candidates.add(word);
  }
  const stillGood = accepted([...candidates]);
  const misspelled = [...candidates].filter((w) => !stillGood.has(w)).slice(0, 10000);
  write('misspelled.txt', misspelled);
  write('suggest.txt', misspelled.slice(0, 300));
  fs.rmSync(path.join(dataDir, 'candidates.txt'));
  return { running: 100000, correct: correct.length, misspelled: misspelled.length };
}

module.exports = { makeInputs, random };
