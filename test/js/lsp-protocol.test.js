'use strict';
// The language server's protocol: what it answers to bad frames, bad JSON, unknown methods and
// documents, requests out of turn, and how it ends (exit codes, a closed input), and that it
// outlives its service's worker.
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { suite, test } = require('node:test');
const fs = require('node:fs');
const { Client, summary, frameOf, UNANSWERED } = require('./lsp/client');
const { setUp, recording } = require('./lsp/setup');
const { fixtureDictionary, madeUpWord, systemDictionaryDir } = require('./helpers');

const error = (client) => client.next((m) => m.error !== undefined, 'an error response');

suite('language server: bad input gets error responses, and the server goes on', () => {
  test('unreadable frames and messages', async (t) => {
    const { client } = await setUp(t);
    const body = (text) => `Content-Length: ${Buffer.byteLength(text)}\r\n\r\n${text}`;
    const rows = [
      [body('{"jsonrpc": "2.0", "id": 1, "method":'), { id: null, error: { code: -32700, message: 'invalid JSON: Unexpected end of JSON input' } }],
      ['Content-Type: text/plain\r\n\r\n{"jsonrpc":"2.0","id":5,"method":"shutdown"}', { id: null, error: { code: -32700, message: 'unreadable frame: no Content-Length header' } }],
      ['Content-Length: ten\r\n\r\n{}', { id: null, error: { code: -32700, message: 'unreadable frame: bad Content-Length "ten"' } }],
      ['Content-Length: 2\r\nContent-Type: application/json; charset=latin1\r\n\r\n{}', { id: null, error: { code: -32700, message: 'unreadable frame: unsupported charset "latin1"' } }],
      [body('[1, 2]'), { id: null, error: { code: -32600, message: 'not a JSON-RPC 2.0 message' } }],
      [body('{"jsonrpc": "1.0", "id": 3, "method": "x"}'), { id: 3, error: { code: -32600, message: 'not a JSON-RPC 2.0 message' } }],
      [body('{"jsonrpc": "2.0", "id": {}, "method": "x"}'), { id: null, error: { code: -32600, message: 'a request id must be an integer or a string' } }],
      [body('{"jsonrpc": "2.0", "id": 4}'), { id: 4, error: { code: -32600, message: 'neither a request, a notification nor a response' } }],
    ];
    // In this order, each frame's error is its own: a frame whose header cannot be read has a
    // body of unknown length, taken with what follows up to the next Content-Length.
    for (const [bytes, expected] of rows) {
      client.write(bytes);
      const { jsonrpc, ...answer } = await error(client);
      assert.deepEqual(answer, expected, bytes);
    }
    // Every frame after those is read: the server still answers.
    assert.deepEqual((await client.request('no/such/method', {})).error, { code: -32601, message: 'unknown method no/such/method' });
  });

  test('a frame that announced more than it brought ends where the next frame begins', async (t) => {
    const { client } = await setUp(t);
    client.write('Content-Length: 1048576\r\n\r\n{"jsonrpc":"2.0","method":"$/setTrace"}');
    client.write(frameOf({ id: 'after', method: 'no/such/method' }));
    const { jsonrpc, ...answer } = await error(client);
    assert.deepEqual(answer, { id: null, error: { code: -32700, message: 'unreadable frame: Content-Length 1048576, but the next frame began after 39 bytes' } });
    assert.deepEqual((await error(client)).error, { code: -32601, message: 'unknown method no/such/method' });
    // A body whose text holds what looks like a header is read whole.
    client.open('untitled:h', 'Content-Length: 10\r\n\r\nwrod');
    assert.deepEqual(summary(await client.diagnostics('untitled:h')), ['Content 0:0-0:7', 'Length 0:8-0:14', 'wrod 2:0-2:4']);
  });

  test('a frame split at every byte, and several frames in one chunk, are read alike', async (t) => {
    const { client, uri } = await setUp(t);
    const bytes = frameOf({ method: 'textDocument/didOpen', params: { textDocument: { uri: uri('a.txt'), languageId: 'plaintext', version: 1, text: 'wröd 😀 lnie' } } });
    for (let i = 0; i < bytes.length; i++) client.write(bytes.subarray(i, i + 1));
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['wröd 0:0-0:4', 'lnie 0:8-0:12']);
    client.write(Buffer.concat([frameOf({ method: 'textDocument/didOpen', params: { textDocument: { uri: uri('b.txt'), languageId: 'plaintext', version: 1, text: 'tow' } } }),
      frameOf({ id: 'two', method: 'no/such/method' })]));
    assert.deepEqual(summary(await client.diagnostics(uri('b.txt'))), ['tow 0:0-0:3']);
    assert.equal((await error(client)).id, 'two');
  });

  test('unknown methods, unknown documents and bad params', async (t) => {
    const { client, uri } = await setUp(t);
    const range = { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } };
    const rows = [
      ['textDocument/hover', { textDocument: { uri: uri('a.txt') }, position: range.start }, -32601, 'unknown method textDocument/hover'],
      ['textDocument/codeAction', { textDocument: { uri: uri('nowhere.txt') }, range, context: {} }, -32602, `${uri('nowhere.txt')} is not open`],
      ['textDocument/codeAction', { range }, -32602, 'textDocument.uri is missing'],
      ['initialize', { capabilities: {} }, -32600, 'initialize was sent already'],
    ];
    for (const [method, params, code, message] of rows) assert.deepEqual((await client.request(method, params)).error, { code, message }, method);
    // Notifications get no answer: a change to a document not open is logged; unknown ones ignored.
    client.notify('textDocument/didChange', { textDocument: { uri: uri('nowhere.txt'), version: 2 }, contentChanges: [{ text: 'x' }] });
    client.notify('$/setTrace', { value: 'off' });
    client.notify('no/such/notification', {});
    const { params } = await client.next((m) => m.method === 'window/logMessage');
    assert.deepEqual(params, { type: 1, message: `spellshell: didChange for ${uri('nowhere.txt')}, which is not open` });
    client.open(uri('a.txt'), 'tow');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['tow 0:0-0:3']);
  });

  test('a request cancelled before it is answered gets RequestCancelled', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('a.txt'), 'wrod');
    const diagnostics = await client.diagnostics(uri('a.txt'));
    client.write(Buffer.concat([frameOf({ id: 'fix', method: 'textDocument/codeAction', params: { textDocument: { uri: uri('a.txt') }, range: diagnostics[0].range, context: { diagnostics } } }),
      frameOf({ method: '$/cancelRequest', params: { id: 'fix' } })]));
    const { jsonrpc, ...answer } = await error(client);
    assert.deepEqual(answer, { id: 'fix', error: { code: -32800, message: 'cancelled' } });
  });

  test('requests before initialize and after shutdown are refused; notifications then are dropped', async (t) => {
    const client = Client.inProcess(t);
    assert.deepEqual((await client.request('textDocument/codeAction', {})).error, { code: -32002, message: 'textDocument/codeAction before initialize' });
    await client.start({ languages: ['en_US'], dictionaryDirs: [systemDictionaryDir], personalDictionary: null });
    assert.equal(await client.result('shutdown'), null);
    assert.deepEqual((await client.request('shutdown')).error, { code: -32600, message: 'shutdown after shutdown' });
    client.notify('exit');
    assert.equal(await client.exited, 0);
  });
});

