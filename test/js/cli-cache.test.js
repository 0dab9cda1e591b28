'use strict';
// The command's result cache: what it is keyed by, and that a cache it cannot trust is rebuilt.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { settingKey } = require('../../lib/cli/cache');
const { setUp, spellshell, startSpellshell, ONE } = require('./cli-helpers');

const CACHE = ['--cache-location', 'cache.json'];
const readCache = (dir) => JSON.parse(fs.readFileSync(path.join(dir, 'cache.json'), 'utf8'));

// Makes each entry of the cache claim the word "cached" at 9:9, so a run that trusts the
// cache prints it, and a run that checks the file does not.
function forge(dir) {
  const data = readCache(dir);
  for (const id of Object.keys(data.entries)) data.entries[id] = '9\t9\tcached';
  fs.writeFileSync(path.join(dir, 'cache.json'), JSON.stringify(data));
}

suite('spellshell --cache', () => {
  test('a second run over an unchanged file takes its findings from the cache', (t) => {
    const dir = setUp(t, { 'a.md': 'wrod\n' });
    assert.equal(spellshell(dir, [...ONE, ...CACHE, 'a.md']).stdout, 'a.md:1:1: wrod\n');
    forge(dir);
    assert.deepEqual(spellshell(dir, [...ONE, ...CACHE, 'a.md']), { status: 1, stdout: 'a.md:9:9: cached\n', stderr: '' });
  });

  test('--cache keeps the cache in .spellshellcache of the current folder; a folder location gets that name', (t) => {
    const dir = setUp(t, { 'a.md': 'hello\n', 'store/x': '' });
    spellshell(dir, [...ONE, '--cache', 'a.md']);
    spellshell(dir, [...ONE, '--cache-location', 'store', 'a.md']);
    assert.ok(fs.existsSync(path.join(dir, '.spellshellcache')) && fs.existsSync(path.join(dir, 'store', '.spellshellcache')));
  });

  // [what changes, how, and the arguments of the second run]
  const CHANGES = [
    ['the file\'s content', (dir) => fs.writeFileSync(path.join(dir, 'a.md'), 'wrod  \n'), []],
    ['the languages', () => {}, ['--lang', 'xx_ONE,xx_TWO']],
    ['the format', () => {}, ['--format', 'plain']],
    ['the dictionary on disk', (dir) => fs.writeFileSync(path.join(dir, 'xx_ONE.dic'), '5\nhello\nworld\nword\nlord\nhelp\n'), []],
    ['the personal words', (dir) => fs.writeFileSync(path.join(dir, 'mine.txt'), 'other\n'), []],
    ['the project\'s words', (dir) => fs.writeFileSync(path.join(dir, '.spellshell.json'), '{ "words": ["zzz"] }'), []],
  ];
  for (const [what, change, args] of CHANGES) {
    test(`a change of ${what} is not answered from the cache`, (t) => {
      const dir = setUp(t, { 'a.md': 'wrod\n', 'mine.txt': 'mine\n' });
      const common = [...ONE, '--personal', 'mine.txt', ...CACHE];
      spellshell(dir, [...common, 'a.md']);
      forge(dir);
      change(dir);
      const run = spellshell(dir, [...common, ...args, 'a.md']);
      assert.equal(run.stdout.split(/:\d+:\d+: /)[1], 'wrod\n', run.stdout);
    });
  }

  test('a new package version is a new setting', () => {
    const setting = { version: '1.0.0', languages: [{ backend: 'system', language: 'en_US', tag: 'en-US' }], personal: [], projectWords: [] };
    assert.notEqual(settingKey(setting), settingKey({ ...setting, version: '1.0.1' }));
    assert.equal(settingKey(setting), settingKey({ ...setting }));
  });

  // [what the cache file holds]
  const CORRUPT = [
    ['half a file', (text) => text.slice(0, text.length / 2)],
    ['not JSON at all', () => '\0\0garbage'],
    ['an entry of the wrong shape', (text) => text.replace('"1\\t1\\twrod"', '"1\\tx"')],
    ['an entry of the wrong type', (text) => text.replace('"1\\t1\\twrod"', '[[1,1,"wrod"]]')],
    ['another shape', (text) => text.replace('spellshell-cache-2', 'spellshell-cache-0')],
  ];
  for (const [what, spoil] of CORRUPT) {
    test(`a cache file with ${what} is ignored and rewritten`, (t) => {
      const dir = setUp(t, { 'a.md': 'wrod\n' });
      spellshell(dir, [...ONE, ...CACHE, 'a.md']);
      const file = path.join(dir, 'cache.json');
      const good = fs.readFileSync(file, 'utf8');
      fs.writeFileSync(file, spoil(good));
      assert.deepEqual(spellshell(dir, [...ONE, ...CACHE, 'a.md']), { status: 1, stdout: 'a.md:1:1: wrod\n', stderr: '' });
      assert.equal(fs.readFileSync(file, 'utf8'), good);
    });
  }

  test('runs at the same time leave a whole cache that the next run trusts', async (t) => {
    const files = Object.fromEntries(Array.from({ length: 40 }, (_, i) => [`f${i}.md`, `wrod${'\n'.repeat(i)}`]));
    const dir = setUp(t, files);
    const runs = Array.from({ length: 4 }, () => new Promise((resolve) => {
      startSpellshell(dir, [...ONE, ...CACHE, '.'], { stdio: 'ignore' }).on('close', resolve);
    }));
    assert.deepEqual(await Promise.all(runs), [1, 1, 1, 1]);
    assert.equal(Object.keys(readCache(dir).entries).length, 40);
    assert.deepEqual(fs.readdirSync(dir).filter((name) => name.endsWith('.tmp')), []);
  });

  test('a cache that cannot be written is one line on stderr; the findings and status stand', { skip: process.platform === 'win32' || process.getuid?.() === 0 }, (t) => {
    const dir = setUp(t, { 'a.md': 'wrod\n', 'locked/x': '' });
    fs.chmodSync(path.join(dir, 'locked'), 0o555);
    t.after(() => fs.chmodSync(path.join(dir, 'locked'), 0o755));
    assert.deepEqual(spellshell(dir, [...ONE, '--cache-location', path.join('locked', 'c.json'), 'a.md']), {
      status: 1, stdout: 'a.md:1:1: wrod\n', stderr: `spellshell: cannot write the cache ${path.join(dir, 'locked', 'c.json')}: permission denied\n`,
    });
  });
});
