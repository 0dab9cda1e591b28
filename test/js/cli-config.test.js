'use strict';
// The spellshell command with a project config: the project's words, its settings, the command
// line's options over them, and a config that cannot be read.
const assert = require('node:assert/strict');
const path = require('node:path');
const { suite, test } = require('node:test');
const { setUp, spellshell, ONE } = require('./cli-helpers');

const config = (settings) => JSON.stringify(settings, null, 2);

suite('spellshell with a project config', () => {
  test('the project\'s words are accepted everywhere under its folder, lowercase ones also Capitalised', (t) => {
    const dir = setUp(t, {
      '.spellshell.json': config({ words: ['spellshell', 'Hunspell'], ignoreWords: ['npm'] }),
      'docs/deep/a.md': 'Spellshell spellshell SPELLSHELL hunspell Hunspell npm qqq\n',
    });
    const run = spellshell(path.join(dir, 'docs', 'deep'), ['--lang', 'xx_ONE', '--dict-dir', dir, 'a.md']);
    assert.deepEqual(run, { status: 1, stdout: 'a.md:1:34: hunspell\na.md:1:56: qqq\n', stderr: '' });
  });

  test('the project\'s words do not hold in files outside its folder', (t) => {
    const dir = setUp(t, { 'project/.spellshell.json': config({ words: ['qqq'] }), 'project/a.md': 'qqq\n', 'b.md': 'qqq\n' });
    const run = spellshell(path.join(dir, 'project'), ['--lang', 'xx_ONE', '--dict-dir', dir, '--cache', 'a.md', path.join('..', 'b.md'), '-'], { input: 'qqq\n' });
    assert.deepEqual(run, { status: 1, stdout: `${path.join('..', 'b.md')}:1:1: qqq\n`, stderr: '' });
  });

  test('languages, suggest, personal, include, exclude and formats come from the config', (t) => {
    const dir = setUp(t, {
      '.spellshell.json': config({
        languages: ['xx_TWO'], suggest: 1, personal: 'cfg/mine.txt', include: ['*.rtf'], exclude: ['docs/skip'], formats: { '*.mdx': 'markdown' },
      }),
      'cfg/mine.txt': 'mot\n',
      'docs/a.rtf': 'bonjour mot bonjoru\n',
      'docs/b.mdx': 'bonjoru\n',
      'docs/c.unknown': 'bonjoru\n',
      'docs/skip/d.md': 'bonjoru\n',
    });
    const run = spellshell(dir, ['--dict-dir', '.', 'docs']);
    assert.deepEqual(run, {
      status: 1,
      stdout: `${path.join('docs', 'a.rtf')}:1:13: bonjoru -> bonjour\n${path.join('docs', 'b.mdx')}:1:1: bonjoru -> bonjour\n`,
      stderr: '',
    });
  });

  test('options on the command line win over the config; --no-config reads none', (t) => {
    const dir = setUp(t, {
      '.spellshell.json': config({ languages: ['xx_TWO'], suggest: 1, words: ['qqq'], exclude: ['*.md'] }),
      'a.md': 'hord qqq\n',
    });
    assert.deepEqual(spellshell(dir, [...ONE, '--suggest', '0', '.']).stderr, 'spellshell: no file to check in . (none of a known format, or all left out)\n', 'exclude holds');
    assert.equal(spellshell(dir, [...ONE, '--suggest', '0', 'a.md']).stdout, 'a.md:1:1: hord\n');
    assert.equal(spellshell(dir, [...ONE, 'a.md']).stdout, 'a.md:1:1: hord -> lord\n');
    assert.equal(spellshell(dir, [...ONE, '--no-config', 'a.md']).stdout, 'a.md:1:1: hord\na.md:1:6: qqq\n');
  });

  // [config file, contents, the stderr line after "spellshell: <file>, "]
  const BAD = [
    ['.spellshell.json', '{\n  "words": ["a"]\n  "suggest": 1\n}', 'line 3: not valid JSON: unexpected "\\"", expected "," or "}"'],
    ['.spellshell.json', '{\n  "words": ["a"],\n  "dictionary": "x"\n}', 'line 3: unknown key "dictionary" (known: languages, words, ignoreWords, include, exclude, formats, suggest, personal, anyLanguage, vocabularies)'],
    ['.spellshell.json', '{\n  "suggest": "5"\n}', 'line 2: "suggest" must be a whole number'],
    ['cspell.json', '{\n  "ignorePaths": "build"\n}', 'line 2: "ignorePaths" must be an array of glob patterns'],
  ];
  for (const [name, contents, message] of BAD) {
    test(`a bad ${name} exits 2 naming the file, the line and the key: ${message.slice(0, 40)}`, (t) => {
      const dir = setUp(t, { [name]: contents, 'a.md': 'hello\n' });
      assert.deepEqual(spellshell(dir, [...ONE, 'a.md']), { status: 2, stdout: '', stderr: `spellshell: ${path.join(dir, name)}, ${message}\n` });
    });
  }

  test('a project with the other tool\'s config keeps its word list, ignored paths and language', (t) => {
    const dir = setUp(t, {
      '.cspell.json': '{\n  // written for the other tool\n  "version": "0.2",\n  "language": "xx_ONE",\n  "words": ["spellshell"],\n  "ignoreWords": ["qqq"],\n  "ignorePaths": ["vendor/**"],\n}\n',
      'docs/a.md': 'hello spellshell qqq wrod\n',
      'vendor/b.md': 'wrod\n',
    });
    assert.deepEqual(spellshell(dir, ['--dict-dir', '.', '.']), { status: 1, stdout: `${path.join('docs', 'a.md')}:1:22: wrod\n`, stderr: '' });
  });
});
