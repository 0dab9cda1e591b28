'use strict';
// The language server through a scripted client: documents, their diagnostics and edits, the
// re-checks an edit causes, the formats chosen by language id, quick fixes and their commands,
// and the settings (the editor's and the project's).
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const { summary } = require('./lsp/client');
const { setUp, recording } = require('./lsp/setup');
const { madeUpWord } = require('./helpers');

suite('language server: documents and diagnostics', () => {
  test('initialize offers incremental sync in UTF-16, quick fixes, the three commands and pulled diagnostics', async (t) => {
    const { client } = await setUp(t);
    assert.deepEqual(client.initializeResult.capabilities, {
      positionEncoding: 'utf-16',
      textDocumentSync: { openClose: true, change: 2 },
      codeActionProvider: { codeActionKinds: ['quickfix'] },
      executeCommandProvider: { commands: ['spellshell.addToPersonalDictionary', 'spellshell.addToProjectWords', 'spellshell.ignoreInDocument'] },
      workspace: { workspaceFolders: { supported: true, changeNotifications: true } },
      diagnosticProvider: { identifier: 'spellshell', interFileDependencies: false, workspaceDiagnostics: true },
    });
    assert.equal(client.initializeResult.serverInfo.name, 'spellshell');
  });

  test('an opened document gets one diagnostic per misspelling: range, severity, source, message, word', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('a.txt'), 'hello wrod\nthe lnie', 'plaintext', 7);
    const message = await client.next((m) => m.method === 'textDocument/publishDiagnostics');
    assert.deepEqual(message.params, {
      uri: uri('a.txt'),
      version: 7,
      diagnostics: [
        { range: { start: { line: 0, character: 6 }, end: { line: 0, character: 10 } }, severity: 3, source: 'spellshell', message: '"wrod" is misspelled', data: 'wrod' },
        { range: { start: { line: 1, character: 4 }, end: { line: 1, character: 8 } }, severity: 3, source: 'spellshell', message: '"lnie" is misspelled', data: 'lnie' },
      ],
    });
  });

  test('incremental edits count UTF-16 units past multi-byte and astral characters, over LF, CRLF and CR', async (t) => {
    const { client, uri } = await setUp(t);
    const doc = uri('b.txt');
    client.open(doc, 'é 😀 wrod\r\n𝒜𝒶 hello\rtext lnie\n');
    assert.deepEqual(summary(await client.diagnostics(doc, 1)), ['é 0:0-0:1', 'wrod 0:5-0:9', '𝒜𝒶 1:0-1:4', 'lnie 2:5-2:9']);
    const edits = [
      // [changes, expected diagnostics]
      [[{ range: { start: { line: 0, character: 5 }, end: { line: 0, character: 9 } }, text: 'word' }], ['é 0:0-0:1', '𝒜𝒶 1:0-1:4', 'lnie 2:5-2:9']],
      [[{ range: { start: { line: 1, character: 6 }, end: { line: 1, character: 6 } }, text: 'x' }], ['é 0:0-0:1', '𝒜𝒶 1:0-1:4', 'hxello 1:5-1:11', 'lnie 2:5-2:9']],
      // Several changes in one notification, applied in order; the second joins two lines.
      [[{ range: { start: { line: 0, character: 0 }, end: { line: 0, character: 2 } }, text: '' },
        { range: { start: { line: 0, character: 7 }, end: { line: 1, character: 0 } }, text: ' ' }], ['𝒜𝒶 0:8-0:12', 'hxello 0:13-0:19', 'lnie 1:5-1:9']],
      // A character past its line's end means the line's end; a line past the end, the end.
      [[{ range: { start: { line: 0, character: 99 }, end: { line: 0, character: 99 } }, text: ' wrold' }], ['𝒜𝒶 0:8-0:12', 'hxello 0:13-0:19', 'wrold 0:20-0:25', 'lnie 1:5-1:9']],
      [[{ range: { start: { line: 9, character: 0 }, end: { line: 9, character: 0 } }, text: 'tw\u00f6' }], ['𝒜𝒶 0:8-0:12', 'hxello 0:13-0:19', 'wrold 0:20-0:25', 'lnie 1:5-1:9', 'twö 2:0-2:3']],
      // A whole new text.
      [[{ text: 'one\n\ntow' }], ['tow 2:0-2:3']],
    ];
    for (const [i, [changes, expected]] of edits.entries()) {
      client.change(doc, i + 2, changes);
      assert.deepEqual(summary(await client.diagnostics(doc, i + 2)), expected, `edit ${i + 2}`);
    }
  });

  test('after an edit only the changed paragraph goes to the service', async (t) => {
    const { calls, openService } = recording();
    const { client, uri } = await setUp(t, {}, { openService });
    const doc = uri('c.md');
    client.open(doc, 'hello wrod\n\nthe second lnie\n\none two\n', 'markdown');
    await client.diagnostics(doc, 1);
    assert.deepEqual(calls.map((c) => c.text), ['hello wrod\n\nthe second lnie\n\none two\n']);
    client.change(doc, 2, [{ range: { start: { line: 2, character: 11 }, end: { line: 2, character: 15 } }, text: 'line' }]);
    assert.deepEqual(summary(await client.diagnostics(doc, 2)), ['wrod 0:6-0:10']);
    client.change(doc, 3, [{ range: { start: { line: 4, character: 7 }, end: { line: 4, character: 7 } }, text: ' thre' }]);
    assert.deepEqual(summary(await client.diagnostics(doc, 3)), ['wrod 0:6-0:10', 'thre 4:8-4:12']);
    assert.deepEqual(calls.map((c) => c.text).slice(1), ['the second line\n\n', 'one two thre\n']);
  });

  test('a large document just opened gets the diagnostics of its top first, then all of them', async (t) => {
    const { client, uri } = await setUp(t);
    const doc = uri('large.md');
    // Each paragraph its own misspelling (a word the document repeats is one of its terms), of
    // the same length: q and four letters.
    const paragraph = (i) => `hello world ${madeUpWord(i)}\n\n`;
    client.open(doc, Array.from({ length: 20000 }, (_, i) => paragraph(i)).join(''), 'markdown'); // 360,000 units
    const first = await client.diagnostics(doc, 1);
    const all = await client.diagnostics(doc, 1);
    assert.equal(all.length, 20000);
    // The paragraphs up to the one that reaches 64 Ki units: 3641 of 18 units.
    assert.equal(first.length, Math.ceil(64 * 1024 / paragraph(0).length));
    assert.deepEqual(first, all.slice(0, first.length));
  });

  test('the newest edit wins: older checks are aborted, requests are answered while a check runs', async (t) => {
    const { calls, gate, openService } = recording();
    const { client, uri } = await setUp(t, {}, { openService });
    const doc = uri('d.txt');
    gate.closed = true;
    client.open(doc, 'wrod');
    while (calls.length === 0) await new Promise((resolve) => setTimeout(resolve, 5));
    // The check waits at the gate: the server still answers.
    const reply = await client.request('textDocument/codeAction', { textDocument: { uri: doc }, range: { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } }, context: { diagnostics: [] } });
    assert.deepEqual(reply.result, []);
    client.change(doc, 2, [{ text: 'lnie' }]);
    while (calls.length === 1) await new Promise((resolve) => setTimeout(resolve, 5));
    assert.equal(calls[0].options.signal.aborted, true, 'the first check was aborted');
    assert.equal(calls[1].options.signal.aborted, false);
    gate.open();
    assert.deepEqual(summary(await client.diagnostics(doc)), ['lnie 0:0-0:4'], 'the first diagnostics are the second version\'s');
  });

  test('the language id chooses the format; settings override it by language id', async (t) => {
    const { calls, openService } = recording();
    const { client, uri } = await setUp(t, { formats: { shellscript: 'plain' } }, { openService });
    const rows = [['markdown', 'markdown'], ['html', 'html'], ['plaintext', 'plain'], ['python', 'code:hash'], ['typescript', 'code:c'], ['shellscript', 'plain'], ['no-such-language', 'plain']];
    for (const [i, [languageId]] of rows.entries()) {
      client.open(uri(`f${i}`), `wrod ${i}`, languageId);
      await client.diagnostics(uri(`f${i}`));
    }
    assert.deepEqual(calls.map((c) => c.options.format), rows.map(([, format]) => format));
  });

  test('severity comes from the settings and changes with didChangeConfiguration', async (t) => {
    const { client, uri, dir } = await setUp(t, { severity: 'warning' });
    client.open(uri('e.txt'), 'wrod');
    assert.deepEqual((await client.diagnostics(uri('e.txt'))).map((d) => d.severity), [2]);
    client.notify('workspace/didChangeConfiguration', { settings: { spellshell: { languages: ['xx_ONE'], dictionaryDirs: [dir], severity: 'error', personalDictionary: null } } });
    assert.deepEqual((await client.diagnostics(uri('e.txt'))).map((d) => d.severity), [1]);
  });

  test('a closed document\'s text and state are freed', async (t) => {
    const v8 = require('node:v8');
    v8.setFlagsFromString('--expose-gc');
    const gc = require('node:vm').runInNewContext('gc');
    const { client, uri } = await setUp(t);
    const text = `${'hello world\n\n'.repeat(80000)}wrod`; // 1 MB
    // The least heap over a few collections some milliseconds apart: work still finishing (a
    // publication on its way, on a slow sanitized run) may hold a text for a moment; a document
    // kept holds it at every collection.
    const heap = async () => {
      let least = Infinity;
      for (let i = 0; i < 6; i++) {
        gc();
        await new Promise((resolve) => setTimeout(resolve, 20));
        least = Math.min(least, process.memoryUsage().heapUsed);
      }
      return least;
    };
    const used = [];
    for (let i = 0; i < 5; i++) {
      client.open(uri(`big${i}.txt`), text);
      while ((await client.diagnostics(uri(`big${i}.txt`))).length === 0);
      client.notify('textDocument/didClose', { textDocument: { uri: uri(`big${i}.txt`) } });
      assert.deepEqual(await client.diagnostics(uri(`big${i}.txt`)), []);
      used.push(await heap());
    }
    // A document kept would hold at least its megabyte (and its blocks' texts).
    assert.ok(used[4] - used[1] < 1024 * 1024, `heap after each cycle: ${used.map((u) => (u / 1048576).toFixed(1)).join(', ')} MB`);
  });

  test('a closed document is cleared in the editor and forgotten by the server', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('g.txt'), 'wrod');
    await client.diagnostics(uri('g.txt'));
    client.notify('textDocument/didClose', { textDocument: { uri: uri('g.txt') } });
    assert.deepEqual(await client.diagnostics(uri('g.txt')), []);
    const reply = await client.request('textDocument/codeAction', { textDocument: { uri: uri('g.txt') }, range: { start: { line: 0, character: 0 }, end: { line: 0, character: 1 } }, context: { diagnostics: [] } });
    assert.deepEqual(reply.error, { code: -32602, message: `${uri('g.txt')} is not open` });
  });
});
