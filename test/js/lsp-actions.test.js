'use strict';
// The language server's quick fixes and the commands behind them (a word added to the personal
// list or to the project's, or ignored in one document), and where its settings come from: the
// initialization options, the editor's configuration, the project's file.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { suite, test } = require('node:test');
const { summary } = require('./lsp/client');
const { setUp, recording } = require('./lsp/setup');

const at = (line, from, to) => ({ start: { line, character: from }, end: { line, character: to } });
const actionsAt = (client, uri, range, diagnostics) => client.result('textDocument/codeAction', { textDocument: { uri }, range, context: { diagnostics } });
const command = (client, name, uri, word) => client.result('workspace/executeCommand', { command: name, arguments: [uri, word] });

suite('language server: quick fixes', () => {
  test('a diagnostic gets its suggestions (asked for only then), then add and ignore commands', async (t) => {
    const { calls, openService } = recording();
    const { client, uri } = await setUp(t, { suggestions: 3 }, { openService });
    const doc = uri('a.txt');
    client.open(doc, 'one hord\ntwo');
    const diagnostics = await client.diagnostics(doc);
    assert.deepEqual(calls.filter((c) => c.op === 'suggest'), [], 'no suggestions before they are asked for');
    const actions = await actionsAt(client, doc, at(0, 5, 5), diagnostics);
    const edit = (newText) => ({ changes: { [doc]: [{ range: at(0, 4, 8), newText }] } });
    assert.deepEqual(actions, [
      { title: 'Replace with "lord"', kind: 'quickfix', diagnostics, isPreferred: true, edit: edit('lord') },
      { title: 'Replace with "word"', kind: 'quickfix', diagnostics, isPreferred: false, edit: edit('word') },
      ...[['Add "hord" to the personal dictionary', 'spellshell.addToPersonalDictionary'],
        ['Add "hord" to the project\'s word list', 'spellshell.addToProjectWords'],
        ['Ignore "hord" in this document', 'spellshell.ignoreInDocument']].map(([title, name]) => ({ title, kind: 'quickfix', diagnostics, command: { title, command: name, arguments: [doc, 'hord'] } })),
      { title: 'Ignore "hord" in this file (spellshell:ignore)', kind: 'quickfix', diagnostics, edit: { changes: { [doc]: [{ range: at(0, 0, 0), newText: 'spellshell:ignore hord\n' }] } } },
      { title: 'Ignore this line (spellshell:disable-next-line)', kind: 'quickfix', diagnostics, edit: { changes: { [doc]: [{ range: at(0, 0, 0), newText: 'spellshell:disable-next-line\n' }] } } },
    ]);
    assert.deepEqual(calls.filter((c) => c.op === 'suggest'), [{ op: 'suggest', word: 'hord' }]);
  });

  test('edits carry the document version for clients that take versioned edits', async (t) => {
    const { client, uri } = await setUp(t, {}, { capabilities: { workspace: { workspaceEdit: { documentChanges: true } } } });
    const doc = uri('b.txt');
    client.open(doc, 'lnie', 'plaintext', 4);
    const diagnostics = await client.diagnostics(doc);
    const [first] = await actionsAt(client, doc, at(0, 0, 4), diagnostics);
    assert.deepEqual(first.edit, { documentChanges: [{ textDocument: { uri: doc, version: 4 }, edits: [{ range: at(0, 0, 4), newText: 'line' }] }] });
  });

  test('without diagnostics in the request, the last check\'s under the range; a stale one gets no replacement', async (t) => {
    // (Without vocabularies: theirs know "and", which the fixture dictionary does not.)
    const { client, uri } = await setUp(t, { vocabularies: false });
    const doc = uri('c.txt');
    client.open(doc, 'the lnie and tow');
    const diagnostics = await client.diagnostics(doc);
    const titles = async (range, given) => (await actionsAt(client, doc, range, given)).map((a) => a.title);
    assert.deepEqual((await titles(at(0, 0, 16), [])).filter((title) => title.startsWith('Replace')), ['Replace with "line"', 'Replace with "two"']);
    assert.deepEqual(await titles(at(0, 0, 1), []), []);
    // A client that drops `data`: the word is read from the text.
    const { data, ...withoutData } = diagnostics[2];
    assert.equal(data, 'tow');
    assert.deepEqual((await titles(at(0, 14, 14), [withoutData]))[0], 'Replace with "two"');
    client.change(doc, 2, [{ range: at(0, 4, 8), text: 'line' }]);
    await client.diagnostics(doc, 2);
    // The editor still shows the old diagnostic of "lnie": the word is gone, so is its fix.
    assert.deepEqual(await titles(at(0, 5, 5), [diagnostics[0]]), ['Add "lnie" to the personal dictionary', 'Add "lnie" to the project\'s word list', 'Ignore "lnie" in this document',
      'Ignore "lnie" in this file (spellshell:ignore)', 'Ignore this line (spellshell:disable-next-line)']);
  });
});

