'use strict';
// A project's settings file: where it is found, what it may hold, how its errors read, the
// other tool's config read in its place, and the project word list kept in it.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { FORMATS } = require('../../lib/formats');
const { findProjectConfig, addProjectWord, defaultPersonalFile } = require('../../lib/project/project-config');
const { writeFiles } = require('./cli-helpers');

function folder(t, files = {}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-config-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  writeFiles(dir, files);
  return dir;
}

suite('project config', () => {
  test('is found in the nearest folder at or above the start, ours before the other tool\'s', async (t) => {
    const dir = folder(t, {
      '.spellshell.json': '{ "words": ["top"] }',
      'a/cspell.json': '{ "words": ["middle"] }',
      'a/b/c/x.md': '',
    });
    const found = await findProjectConfig(path.join(dir, 'a', 'b', 'c'));
    assert.deepEqual(found, { file: path.join(dir, 'a', 'cspell.json'), dir: path.join(dir, 'a'), kind: 'cspell', config: { words: ['middle'], ignoreWords: [] } });
    assert.equal((await findProjectConfig(dir)).config.words[0], 'top');
    fs.writeFileSync(path.join(dir, 'a', '.spellshell.json'), '{}');
    assert.equal((await findProjectConfig(path.join(dir, 'a', 'b'))).kind, 'spellshell');
  });

  test('holds every key, normalised; personal resolved from the config\'s folder', async (t) => {
    const dir = folder(t, {
      '.spellshell.json': JSON.stringify({
        languages: ['en_US', 'fr'], words: ['Hunspell'], ignoreWords: ['npm'], include: ['*.rst'], exclude: ['build'],
        formats: { '*.mdx': 'markdown' }, suggest: 3, personal: 'words.txt',
      }),
    });
    assert.deepEqual((await findProjectConfig(dir)).config, {
      languages: ['en_US', 'fr'], words: ['Hunspell'], ignoreWords: ['npm'], include: ['*.rst'], exclude: ['build'],
      formats: { '*.mdx': 'markdown' }, suggest: 3, personal: path.join(dir, 'words.txt'),
    });
  });

  test('reads the other tool\'s words, ignoreWords, ignorePaths and language, with comments and trailing commas', async (t) => {
    for (const name of ['cspell.json', '.cspell.json', 'cspell.config.json']) {
      const dir = folder(t, {
        [name]: `// project spelling\n{\n  "version": "0.2",\n  "language": "en, fr",\n  /* our terms */\n  "words": ["spellshell", "two words",],\n  "ignoreWords": ["npm"],\n  "ignorePaths": ["node_modules/**", "*.lock"],\n  "flagWords": ["hte"],\n  "dictionaries": ["softwareTerms"],\n}\n`,
      });
      assert.deepEqual(await findProjectConfig(dir), {
        file: path.join(dir, name), dir, kind: 'cspell',
        config: { languages: ['en', 'fr'], words: ['spellshell'], ignoreWords: ['npm'], exclude: ['node_modules/**', '*.lock'] },
      }, name);
    }
  });

  // [file name, contents, the error's message after "<file>, "]
  const BAD = [
    ['.spellshell.json', '{\n  "words": ["a"],\n  "languages": [en_US]\n}', 'line 3: not valid JSON: unexpected "e", expected a value'],
    ['.spellshell.json', '{\n  "words": ["a"]\n', 'line 3: not valid JSON: unexpected end of file, expected "," or "}"'],
    ['.spellshell.json', '{\n  "words": ["a"],\n}', 'line 3: not valid JSON: unexpected "}", expected a key in double quotes'],
    ['.spellshell.json', '// a comment\n{}', 'line 1: not valid JSON: unexpected "/", expected a value'],
    ['.spellshell.json', '{\n\n  "colour": true\n}', 'line 3: unknown key "colour" (known: languages, words, ignoreWords, include, exclude, formats, suggest, personal, anyLanguage, vocabularies)'],
    ['.spellshell.json', '{ "words": "hello" }', 'line 1: "words" must be an array of single words'],
    ['.spellshell.json', '{\n "words": ["two words"] }', 'line 2: "words" must be an array of single words'],
    ['.spellshell.json', '{\n "languages": [] }', 'line 2: "languages" must be a non-empty array of language names'],
    ['.spellshell.json', '{\n "suggest": -1 }', 'line 2: "suggest" must be a whole number'],
    ['.spellshell.json', '{\n "formats": { "*.x": "rtf" } }', `line 2: "formats" must be an object of glob -> format (${FORMATS.join(', ')})`],
    ['.spellshell.json', '[]', 'line 1: the settings must be a JSON object'],
    ['cspell.json', '{\n  "language": ["en"]\n}', 'line 2: "language" must be a language list such as "en,fr"'],
    ['cspell.json', '{\n  "words": [1]\n}', 'line 2: "words" must be an array of words'],
    ['.cspell.json', '{ /* open', 'line 1: not valid JSON: unexpected end of file, the comment is not closed'],
  ];
  for (const [name, contents, message] of BAD) {
    test(`${name} ${JSON.stringify(contents).slice(0, 40)} is rejected: ${message}`, async (t) => {
      const dir = folder(t, { [name]: contents });
      await assert.rejects(findProjectConfig(dir), { message: `${path.join(dir, name)}, ${message}` });
    });
  }

  test('addProjectWord makes the file, then adds once, keeping keys, their order, indentation and line ends', async (t) => {
    const dir = folder(t);
    const file = path.join(dir, '.spellshell.json');
    assert.equal(await addProjectWord(dir, 'spellshell'), file);
    assert.equal(fs.readFileSync(file, 'utf8'), '{\n  "words": [\n    "spellshell"\n  ]\n}\n');
    fs.writeFileSync(file, '{\r\n    "suggest": 2,\r\n    "words": ["a"],\r\n    "exclude": ["b"]\r\n}\r\n');
    await addProjectWord(dir, 'Hunspell');
    await addProjectWord(dir, 'Hunspell');
    assert.equal(fs.readFileSync(file, 'utf8'),
      '{\r\n    "suggest": 2,\r\n    "words": [\r\n        "a",\r\n        "Hunspell"\r\n    ],\r\n    "exclude": [\r\n        "b"\r\n    ]\r\n}\r\n');
    assert.deepEqual(fs.readdirSync(dir), ['.spellshell.json'], 'no temporary file left');
    await assert.rejects(addProjectWord(dir, 'two words'), { name: 'TypeError', message: 'word must be a single word' });
  });

  test('addProjectWord refuses to rewrite a config it cannot read', async (t) => {
    const dir = folder(t, { '.spellshell.json': '{ "words": [' });
    await assert.rejects(addProjectWord(dir, 'x'), /not valid JSON/);
    assert.equal(fs.readFileSync(path.join(dir, '.spellshell.json'), 'utf8'), '{ "words": [');
  });

  // [environment, platform, file]
  const PERSONAL = [
    [{ XDG_CONFIG_HOME: '/x/conf', HOME: '/home/u' }, 'linux', '/x/conf/spellshell/words.txt'],
    [{ HOME: '/home/u' }, 'linux', '/home/u/.config/spellshell/words.txt'],
    [{ XDG_CONFIG_HOME: 'relative', HOME: '/home/u' }, 'linux', '/home/u/.config/spellshell/words.txt'],
    [{ APPDATA: 'C:\\Users\\u\\AppData\\Roaming' }, 'win32', 'C:\\Users\\u\\AppData\\Roaming\\spellshell\\words.txt'],
    [{ USERPROFILE: 'D:\\u' }, 'win32', 'D:\\u\\AppData\\Roaming\\spellshell\\words.txt'],
  ];
  for (const [env, platform, file] of PERSONAL) {
    test(`the default personal file for ${JSON.stringify(env)} on ${platform} is ${file}`, () => {
      assert.equal(defaultPersonalFile(env, platform), file);
    });
  }
});
