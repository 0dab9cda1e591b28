'use strict';
// Pulled diagnostics: textDocument/diagnostic (result ids, "unchanged", never a stale or partial
// report) and workspace/diagnostic (the workspace folders walked as the command line walks a
// folder, streamed as partial results, files unchanged on disk answered "unchanged"); and that
// pushing stops, and what was pushed is cleared, once the editor pulls.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { suite, test } = require('node:test');
const { Client, summary } = require('./lsp/client');
const { setUp, WORDS } = require('./lsp/setup');
const { fixtureDictionary, madeUpWord } = require('./helpers');
const { writeFiles } = require('./cli-helpers');

const range = (line, from, to) => ({ start: { line, character: from }, end: { line, character: to } });

suite('language server: textDocument/diagnostic', () => {
  test('a full report with a result id, then "unchanged" while the diagnostics are the same', async (t) => {
    const { client, uri } = await setUp(t);
    const doc = uri('a.txt');
    client.open(doc, 'hello wrod\nthe lnie');
    const first = await client.result('textDocument/diagnostic', { textDocument: { uri: doc } });
    assert.equal(first.kind, 'full');
    assert.equal(typeof first.resultId, 'string');
    assert.deepEqual(summary(first.items), ['wrod 0:6-0:10', 'lnie 1:4-1:8']);
    assert.deepEqual(first.items[0], { range: range(0, 6, 10), severity: 3, source: 'spellshell', message: '"wrod" is misspelled', data: 'wrod' });
    assert.deepEqual(await client.result('textDocument/diagnostic', { textDocument: { uri: doc }, previousResultId: first.resultId }), { kind: 'unchanged', resultId: first.resultId });
    // An edit that changes no diagnostic (a word added after the last one on its line).
    client.change(doc, 2, [{ range: range(1, 8, 8), text: ' one' }]);
    assert.deepEqual(await client.result('textDocument/diagnostic', { textDocument: { uri: doc }, previousResultId: first.resultId }), { kind: 'unchanged', resultId: first.resultId });
    // An edit that does: the report is that of the new text, never the old one's.
    client.change(doc, 3, [{ range: range(0, 6, 10), text: 'word' }]);
    const second = await client.result('textDocument/diagnostic', { textDocument: { uri: doc }, previousResultId: first.resultId });
    assert.equal(second.kind, 'full');
    assert.notEqual(second.resultId, first.resultId);
    assert.deepEqual(summary(second.items), ['lnie 1:4-1:8']);
  });

  test('once the editor pulls, pushed diagnostics are cleared and no more are pushed', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('a.txt'), 'wrod');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'), 1)), ['wrod 0:0-0:4']);
    const report = await client.result('textDocument/diagnostic', { textDocument: { uri: uri('a.txt') } });
    assert.deepEqual(summary(report.items), ['wrod 0:0-0:4']);
    assert.deepEqual(await client.diagnostics(uri('a.txt')), [], 'what was pushed is cleared');
    client.open(uri('b.txt'), 'lnie');
    assert.deepEqual(summary((await client.result('textDocument/diagnostic', { textDocument: { uri: uri('b.txt') } })).items), ['lnie 0:0-0:4']);
    client.notify('textDocument/didClose', { textDocument: { uri: uri('a.txt') } });
    await client.result('textDocument/diagnostic', { textDocument: { uri: uri('b.txt') } });
    assert.deepEqual(client.received.filter((m) => m.method === 'textDocument/publishDiagnostics'), []);
  });

  test('a large document just opened is reported whole, never by its top alone', async (t) => {
    const { client, uri } = await setUp(t);
    const doc = uri('large.md');
    client.open(doc, Array.from({ length: 20000 }, (_, i) => `hello world ${madeUpWord(i)}\n\n`).join(''), 'markdown'); // 380,000 units: pushed in two steps
    const report = await client.result('textDocument/diagnostic', { textDocument: { uri: doc } });
    assert.equal(report.items.length, 20000);
  });

  test('a file that is not open is read from disk; a URI that names no file is refused', async (t) => {
    const { client, uri, dir } = await setUp(t);
    fs.writeFileSync(path.join(dir, 'disk.md'), '# Tilte\n\nThe wrod.\n\n```\nqwzzyx\n```\n');
    const first = await client.result('textDocument/diagnostic', { textDocument: { uri: uri('disk.md') } });
    assert.deepEqual(summary(first.items), ['Tilte 0:2-0:7', 'wrod 2:4-2:8']);
    assert.deepEqual(await client.result('textDocument/diagnostic', { textDocument: { uri: uri('disk.md') }, previousResultId: first.resultId }), { kind: 'unchanged', resultId: first.resultId });
    assert.deepEqual((await client.request('textDocument/diagnostic', { textDocument: { uri: 'untitled:Untitled-1' } })).error, { code: -32602, message: 'untitled:Untitled-1 is not open' });
  });

  test('a personal word added asks the editor to pull again, and the next pull leaves it out', async (t) => {
    const { client, uri } = await setUp(t, {}, { capabilities: { workspace: { diagnostics: { refreshSupport: true } } } });
    client.open(uri('a.txt'), 'wrod lnie');
    assert.deepEqual(summary((await client.result('textDocument/diagnostic', { textDocument: { uri: uri('a.txt') } })).items), ['wrod 0:0-0:4', 'lnie 0:5-0:9']);
    await client.result('workspace/executeCommand', { command: 'spellshell.addToPersonalDictionary', arguments: [uri('a.txt'), 'wrod'] });
    await client.next((m) => m.method === 'workspace/diagnostic/refresh', 'a refresh request');
    assert.deepEqual(summary((await client.result('textDocument/diagnostic', { textDocument: { uri: uri('a.txt') } })).items), ['lnie 0:5-0:9']);
  });
});

