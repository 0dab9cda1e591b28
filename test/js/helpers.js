'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const addon = require('../..');

// The system's English dictionary (Debian's hunspell-en-us), for tests that need real English.
const systemDictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

// A temporary folder with a small UTF-8 dictionary named `language`, removed after the test.
function fixtureDictionary(t, language = 'xx_TEST', words = ['hello', 'world', 'colour', 'café']) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-js-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  fs.writeFileSync(path.join(dir, `${language}.aff`), 'SET UTF-8\nTRY esianrtolcdugmfphbyvkwé\n');
  fs.writeFileSync(path.join(dir, `${language}.dic`), `${words.length}\n${words.join('\n')}\n`);
  return dir;
}

module.exports = { addon, systemDictionaryDir, fixtureDictionary };
