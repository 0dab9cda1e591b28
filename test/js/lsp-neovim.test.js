'use strict';
// End to end in a real editor: Debian's Neovim, headless, with its built-in LSP client against
// `spellshell lsp` (test/js/lsp/neovim.lua drives it). Skipped where there is no nvim (Windows,
// Wine).
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { bin } = require('./lsp/client');
const { systemDictionaryDir } = require('./helpers');

const nvim = process.platform === 'win32' ? null : ['/usr/bin/nvim', '/usr/local/bin/nvim'].find((file) => fs.existsSync(file));
// Neovim starts the server, which loads en_US: seconds on a busy machine, never a minute.
const TIMEOUT_MS = 60000;

suite('language server in Neovim', () => {
  test('diagnostics for prose only, and the first quick fix applied to the buffer', { skip: !nvim && 'no nvim here' }, async (t) => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-nvim-'));
    t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
    const file = path.join(dir, 'notes.md');
    fs.writeFileSync(file, '# Notes\n\nA wrold of text.\n\n```sh\necho qwzzyx\n```\n');
    const out = path.join(dir, 'out.txt');
    const run = spawnSync(nvim, ['--headless', '--clean', '-u', path.join(__dirname, 'lsp', 'neovim.lua')], {
      cwd: dir,
      encoding: 'utf8',
      timeout: TIMEOUT_MS,
      env: {
        ...process.env,
        XDG_CONFIG_HOME: dir, XDG_DATA_HOME: dir, XDG_STATE_HOME: dir, XDG_CACHE_HOME: dir,
        DICPATH: systemDictionaryDir,
        SPELLSHELL_NODE: process.execPath, SPELLSHELL_BIN: bin, SPELLSHELL_PROJECT: dir, SPELLSHELL_FILE: file,
        SPELLSHELL_OUT: out, SPELLSHELL_PERSONAL: path.join(dir, 'words.txt'),
      },
    });
    assert.equal(run.error, undefined, 'nvim ended in time');
    const lines = fs.readFileSync(out, 'utf8').trimEnd().split('\n');
    for (const line of lines) t.diagnostic(line.replace(/\t/g, ' | '));
    const diagnostics = lines.filter((line) => line.startsWith('diagnostic\t'));
    const prose = 'diagnostic\t3\t3\tspellshell\t3\t"wrold" is misspelled';
    assert.equal(diagnostics[0], prose);
    assert.deepEqual(diagnostics, [prose], 'the code block\'s "qwzzyx" is not flagged');
    assert.deepEqual(lines.filter((line) => line.startsWith('action\t')).slice(-5), [
      'action\tAdd "wrold" to the personal dictionary',
      'action\tAdd "wrold" to the project\'s word list',
      'action\tIgnore "wrold" in this document',
      'action\tIgnore "wrold" in this file (spellshell:ignore)',
      'action\tIgnore this line (spellshell:disable-next-line)',
    ]);
    assert.equal(lines.find((line) => line.startsWith('action\t')), 'action\tReplace with "world"');
    assert.deepEqual(lines.filter((line) => line.startsWith('buffer\t')).map((line) => line.slice(7)), [
      '# Notes', '', 'A world of text.', '', '```sh', 'echo qwzzyx', '```',
    ]);
  });
});