suite('language server: workspace/diagnostic', () => {
  // A workspace folder of files of every kind, some left out by .gitignore, by the project's
  // exclude, by their kind, or by being in node_modules.
  const FILES = {
    '.spellshell.json': JSON.stringify({ exclude: ['generated/**'], words: ['projword'] }),
    '.gitignore': 'ignored.md\nbuild/\n',
    'a.md': '# Notes\n\nA wrod and a projword.\n',
    'b.txt': 'lnie one\r\ntwo tow\n',
    'code.js': '// a comnet here\nconst wrod = 1;\n',
    'clean.md': 'hello world\n',
    'image.png': 'not a known kind',
    'ignored.md': 'wrod',
    'build/out.md': 'wrod',
    'generated/api.md': 'wrod',
    'node_modules/pkg/README.md': 'wrod',
    'sub/deep/c.md': 'the wrold\n',
  };

  async function workspace(t, capabilities = {}) {
    const dictionaries = fixtureDictionary(t, 'xx_ONE', [...WORDS, 'a', 'and', 'here', 'longer']);
    const root = path.join(dictionaries, 'project');
    writeFiles(root, FILES);
    fs.mkdirSync(path.join(root, '.git'));
    const client = Client.inProcess(t);
    await client.start({ languages: ['xx_ONE'], dictionaryDirs: [dictionaries], personalDictionary: null }, { capabilities, workspaceFolders: [{ uri: pathToFileURL(root).href, name: 'project' }] });
    const uri = (name) => pathToFileURL(path.join(root, name)).href;
    return { client, root, uri };
  }

  const byUri = (items, uri) => Object.fromEntries(items.map((item) => [item.uri.slice(uri('').length + 1), item]));

  test('every file the project takes, streamed as partial results; the final answer is empty', async (t) => {
    const { client, uri } = await workspace(t);
    const result = await client.result('workspace/diagnostic', { previousResultIds: [], partialResultToken: 'pull-1' });
    assert.deepEqual(result, { items: [] });
    const items = client.received.filter((m) => m.method === '$/progress' && m.params.token === 'pull-1').flatMap((m) => m.params.value.items);
    const reports = byUri(items, uri);
    // As the command line takes them: .gitignore is a file of '#' comments, read as such.
    assert.deepEqual(Object.keys(reports), ['.gitignore', 'a.md', 'b.txt', 'clean.md', 'code.js', 'sub/deep/c.md']);
    assert.deepEqual(Object.fromEntries(Object.entries(reports).map(([name, r]) => [name, summary(r.items)])), {
      '.gitignore': [],
      'a.md': ['Notes 0:2-0:7', 'wrod 2:2-2:6'],
      'b.txt': ['lnie 0:0-0:4', 'tow 1:4-1:7'],
      'clean.md': [],
      'code.js': ['comnet 0:5-0:11'],
      'sub/deep/c.md': ['wrold 0:4-0:9'],
    });
    for (const report of items) {
      assert.equal(report.kind, 'full');
      assert.equal(report.version, null);
      assert.equal(typeof report.resultId, 'string');
    }
  });

  test('without a partial result token, all reports come in the answer', async (t) => {
    const { client, uri } = await workspace(t);
    const { items } = await client.result('workspace/diagnostic', { previousResultIds: [] });
    assert.deepEqual(Object.keys(byUri(items, uri)), ['.gitignore', 'a.md', 'b.txt', 'clean.md', 'code.js', 'sub/deep/c.md']);
    assert.deepEqual(client.received.filter((m) => m.method === '$/progress'), []);
  });

  test('files unchanged since the previous pull are "unchanged"; a changed one, and an open one, are reported anew', async (t) => {
    const { client, uri, root } = await workspace(t);
    const { items: first } = await client.result('workspace/diagnostic', { previousResultIds: [] });
    const previousResultIds = first.map((r) => ({ uri: r.uri, value: r.resultId }));
    fs.writeFileSync(path.join(root, 'b.txt'), 'a longer text, lnie\n');
    client.open(uri('clean.md'), 'hello wrod\n', 'markdown', 4);
    const { items: second } = await client.result('workspace/diagnostic', { previousResultIds });
    const reports = byUri(second, uri);
    assert.deepEqual(Object.fromEntries(Object.entries(reports).map(([name, r]) => [name, r.kind])), {
      '.gitignore': 'unchanged', 'a.md': 'unchanged', 'b.txt': 'full', 'clean.md': 'full', 'code.js': 'unchanged', 'sub/deep/c.md': 'unchanged',
    });
    assert.deepEqual(summary(reports['b.txt'].items), ['lnie 0:15-0:19']);
    assert.deepEqual({ version: reports['clean.md'].version, items: summary(reports['clean.md'].items) }, { version: 4, items: ['wrod 0:6-0:10'] });
    assert.equal(reports['a.md'].resultId, previousResultIds.find((p) => p.uri === uri('a.md')).value);
  });
});
