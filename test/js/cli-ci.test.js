'use strict';
// The command line in CI: the cache strategies, --file-list, --shard, and the SARIF reporter
// (validated against the SARIF 2.1.0 schema).
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const Ajv = require('ajv-draft-04');
const addFormats = require('ajv-formats');
const { setUp, spellshell, ONE } = require('./cli-helpers');

const CACHE = ['--cache-location', 'cache.json'];

suite('spellshell --cache-strategy', () => {
  const readCache = (dir) => JSON.parse(fs.readFileSync(path.join(dir, 'cache.json'), 'utf8'));
  // Every entry claims the word "cached": a run that trusts the cache prints it.
  function forge(dir) {
    const data = readCache(dir);
    for (const id of Object.keys(data.entries)) data.entries[id] = '9\t9\tcached';
    fs.writeFileSync(path.join(dir, 'cache.json'), JSON.stringify(data));
  }
  // The same size and modification time, other bytes: what an edit within one tick of the file
  // system's clock looks like (the file's time set to a whole second before the first run too).
  const TICK = new Date(2020, 0, 1);
  const sameSizeEdit = (dir) => {
    const file = path.join(dir, 'a.md');
    fs.writeFileSync(file, 'lnie\n');
    fs.utimesSync(file, TICK, TICK);
  };

  const rows = [
    // [strategy, what happens between the runs, the second run's output]
    ['content', () => {}, 'a.md:9:9: cached\n'],
    ['metadata', () => {}, 'a.md:9:9: cached\n'],
    ['content', (dir) => fs.writeFileSync(path.join(dir, 'a.md'), 'wrod  \n'), 'a.md:1:1: wrod\n'],
    ['metadata', (dir) => fs.writeFileSync(path.join(dir, 'a.md'), 'wrod  \n'), 'a.md:1:1: wrod\n'],
    // The modification time alone: content still trusts the bytes; metadata checks again.
    ['content', (dir) => fs.utimesSync(path.join(dir, 'a.md'), new Date(2001, 1, 1), new Date(2001, 1, 1)), 'a.md:9:9: cached\n'],
    ['metadata', (dir) => fs.utimesSync(path.join(dir, 'a.md'), new Date(2001, 1, 1), new Date(2001, 1, 1)), 'a.md:1:1: wrod\n'],
    // Metadata's documented limit.
    ['content', sameSizeEdit, 'a.md:1:1: lnie\n'],
    ['metadata', sameSizeEdit, 'a.md:9:9: cached\n'],
  ];
  for (const [strategy, between, expected] of rows) {
    test(`${strategy}: ${between.name || between.toString().slice(0, 60)}`, (t) => {
      const dir = setUp(t, { 'a.md': 'wrod\n' });
      fs.utimesSync(path.join(dir, 'a.md'), TICK, TICK);
      const args = [...ONE, ...CACHE, '--cache-strategy', strategy, 'a.md'];
      assert.equal(spellshell(dir, args).stdout, 'a.md:1:1: wrod\n');
      forge(dir);
      between(dir);
      assert.equal(spellshell(dir, args).stdout, expected);
    });
  }

  test('metadata does not read an unchanged file; content does', { skip: (process.platform === 'win32' || process.getuid?.() === 0) && 'needs a file this user cannot read' }, (t) => {
    const dir = setUp(t, { 'a.md': 'wrod\n' });
    for (const strategy of ['metadata', 'content']) spellshell(dir, [...ONE, ...CACHE, '--cache-strategy', strategy, 'a.md']);
    fs.chmodSync(path.join(dir, 'a.md'), 0);
    t.after(() => fs.chmodSync(path.join(dir, 'a.md'), 0o644));
    assert.deepEqual(spellshell(dir, [...ONE, ...CACHE, '--cache-strategy', 'metadata', 'a.md']), { status: 1, stdout: 'a.md:1:1: wrod\n', stderr: '' });
    assert.equal(spellshell(dir, [...ONE, ...CACHE, '--cache-strategy', 'content', 'a.md']).stderr, 'spellshell: cannot check a.md: permission denied\n');
  });

  test('an unknown strategy is a usage error', (t) => {
    const dir = setUp(t);
    assert.equal(spellshell(dir, [...ONE, '--cache-strategy', 'mtime', 'a.md']).stderr.split(' (usage')[0], 'spellshell: unknown cache strategy "mtime" (strategies: content, metadata)');
  });
});

