'use strict';
// The spellshell command line, run as a user runs it (bin/spellshell.js in a process of its
// own): what it prints, and its exit status.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { defaultLanguage } = require('../../lib/cli');
const { fixtureDictionary } = require('./helpers');

const bin = path.join(__dirname, '..', '..', 'bin', 'spellshell.js');

// A folder with the dictionary xx_ONE and the text files of `files` ({ name: contents }).
function setUp(t, files = {}) {
  const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world', 'word', 'lord']);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), '1\nbonjour\n');
  for (const [name, contents] of Object.entries(files)) fs.writeFileSync(path.join(dir, name), contents);
  return dir;
}

// Runs the command in `dir` with a plain environment (no locale unless given).
function spellshell(dir, args, { input, env = {} } = {}) {
  const base = Object.fromEntries(Object.entries(process.env).filter(([name]) => !/^(LC_|LANG$|DICPATH$)/.test(name)));
  const run = spawnSync(process.execPath, [bin, ...args], { cwd: dir, input, encoding: 'utf8', env: { ...base, ...env } });
  return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

suite('spellshell command line', () => {
  test('prints FILE:LINE:COLUMN: WORD -> suggestions, columns in UTF-16 units, and exits 1', (t) => {
    const dir = setUp(t, { 'a.txt': 'hello wrod\r\n𝒜 wrold\nqqqq\n' });
    assert.deepEqual(spellshell(dir, ['--lang', 'xx_ONE', '--dict-dir', '.', 'a.txt']), {
      status: 1,
      stdout: 'a.txt:1:7: wrod -> word\na.txt:2:1: 𝒜\na.txt:2:4: wrold -> world\na.txt:3:1: qqqq\n',
      stderr: '',
    });
  });

  test('--suggest limits the corrections; --suggest 0 prints the words alone', (t) => {
    const dir = setUp(t, { 'a.txt': 'hord\n' });
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', 'a.txt']).stdout, 'a.txt:1:1: hord -> lord, word\n');
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', '--suggest', '1', 'a.txt']).stdout, 'a.txt:1:1: hord -> lord\n');
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', '--suggest', '0', 'a.txt']).stdout, 'a.txt:1:1: hord\n');
  });

  test('--json prints one object per line; - reads standard input as <stdin>', (t) => {
    const dir = setUp(t);
    const run = spellshell(dir, ['--json', '--lang', 'xx_ONE', '--dict-dir', '.', '-'], { input: 'hello\n  wrod\n' });
    assert.equal(run.status, 1);
    assert.deepEqual(run.stdout.trim().split('\n').map((line) => JSON.parse(line)), [
      { file: '<stdin>', line: 2, column: 3, word: 'wrod', suggestions: ['word'] },
    ]);
  });

  test('- given twice checks standard input twice, and exits 1', (t) => {
    const dir = setUp(t);
    assert.deepEqual(spellshell(dir, ['--lang', 'xx_ONE', '--dict-dir', '.', '-', '-'], { input: 'helo wrld\n' }), {
      status: 1,
      stdout: '<stdin>:1:1: helo -> hello\n<stdin>:1:6: wrld -> world\n<stdin>:1:1: helo -> hello\n<stdin>:1:6: wrld -> world\n',
      stderr: '',
    });
  });

  test('several languages, and words of the --personal file, are accepted; nothing misspelled exits 0', (t) => {
    const dir = setUp(t, { 'a.txt': 'hello bonjour spellshell\n', 'mine.txt': 'spellshell\n' });
    assert.deepEqual(spellshell(dir, ['--lang', 'xx_ONE,xx_TWO', '--dict-dir', '.', '--personal', 'mine.txt', 'a.txt']),
      { status: 0, stdout: '', stderr: '' });
  });

  // [what the row shows, arguments, the one stderr line]
  const USAGE = [
    ['no FILE', ['--lang', 'xx_ONE'], /^spellshell: no FILE given \(usage: spellshell /],
    ['an unknown option', ['--colour', 'a.txt'], /^spellshell: unknown option --colour \(usage: /],
    ['an option without its value', ['a.txt', '--lang'], /^spellshell: --lang needs a value \(usage: /],
    ['a bad --suggest', ['--suggest', 'many', 'a.txt'], /^spellshell: --suggest needs a whole number, not "many" \(usage: /],
    ['an unknown language', ['--lang', 'xx_ONE,zz', '--dict-dir', '.', 'a.txt'], /^spellshell: no dictionary for "zz" \(searched: /],
  ];
  for (const [name, args, message] of USAGE) {
    test(`exits 2 for ${name}, with one line on stderr`, (t) => {
      const dir = setUp(t, { 'a.txt': 'wrod\n' });
      const run = spellshell(dir, args);
      assert.equal(run.status, 2);
      assert.equal(run.stdout, '');
      assert.equal(run.stderr.split('\n').length, 2, run.stderr);
      assert.match(run.stderr, message);
    });
  }

  test('an unreadable file exits 2 after every readable file was checked', (t) => {
    const dir = setUp(t, { 'a.txt': 'wrod\n', 'b.txt': 'hello\n' });
    const run = spellshell(dir, ['--lang', 'xx_ONE', '--dict-dir', '.', 'missing.txt', 'a.txt', 'b.txt']);
    assert.deepEqual(run, { status: 2, stdout: 'a.txt:1:1: wrod -> word\n', stderr: 'spellshell: cannot read missing.txt: no such file\n' });
    assert.equal(spellshell(dir, ['--lang', 'xx_ONE', '--dict-dir', '.', 'b.txt', '.']).status, 2, 'a folder is no file');
  });

  test('--list-dictionaries prints language<TAB>folder, the --dict-dir ones included', (t) => {
    const dir = setUp(t);
    const run = spellshell(dir, ['--list-dictionaries', '--dict-dir', dir]);
    assert.equal(run.status, 0);
    const lines = run.stdout.trim().split('\n');
    assert.ok(lines.includes(`xx_ONE\t${dir}`) && lines.includes(`xx_TWO\t${dir}`), run.stdout);
    if (process.platform !== 'win32') assert.ok(lines.includes('en_US\t/usr/share/hunspell'), 'Debian\'s hunspell-en-us');
  });

  test('without --lang the language comes from the locale', (t) => {
    const dir = setUp(t, { 'a.txt': 'bonjour hello\n' });
    const run = spellshell(dir, ['--dict-dir', '.', '--suggest', '0', 'a.txt'], { env: { LANG: 'xx_TWO.UTF-8' } });
    assert.equal(run.stdout, 'a.txt:1:9: hello\n');
  });

  // [environment, the language chosen] with xx_ONE in the dictionary folder.
  const LOCALES = [
    [{ LANG: 'xx_ONE.UTF-8' }, 'xx_ONE'],
    [{ LANG: 'en_GB.UTF-8', LC_MESSAGES: 'xx_ONE' }, 'xx_ONE'],
    [{ LANG: 'en_GB.UTF-8', LC_MESSAGES: 'zz_ZZ', LC_ALL: 'xx_ONE.UTF-8@euro' }, 'xx_ONE'],
    [{ LC_ALL: 'C' }, 'en_US'],
    [{ LC_ALL: 'POSIX', LANG: 'xx_ONE' }, 'en_US'],
    [{}, 'en_US'],
    [{ LANG: 'zz_ZZ.UTF-8' }, 'en_US'],
  ];
  for (const [env, language] of LOCALES) {
    test(`the locale ${JSON.stringify(env)} means ${language}`, (t) => {
      assert.equal(defaultLanguage(env, [setUp(t)]), language);
    });
  }
});
