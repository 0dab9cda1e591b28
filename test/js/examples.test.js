'use strict';
// The Electron example (examples/electron): its main process against a stand-in for Electron's
// modules, with the system's en_US dictionary (Debian's hunspell-en-us in /usr/share/hunspell).
const assert = require('node:assert/strict');
const fs = require('node:fs');
const Module = require('node:module');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');

const exampleDir = path.join(__dirname, '..', '..', 'examples', 'electron');

// Electron's main-process modules, as far as main.js uses them, recording what it does.
function fakeElectron(userData) {
  const handlers = new Map();
  const windows = [];
  const appEvents = new Map();
  return {
    handlers,
    windows,
    appEvents,
    module: {
      app: {
        whenReady: () => Promise.resolve(),
        on: (name, listener) => appEvents.set(name, listener),
        getPath: (name) => (name === 'userData' ? userData : assert.fail(`getPath(${name})`)),
      },
      ipcMain: { handle: (channel, handler) => handlers.set(channel, handler) },
      BrowserWindow: class {
        constructor(options) {
          this.options = options;
          windows.push(this);
        }
        loadFile(file) {
          this.file = file;
        }
      },
    },
  };
}

suite('Electron example: the main process', () => {
  test('offers the spell service and the dialogs to its pages over IPC', async (t) => {
    const userData = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-electron-'));
    const electron = fakeElectron(userData);
    const load = Module._load;
    Module._load = function (request, ...rest) {
      return request === 'electron' ? electron.module : load.call(this, request, ...rest);
    };
    const previousBus = process.env.DBUS_SESSION_BUS_ADDRESS;
    t.after(() => {
      Module._load = load;
      electron.appEvents.get('will-quit')?.();
      fs.rmSync(userData, { recursive: true, force: true });
      if (previousBus === undefined) delete process.env.DBUS_SESSION_BUS_ADDRESS;
      else process.env.DBUS_SESSION_BUS_ADDRESS = previousBus;
    });

    const { ready } = require(path.join(exampleDir, 'main.js'));
    await ready;
    assert.deepEqual([...electron.handlers.keys()], [
      'spellcheck:check',
      'spellcheck:languages',
      'spellcheck:set-languages',
      'spellcheck:add-word',
      'file:open-with',
      'file:properties',
    ]);
    assert.equal(electron.windows.length, 1);
    assert.equal(electron.windows[0].options.webPreferences.contextIsolation, true);
    for (const file of [electron.windows[0].options.webPreferences.preload, electron.windows[0].file]) {
      assert.ok(fs.existsSync(file), file);
    }
    assert.deepEqual([...electron.appEvents.keys()].sort(), ['will-quit', 'window-all-closed']);

    const page = { id: 1 };
    const invoke = (channel, ...args) => electron.handlers.get(channel)({ sender: page }, ...args);
    const { available, current } = await invoke('spellcheck:languages');
    assert.deepEqual(current, ['en_US']);
    assert.ok(available.includes('en_US'), available.join(' '));
    assert.deepEqual(await invoke('spellcheck:check', 'a wrod'), [
      { start: 2, end: 6, word: 'wrod', suggestions: ['word', 'rod', 'wood', 'trod', 'prod'] },
    ]);

    // A newer check from the same page aborts the older one.
    const older = invoke('spellcheck:check', 'wrod '.repeat(100000));
    const newer = invoke('spellcheck:check', 'helo');
    await assert.rejects(older, { name: 'AbortError' });
    assert.deepEqual((await newer).map((m) => m.word), ['helo']);

    assert.equal(await invoke('spellcheck:add-word', 'wrod'), undefined);
    assert.deepEqual(await invoke('spellcheck:check', 'a wrod'), []);
    assert.equal(fs.readFileSync(path.join(userData, 'personal-words.txt'), 'utf8'), 'wrod\n');
    assert.equal(await invoke('spellcheck:set-languages', ['xx_MISSING']), false);
    assert.equal(await invoke('spellcheck:set-languages', 'en_US'), false);
    assert.deepEqual((await invoke('spellcheck:languages')).current, ['en_US']);
    // A page that sends no string still gets an answer.
    assert.deepEqual(await invoke('spellcheck:check', 42), []);
    await assert.rejects(invoke('spellcheck:add-word', 42), { name: 'TypeError', message: 'word must be a single word' });

    // No desktop here: the dialogs are asked for and quietly come to nothing. (On Windows they
    // would open real windows.)
    if (process.platform !== 'win32') {
      process.env.DBUS_SESSION_BUS_ADDRESS = 'unix:path=/nonexistent/spellshell-bus';
      assert.equal(await invoke('file:open-with', __filename), undefined);
      assert.equal(await invoke('file:properties', undefined), undefined);
    }
  });
});