suite('language server: adding and ignoring words', () => {
  test('adding to the personal dictionary writes the file and re-checks every open document', async (t) => {
    const { calls, openService } = recording();
    const { client, uri, dir } = await setUp(t, {}, { openService });
    client.open(uri('a.txt'), 'hord one');
    client.open(uri('b.md'), 'two Hord\n\nlnie', 'markdown');
    await client.diagnostics(uri('a.txt'));
    await client.diagnostics(uri('b.md'));
    const before = calls.filter((c) => c.op === 'check').length;
    assert.equal(await command(client, 'spellshell.addToPersonalDictionary', uri('a.txt'), 'hord'), null);
    assert.equal(fs.readFileSync(path.join(dir, 'words.txt'), 'utf8'), 'hord\n');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), []);
    assert.deepEqual(summary(await client.diagnostics(uri('b.md'))), ['lnie 2:0-2:4']);
    assert.deepEqual(calls.filter((c) => c.op === 'check').slice(before).map((c) => c.text).sort(), ['hord one', 'two Hord\n\nlnie'], 'whole documents, checked anew');
  });

  test('adding to the project\'s word list creates .spellshell.json in the workspace folder', async (t) => {
    const { client, uri, dir } = await setUp(t);
    fs.mkdirSync(path.join(dir, 'sub'));
    client.open(uri('sub/a.txt'), 'hord lnie');
    client.open(uri('b.txt'), 'Hord');
    await client.diagnostics(uri('sub/a.txt'));
    await client.diagnostics(uri('b.txt'));
    await command(client, 'spellshell.addToProjectWords', uri('sub/a.txt'), 'hord');
    assert.deepEqual(JSON.parse(fs.readFileSync(path.join(dir, '.spellshell.json'), 'utf8')), { words: ['hord'] });
    assert.deepEqual(summary(await client.diagnostics(uri('sub/a.txt'))), ['lnie 0:5-0:9']);
    assert.deepEqual(summary(await client.diagnostics(uri('b.txt'))), []);
  });

  test('outside every workspace folder the project file goes beside the document; folders added later count', async (t) => {
    const { client, uri, dir } = await setUp(t, {}, { workspace: false });
    fs.mkdirSync(path.join(dir, 'a'));
    fs.mkdirSync(path.join(dir, 'b'));
    client.open(uri('a/x.txt'), 'hord');
    await client.diagnostics(uri('a/x.txt'));
    await command(client, 'spellshell.addToProjectWords', uri('a/x.txt'), 'hord');
    assert.deepEqual(JSON.parse(fs.readFileSync(path.join(dir, 'a', '.spellshell.json'), 'utf8')), { words: ['hord'] });
    assert.deepEqual(await client.diagnostics(uri('a/x.txt')), []);
    client.notify('workspace/didChangeWorkspaceFolders', { event: { added: [{ uri: pathToFileURL(dir).href, name: 'fixture' }], removed: [] } });
    client.open(uri('b/y.txt'), 'lnie');
    await client.diagnostics(uri('b/y.txt'));
    await command(client, 'spellshell.addToProjectWords', uri('b/y.txt'), 'lnie');
    assert.deepEqual(JSON.parse(fs.readFileSync(path.join(dir, '.spellshell.json'), 'utf8')), { words: ['lnie'] });
    // Both documents are published again once their project files were read anew.
    assert.deepEqual(await client.diagnostics(uri('b/y.txt')), []);
    assert.deepEqual(await client.diagnostics(uri('a/x.txt')), []);
    assert.equal(fs.existsSync(path.join(dir, 'b', '.spellshell.json')), false);
  });

  test('ignoring a word hides it in that document only', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('a.txt'), 'hord Hord lnie');
    client.open(uri('b.txt'), 'hord');
    await client.diagnostics(uri('a.txt'));
    await client.diagnostics(uri('b.txt'));
    await command(client, 'spellshell.ignoreInDocument', uri('a.txt'), 'hord');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['lnie 0:10-0:14']);
    client.change(uri('b.txt'), 2, [{ text: 'hord two' }]);
    assert.deepEqual(summary(await client.diagnostics(uri('b.txt'), 2)), ['hord 0:0-0:4']);
  });

  test('commands with bad arguments, or on documents not open, are refused', async (t) => {
    const { client, uri } = await setUp(t);
    client.open(uri('a.txt'), 'hord');
    await client.diagnostics(uri('a.txt'));
    const rows = [
      [{ command: 'spellshell.nothing', arguments: [uri('a.txt'), 'hord'] }, 'unknown command spellshell.nothing'],
      [{ command: 'spellshell.ignoreInDocument', arguments: [uri('a.txt')] }, 'spellshell.ignoreInDocument needs a document and a word'],
      [{ command: 'spellshell.ignoreInDocument', arguments: [uri('a.txt'), 'two words'] }, 'spellshell.ignoreInDocument needs a document and a word'],
      [{ command: 'spellshell.addToPersonalDictionary', arguments: [uri('z.txt'), 'hord'] }, `${uri('z.txt')} is not open`],
    ];
    for (const [params, message] of rows) assert.deepEqual((await client.request('workspace/executeCommand', params)).error, { code: -32602, message });
  });
});

