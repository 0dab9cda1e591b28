'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const addon = require('../..');

// The system's English dictionary (Debian's hunspell-en-us), for tests that need real English.
const systemDictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

// Whether `new Spellchecker()` (no argument) finds a system spell-checking service. Linux has
// none, so it is Hunspell there. Windows has one, except under Wine: scripts/test-windows runs
// this suite there with SPELLSHELL_SPELL_SERVICE=none (its fake service, registered for the
// Windows backend's own tests under test/windows/, is not registered for this suite).
const hasSpellService = process.platform === 'win32' && process.env.SPELLSHELL_SPELL_SERVICE !== 'none';

// A temporary folder with a small UTF-8 dictionary named `language`, removed after the test.
// The folder's name starts with `folderPrefix`.
function fixtureDictionary(t, language = 'xx_TEST', words = ['hello', 'world', 'colour', 'café'],
  folderPrefix = 'spellshell-js-') {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), folderPrefix));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  fs.writeFileSync(path.join(dir, `${language}.aff`), 'SET UTF-8\nTRY esianrtolcdugmfphbyvkwé\n');
  fs.writeFileSync(path.join(dir, `${language}.dic`), `${words.length}\n${words.join('\n')}\n`);
  return dir;
}

// mulberry32: a small seeded generator of numbers in [0, 1), so a failure can be replayed.
function seededRandom(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// The i-th of a run of distinct made-up words of the same length, `q` and four letters (qqqqq,
// qqqqr, …): a text that repeats one misspelling would have it taken for one of its own terms.
function madeUpWord(i) {
  return `q${i.toString(26).padStart(4, '0').replace(/[0-9]/g, (d) => 'qrstuvwxyz'[d])}`;
}

module.exports = { madeUpWord, addon, systemDictionaryDir, fixtureDictionary, hasSpellService, seededRandom, random: seededRandom };
