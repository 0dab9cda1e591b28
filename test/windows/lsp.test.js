'use strict';
// The language server over the system backend: scripts/test-windows runs this file in the
// Windows node.exe under Wine with the fake spell service registered (languages en-US and
// fr-FR, see spell_service.test.js), documents named as Windows editors name them.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { Client, summary } = require('../js/lsp/client');

suite('language server over the system service', () => {
  test('diagnostics, quick fixes and an added word, for a file:///c%3A/ document', async (t) => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-lsp-'));
    t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
    const personal = path.join(dir, 'words.txt');
    // As editors send it: the drive letter in lowercase, its colon escaped.
    const uri = `file:///${dir[0].toLowerCase()}%3A${dir.slice(2).replace(/\\/g, '/')}/notes.md`;
    const client = Client.inProcess(t);
    await client.start({ languages: ['en-US', 'fr'], personalDictionary: personal }, { workspaceFolders: [{ uri: uri.replace(/\/notes\.md$/, ''), name: 'notes' }] });
    client.open(uri, 'hello bonjour\r\nwrod', 'markdown');
    const diagnostics = await client.diagnostics(uri);
    assert.deepEqual(summary(diagnostics), ['wrod 1:0-1:4']);
    const actions = await client.result('textDocument/codeAction', { textDocument: { uri }, range: diagnostics[0].range, context: { diagnostics } });
    assert.deepEqual(actions.slice(0, 2).map((a) => a.title), ['Replace with "world"', 'Replace with "word"']);
    await client.result('workspace/executeCommand', { command: 'spellshell.addToProjectWords', arguments: [uri, 'wrod'] });
    assert.deepEqual(await client.diagnostics(uri), []);
    assert.deepEqual(JSON.parse(fs.readFileSync(path.join(dir, '.spellshell.json'), 'utf8')), { words: ['wrod'] });
    client.change(uri, 2, [{ text: 'hello wrold' }]);
    assert.deepEqual(summary(await client.diagnostics(uri, 2)), ['wrold 0:6-0:11']);
    await client.result('workspace/executeCommand', { command: 'spellshell.addToPersonalDictionary', arguments: [uri, 'wrold'] });
    assert.deepEqual(await client.diagnostics(uri), []);
    assert.equal(fs.readFileSync(personal, 'utf8'), 'wrold\n');
  });
});