suite('language server: settings', () => {
  test('a project\'s .spellshell.json gives the languages and words of the documents under it', async (t) => {
    const { client, uri, dir } = await setUp(t);
    fs.mkdirSync(path.join(dir, 'fr'));
    fs.writeFileSync(path.join(dir, 'fr', '.spellshell.json'), JSON.stringify({ languages: ['xx_TWO'], words: ['hello'] }));
    client.open(uri('fr/a.txt'), 'bonjour monde hello world');
    client.open(uri('b.txt'), 'bonjour hello');
    assert.deepEqual(summary(await client.diagnostics(uri('fr/a.txt'))), ['world 0:20-0:25']);
    assert.deepEqual(summary(await client.diagnostics(uri('b.txt'))), ['bonjour 0:0-0:7']);
  });

  test('a project\'s exclude patterns silence its documents and its formats choose theirs; a cspell ignorePaths counts', async (t) => {
    const { client, uri, dir } = await setUp(t);
    fs.mkdirSync(path.join(dir, 'gen', 'deep'), { recursive: true });
    fs.mkdirSync(path.join(dir, 'other'));
    fs.writeFileSync(path.join(dir, '.spellshell.json'), JSON.stringify({ exclude: ['gen', '*.log'], formats: { 'notes/*.txt': 'markdown' } }));
    fs.writeFileSync(path.join(dir, 'other', 'cspell.json'), JSON.stringify({ ignorePaths: ['skip/**'] }));
    // Made after the server looked at the folder: the editor tells of it.
    client.notify('workspace/didChangeWatchedFiles', { changes: [{ uri: pathToFileURL(path.join(dir, '.spellshell.json')).href, type: 1 }] });
    const text = 'hord `lnie`';
    const rows = [
      // [file, misspellings shown]
      ['gen/deep/a.txt', []],
      ['x.log', []],
      ['general.txt', ['hord 0:0-0:4', 'lnie 0:6-0:10']],
      ['notes/a.txt', ['hord 0:0-0:4']],
      ['a.txt', ['hord 0:0-0:4', 'lnie 0:6-0:10']],
      ['other/skip/a.txt', []],
      ['other/a.txt', ['hord 0:0-0:4', 'lnie 0:6-0:10']],
    ];
    fs.mkdirSync(path.join(dir, 'notes'));
    fs.mkdirSync(path.join(dir, 'other', 'skip'));
    for (const [file] of rows) client.open(uri(file), text);
    for (const [file, shown] of rows) assert.deepEqual(summary(await client.diagnostics(uri(file))), shown, file);
  });

  test('an open document that the project comes to exclude is cleared, and checked again once it no longer does', async (t) => {
    const { client, uri, dir } = await setUp(t);
    const file = path.join(dir, '.spellshell.json');
    const changed = (contents) => {
      fs.writeFileSync(file, JSON.stringify(contents));
      client.notify('workspace/didChangeWatchedFiles', { changes: [{ uri: pathToFileURL(file).href, type: 2 }] });
    };
    client.open(uri('a.txt'), 'hord');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4']);
    changed({ exclude: ['a.txt'] });
    assert.deepEqual(await client.diagnostics(uri('a.txt')), []);
    changed({ exclude: [] });
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4']);
  });

  test('a project file changed outside the editor applies once the editor tells of it', async (t) => {
    const registrations = [];
    const answers = { 'client/registerCapability': (params) => { registrations.push(...params.registrations); return null; } };
    const { client, uri, dir } = await setUp(t, {}, { capabilities: { workspace: { didChangeWatchedFiles: { dynamicRegistration: true } } }, answers });
    client.open(uri('a.txt'), 'hord bonjour');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4', 'bonjour 0:5-0:12']);
    assert.deepEqual(registrations, [{ id: 'spellshell-project-files', method: 'workspace/didChangeWatchedFiles', registerOptions: { watchers: [{ globPattern: '**/.spellshell.json' }] } }]);
    const file = path.join(dir, '.spellshell.json');
    const changed = () => client.notify('workspace/didChangeWatchedFiles', { changes: [{ uri: pathToFileURL(file).href, type: 2 }] });
    fs.writeFileSync(file, JSON.stringify({ words: ['hord'] }));
    changed();
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['bonjour 0:5-0:12']);
    fs.writeFileSync(file, JSON.stringify({ languages: ['xx_TWO'] }));
    changed();
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4']);
  });

  test('editors that pull their configuration are asked for section spellshell, again after a change', async (t) => {
    let severity = 'hint';
    const answers = (dir) => ({
      'workspace/configuration': (params) => {
        assert.deepEqual(params, { items: [{ section: 'spellshell' }] });
        return [{ languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: null, severity }];
      },
    });
    const { client, uri } = await setUp(t, {}, { capabilities: { workspace: { configuration: true } }, answers });
    client.open(uri('a.txt'), 'hord');
    assert.deepEqual((await client.diagnostics(uri('a.txt'))).map((d) => d.severity), [4]);
    severity = 'error';
    client.notify('workspace/didChangeConfiguration', { settings: null });
    assert.deepEqual((await client.diagnostics(uri('a.txt'))).map((d) => d.severity), [1]);
  });

  test('a personal dictionary that cannot be read is reported, and checking goes on without it', async (t) => {
    const { client, uri, dir } = await setUp(t, {}, {});
    fs.writeFileSync(path.join(dir, 'bad.txt'), 'hord\n\u0001\n');
    client.notify('workspace/didChangeConfiguration', { settings: { spellshell: { languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: path.join(dir, 'bad.txt') } } });
    client.open(uri('a.txt'), 'hord lnie');
    const { params } = await client.next((m) => m.method === 'window/showMessage');
    assert.deepEqual(params, { type: 2, message: `spellshell: personal dictionary ${path.join(dir, 'bad.txt')}, line 2: control character U+0001; words added now last until the server ends` });
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4', 'lnie 0:5-0:9']);
    await command(client, 'spellshell.addToPersonalDictionary', uri('a.txt'), 'lnie');
    assert.deepEqual(summary(await client.diagnostics(uri('a.txt'))), ['hord 0:0-0:4']);
    assert.equal(fs.readFileSync(path.join(dir, 'bad.txt'), 'utf8'), 'hord\n\u0001\n', 'never rewritten');
  });

  test('a bad setting is left out with a warning; an unknown language is reported, and nothing flagged', async (t) => {
    const { client, uri, dir } = await setUp(t, { severity: 'loud', formats: { markdown: 'rtf' } });
    const warnings = [];
    for (let i = 0; i < 2; i++) warnings.push((await client.next((m) => m.method === 'window/showMessage')).params);
    assert.deepEqual(warnings, [
      { type: 2, message: 'spellshell: spellshell.severity must be "error", "warning", "information" or "hint"; it is left out' },
      { type: 2, message: `spellshell: spellshell.formats.markdown: "rtf" is not a format (${require('../../lib/formats').FORMATS.join(', ')}); it is left out` },
    ]);
    client.open(uri('a.md'), 'hord', 'markdown');
    assert.deepEqual((await client.diagnostics(uri('a.md'))).map((d) => d.severity), [3]);
    client.notify('workspace/didChangeConfiguration', { settings: { spellshell: { languages: ['zz_ZZ'], dictionaryDirs: [dir] } } });
    const { params } = await client.next((m) => m.method === 'window/showMessage');
    assert.equal(params.type, 1);
    assert.match(params.message, /^spellshell: cannot check spelling: no dictionary for "zz_ZZ"/);
    assert.deepEqual(await client.diagnostics(uri('a.md')), []);
  });
});