suite('language server: clients that misbehave', () => {
  test('a client that stops reading gets only the latest diagnostics of each document when it reads again', { skip: process.platform !== 'linux' && 'needs /proc' }, async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world']);
    const client = Client.spawned(t);
    await client.start({ languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: null });
    const uri = pathToFileURL(path.join(dir, 'a.md')).href;
    const lines = 6000;
    client.open(uri, Array.from({ length: lines }, (_, i) => `hello ${madeUpWord(i)} world\n\n`).join(''), 'markdown'); // 120 KB, 6,000 diagnostics
    while ((await client.diagnostics(uri, 1)).length < lines);
    client.output.pause();
    const edits = 100;
    for (let version = 2; version < 2 + edits; version++) {
      const at = { line: 2 * (version % lines), character: 0 };
      client.change(uri, version, [version % 2 ? { range: { start: at, end: { line: at.line, character: 1 } }, text: '' } : { range: { start: at, end: at }, text: 'q' }]);
      // As typed: each edit gets a check and a publication of its own.
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    // Read again once the server has nothing left to do (its processor time stands still).
    const ticks = () => fs.readFileSync(`/proc/${client.pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ').slice(11, 13).join(' ');
    for (let before = '', now = ticks(); before !== now; before = now, now = ticks()) await new Promise((resolve) => setTimeout(resolve, 1000));
    client.output.resume();
    const last = edits + 1;
    await client.diagnostics(uri, last);
    const older = client.received.filter((m) => m.method === 'textDocument/publishDiagnostics').map((m) => m.params.version);
    // What the pipe held when the server saw the editor was not reading: a publication or two.
    assert.ok(older.length <= 3, `publications of older versions after reading again: ${older.join(', ')}`);
  });

  test('after an edit a document is never published in part, and only the edited paragraph is checked again, also where every line is indented', async (t) => {
    const { calls, openService } = recording();
    const { client, uri } = await setUp(t, {}, { openService });
    const doc = uri('indented.md');
    const paragraphs = 22000;
    client.open(doc, Array.from({ length: paragraphs }, (_, i) => ` hello ${madeUpWord(i)}\n\n`).join(''), 'markdown'); // 286,000 units: over 256 Ki
    const first = await client.diagnostics(doc, 1);
    const all = first.length < paragraphs ? await client.diagnostics(doc, 1) : first;
    assert.ok(first.length < paragraphs, 'a document just opened is published in two steps');
    assert.equal(all.length, paragraphs);
    calls.length = 0;
    // The space before a paragraph replaced: the line now starts at the margin.
    client.change(doc, 2, [{ range: { start: { line: 200, character: 0 }, end: { line: 200, character: 1 } }, text: 'the ' }]);
    const after = await client.diagnostics(doc, 2);
    assert.equal(after.length, paragraphs);
    assert.deepEqual(calls.map((c) => c.text), [`the hello ${madeUpWord(100)}\n\n`]);
  });
});

suite('language server: how it ends', () => {
  const rows = [
    ['shutdown, then exit', ['shutdown', 'exit'], 0],
    ['exit without shutdown', ['exit'], 1],
    ['the input closed after shutdown', ['shutdown', 'end'], 0],
    ['the input closed without shutdown', ['end'], 1],
  ];
  for (const [name, steps, status] of rows) {
    test(`${name}: exit status ${status}`, async (t) => {
      const client = Client.spawned(t, { args: ['--stdio'] });
      await client.start({ languages: ['en_US'], dictionaryDirs: [systemDictionaryDir], personalDictionary: null });
      client.open('file:///tmp/spellshell-lsp-exit.txt', 'wrod');
      await client.diagnostics('file:///tmp/spellshell-lsp-exit.txt');
      for (const step of steps) {
        if (step === 'shutdown') assert.equal(await client.result('shutdown'), null);
        else if (step === 'exit') client.notify('exit');
        else client.input.end();
      }
      assert.equal(await client.exited, status);
      assert.equal(client.stderr, '');
    });
  }

  // Whatever the server is doing, `exit` ends it at once (with 0 after shutdown, 1 without), and
  // `shutdown` is answered at once. Each row: what the client does before; the server's input
  // stays open, so only the server's own ending can end the process.
  const busy = [
    ['right after initialize, before initialized', async () => {}],
    ['right after initialized', async (client) => client.notify('initialized', {})],
    ['during the first check of a large document', async (client, { uri }) => {
      client.notify('initialized', {});
      client.open(uri, 'wrod and more prose\n\n'.repeat(300000), 'markdown'); // 6 MB
    }],
    ['during a dictionary load that takes ten minutes', async (client, { settings }) => {
      client.notify('workspace/didChangeConfiguration', { settings: { spellshell: { ...settings, languages: ['xx_SLOW'] } } });
      client.notify('initialized', {});
      client.open('untitled:slow', 'wrod');
    }, { stuck: true }],
    ['while the editor has not answered the configuration request', async (client, { uri }) => {
      client.answers['workspace/configuration'] = UNANSWERED;
      client.notify('initialized', {});
      await client.next((m) => m.method === 'workspace/configuration', 'a configuration request');
      client.open(uri, 'wrod');
    }],
  ];
  // A server whose worker is stuck ends by process.exit, which leaves Node's heaps to the system:
  // under LeakSanitizer (scripts/test-sanitized) their bookkeeping would read as leaks.
  const stuckEnv = { ...process.env, ASAN_OPTIONS: `${process.env.ASAN_OPTIONS ?? ''}:detect_leaks=0` };
  for (const [name, before, { stuck = false } = {}] of busy) {
    for (const shutdown of [false, true]) {
      test(`${shutdown ? 'shutdown and exit' : 'exit'} ${name}: exit status ${shutdown ? 0 : 1}`, async (t) => {
        const dir = fixtureDictionary(t, 'xx_ONE', ['and', 'more', 'prose']);
        fs.copyFileSync(path.join(dir, 'xx_ONE.aff'), path.join(dir, 'xx_SLOW.aff'));
        fs.copyFileSync(path.join(dir, 'xx_ONE.dic'), path.join(dir, 'xx_SLOW.dic'));
        const execArgv = ['--require', path.join(__dirname, 'lsp', 'slow-load-hook.js')];
        const client = Client.spawned(t, { execArgv, env: stuck ? stuckEnv : process.env });
        const settings = { languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: null };
        const capabilities = { workspace: { configuration: true } };
        client.answers['workspace/configuration'] = [settings];
        await client.result('initialize', { processId: null, rootUri: null, capabilities, initializationOptions: settings });
        await before(client, { uri: pathToFileURL(path.join(dir, 'a.md')).href, settings });
        if (shutdown) assert.equal(await client.result('shutdown'), null);
        client.notify('exit');
        assert.equal(await client.ended(), shutdown ? 0 : 1);
        if (!stuck) assert.equal(client.stderr, '');
      });
    }
  }

  test('shutdown and exit written together with initialized: shutdown is answered, then the server ends', async (t) => {
    const client = Client.spawned(t);
    await client.result('initialize', { processId: null, rootUri: null, capabilities: {}, initializationOptions: { languages: ['en_US'], dictionaryDirs: [systemDictionaryDir], personalDictionary: null } });
    client.write(Buffer.concat([frameOf({ method: 'initialized', params: {} }), frameOf({ id: 'bye', method: 'shutdown' }), frameOf({ method: 'exit' }), frameOf({ id: 'late', method: 'shutdown' })]));
    const { jsonrpc, ...answer } = await client.next((m) => m.id !== undefined, 'an answer');
    assert.deepEqual(answer, { id: 'bye', result: null });
    assert.equal(await client.ended(), 0);
    assert.deepEqual(client.received.filter((m) => m.id === 'late'), [], 'nothing after exit is read');
  });

  test('the editor\'s process ending ends the server, with exit status 1', async (t) => {
    const editor = spawn(process.execPath, ['-e', 'setTimeout(() => {}, 60000)'], { stdio: 'ignore' });
    t.after(() => editor.kill());
    const client = Client.spawned(t);
    await client.result('initialize', { processId: editor.pid, rootUri: null, capabilities: {}, initializationOptions: { languages: ['en_US'], dictionaryDirs: [systemDictionaryDir], personalDictionary: null } });
    editor.kill();
    assert.equal(await client.exited, 1);
  });

  test('a worker that dies is replaced: the document is checked again with the next edit', async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world']);
    const client = Client.spawned(t, { execArgv: ['--require', path.join(__dirname, 'lsp', 'worker-stops-hook.js')] });
    await client.start({ languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: null });
    const uri = pathToFileURL(path.join(dir, 'a.txt')).href;
    client.open(uri, 'hello wrold workerstopshere');
    const logs = [];
    for (let i = 0; i < 2; i++) logs.push((await client.next((m) => m.method === 'window/logMessage')).params);
    const stopped = "the spell service's worker stopped unexpectedly (exit code 9); a new one starts with the next call";
    assert.deepEqual(logs, [
      { type: 2, message: `spellshell: checking ${uri} again: ${stopped}` },
      { type: 1, message: `spellshell: cannot check ${uri}: ${stopped}` },
    ]);
    client.change(uri, 2, [{ range: { start: { line: 0, character: 12 }, end: { line: 0, character: 27 } }, text: 'wrold' }]);
    assert.deepEqual(summary(await client.diagnostics(uri, 2)), ['wrold 0:6-0:11', 'wrold 0:12-0:17']);
    assert.equal(await client.result('shutdown'), null);
    client.notify('exit');
    assert.equal(await client.exited, 0);
  });
});