suite('spellshell --file-list', () => {
  const FILES = {
    'a.md': 'wrod\n', 'b.txt': 'lnie\n', 'image.png': 'wrod\n', 'gen/x.md': 'wrod\n', 'node_modules/p/README.md': 'wrod\n',
    'ignored.md': 'wrod\n', '.gitignore': 'ignored.md\n', 'docs/c.md': 'tow\n', 'docs/d.md': 'twoo\n',
  };

  test('the listed files that a folder\'s walk would take, in list order; folders walked; missing files reported', (t) => {
    const dir = setUp(t, FILES);
    fs.mkdirSync(path.join(dir, '.git'));
    fs.writeFileSync(path.join(dir, 'list.txt'), 'b.txt\r\nimage.png\n\ngen/x.md\nnode_modules/p/README.md\nignored.md\ndeleted.md\na.md\ndocs\n');
    const run = spellshell(dir, [...ONE, '--exclude', 'gen', '--file-list', 'list.txt']);
    assert.deepEqual(run, {
      status: 2,
      // A folder's files are named with the platform's separator, as from the command line.
      stdout: `b.txt:1:1: lnie\na.md:1:1: wrod\n${path.join('docs', 'c.md')}:1:1: tow\n${path.join('docs', 'd.md')}:1:1: twoo\n`,
      stderr: 'spellshell: cannot read deleted.md: no such file or folder\n',
    });
  });

  test('- reads the list from standard input, as git diff --name-only prints it; files named beside it are checked too', (t) => {
    const dir = setUp(t, FILES);
    assert.deepEqual(spellshell(dir, [...ONE, '--file-list', '-', 'docs/c.md'], { input: 'a.md\nb.txt\n' }), { status: 1, stdout: 'docs/c.md:1:1: tow\na.md:1:1: wrod\nb.txt:1:1: lnie\n', stderr: '' });
    assert.deepEqual(spellshell(dir, [...ONE, '--file-list', '-'], { input: '' }), { status: 0, stdout: '', stderr: '' });
  });

  test('a list that cannot be read, and standard input asked for twice', (t) => {
    const dir = setUp(t, FILES);
    assert.deepEqual(spellshell(dir, [...ONE, '--file-list', 'nowhere.txt', 'a.md']), { status: 2, stdout: 'a.md:1:1: wrod\n', stderr: 'spellshell: cannot read the file list nowhere.txt: no such file or folder\n' });
    assert.equal(spellshell(dir, [...ONE, '--file-list', '-', '--file-list', '-']).stderr.split(' (usage')[0], 'spellshell: standard input can be read once: as a file list or as a file (-), not both');
  });
});

suite('spellshell --shard', () => {
  test('N shards check every file exactly once, whatever the order of the arguments', (t) => {
    const files = Object.fromEntries(Array.from({ length: 30 }, (_, i) => [`f${i}/n${i}.md`, `wrod${'x'.repeat(i)}\n`]));
    const dir = setUp(t, files);
    const names = Object.keys(files);
    const share = (index, count, args) => spellshell(dir, [...ONE, '--shard', `${index}/${count}`, ...args]).stdout.split('\n').filter(Boolean).map((line) => line.split(':')[0]);
    for (const count of [1, 2, 3, 7]) {
      const shares = Array.from({ length: count }, (_, i) => share(i + 1, count, ['.']));
      assert.deepEqual(shares.flat().sort(), names.map((n) => n.split('/').join(path.sep)).sort(), `${count} shards`);
      // Named one by one, in reverse: the same shares.
      const reversed = Array.from({ length: count }, (_, i) => share(i + 1, count, [...names].reverse()).sort());
      assert.deepEqual(reversed, shares.map((s) => s.map((n) => n.split(path.sep).join('/')).sort()), `${count} shards, files named in reverse`);
    }
  });

  test('a share of nothing is no error; bad shards are usage errors', (t) => {
    const dir = setUp(t, { 'a.md': 'wrod\n' });
    const statuses = [1, 2, 3].map((i) => spellshell(dir, [...ONE, '--shard', `${i}/3`, 'a.md']).status);
    assert.deepEqual(statuses.sort(), [0, 0, 1]);
    for (const bad of ['0/3', '4/3', '1/0', 'a/b', '2']) {
      assert.equal(spellshell(dir, [...ONE, '--shard', bad, 'a.md']).stderr.split(' (usage')[0], `spellshell: --shard needs I/N with 1 <= I <= N, not "${bad}"`);
    }
  });
});

suite('spellshell --reporter sarif', () => {
  const schema = require('@microsoft/jest-sarif/lib/schemas/sarif-2.1.0-rtm.5.json');
  // The schema's patterns are ECMAScript regular expressions of the non-Unicode kind.
  const ajv = new Ajv({ allErrors: true, strict: false, unicodeRegExp: false });
  addFormats(ajv);
  const validate = ajv.compile(schema);
  const valid = (log) => {
    assert.ok(validate(log), JSON.stringify(validate.errors, null, 1));
    return log;
  };

  test('a valid SARIF 2.1.0 log: one result per misspelling, with its region and the rule', (t) => {
    const dir = setUp(t, { 'docs/a b.md': '# Title\n\nA wrod, caf&eacute; and lnie.\n', 'c.txt': 'hello\n' });
    const run = spellshell(dir, [...ONE, '--reporter', 'sarif', 'docs', 'c.txt']);
    assert.equal(run.status, 1);
    const log = valid(JSON.parse(run.stdout));
    assert.equal(log.version, '2.1.0');
    const [sarifRun] = log.runs;
    assert.deepEqual(sarifRun.tool.driver.rules.map((r) => r.id), ['misspelled-word']);
    assert.equal(sarifRun.columnKind, 'utf16CodeUnits');
    assert.deepEqual(sarifRun.results.map((r) => [r.ruleId, r.message.text, r.locations[0].physicalLocation.artifactLocation.uri, r.locations[0].physicalLocation.region]), [
      ['misspelled-word', 'Misspelled word "wrod"', 'docs/a%20b.md', { startLine: 3, startColumn: 3, endLine: 3, endColumn: 7 }],
      // A decoded character reference: the region covers its source.
      ['misspelled-word', 'Misspelled word "café"', 'docs/a%20b.md', { startLine: 3, startColumn: 9, endLine: 3, endColumn: 20 }],
      ['misspelled-word', 'Misspelled word "lnie"', 'docs/a%20b.md', { startLine: 3, startColumn: 25, endLine: 3, endColumn: 29 }],
    ]);
    assert.equal(sarifRun.results.some((r) => 'fixes' in r), false, 'no suggestions, no fixes');
  });

  test('suggestions become fixes; --unique gives each word once with its count; standard input and nothing found are valid too', (t) => {
    const dir = setUp(t, { 'a.md': 'wrod and wrod\n' });
    const log = valid(JSON.parse(spellshell(dir, [...ONE, '--reporter', 'sarif', '--suggest', '2', '--unique', 'a.md']).stdout));
    const [wrod] = log.runs[0].results;
    assert.equal(wrod.message.text, 'Misspelled word "wrod" (2 times); suggestions: word');
    assert.deepEqual(wrod.fixes.map((f) => [f.description.text, f.artifactChanges[0].replacements[0].insertedContent.text, f.artifactChanges[0].replacements[0].deletedRegion]), [
      ['Replace with "word"', 'word', { startLine: 1, startColumn: 1, endLine: 1, endColumn: 5 }],
    ]);
    const stdin = valid(JSON.parse(spellshell(dir, [...ONE, '--reporter', 'sarif', '-'], { input: 'wrod' }).stdout));
    assert.deepEqual(stdin.runs[0].results[0].locations[0].physicalLocation.artifactLocation, { description: { text: 'standard input' } });
    const clean = spellshell(dir, [...ONE, '--reporter', 'sarif', '-'], { input: 'hello' });
    assert.equal(clean.status, 0);
    assert.deepEqual(valid(JSON.parse(clean.stdout)).runs[0].results, []);
  });
});

test('--help lists the extensions of every format', (t) => {
  const dir = setUp(t);
  const formats = spellshell(dir, ['--help']).stdout.split('Formats, chosen by file name')[1].split('\nIn folders')[0];
  assert.match(formats, /^ {2}code:dash {3}\.sql \.lua .*\(-- comments, strings\)$/m);
  for (const line of formats.split('\n').slice(1)) assert.match(line, /^ {2}\S+ +\S/, line);
});
