'use strict';
// The Electron example (examples/electron): its spell checking service against real
// dictionaries, and its main process against a stand-in for Electron's modules.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const Module = require('node:module');
const path = require('node:path');
const { suite, test } = require('node:test');
const { systemDictionaryDir, fixtureDictionary } = require('./helpers');

const exampleDir = path.join(__dirname, '..', '..', 'examples', 'electron');
const { SpellcheckService } = require(path.join(exampleDir, 'spellcheck-service'));

// A folder with two small dictionaries, xx_ONE and xx_TWO, and a word list without its .aff.
function twoLanguages(t) {
  const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world']);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\nTRY abcdefghijklmnopqrstuvwxyz\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), '2\nbonjour\nmonde\n');
  fs.writeFileSync(path.join(dir, 'xx_HALF.dic'), '1\nhalf\n');
  return dir;
}

suite('Electron example: the spell checking service', () => {
  test('lists the complete Hunspell dictionaries of its folder', (t) => {
    const service = new SpellcheckService({ dictionaryDir: twoLanguages(t) });
    assert.equal(service.checker.isHunspell(), true);
    assert.deepEqual(service.languages(), ['xx_ONE', 'xx_TWO']);
  });

  test('finds the misspelled words of a text, where they are, with suggestions', () => {
    const service = new SpellcheckService({ dictionaryDir: systemDictionaryDir, maxSuggestions: 3 });
    assert.equal(service.setLanguage('en_US'), true);
    assert.deepEqual(service.check("Spellshell checks the wrods, don't it?"), [
      { word: 'Spellshell', start: 0, end: 10, suggestions: ['Spell shell', 'Spell-shell', 'Spells hell'] },
      { word: 'wrods', start: 22, end: 27, suggestions: ['words', 'rods', 'woods'] },
    ]);
    assert.deepEqual(service.check('All is well.'), []);
  });

  test('switches languages, keeps the old one when a switch fails, and keeps added words', (t) => {
    const service = new SpellcheckService({ dictionaryDir: twoLanguages(t) });
    assert.equal(service.setLanguage('xx_ONE'), true);
    service.addWord('spellshell');
    assert.deepEqual(service.check('hello spellshell bonjour').map((m) => m.word), ['bonjour']);

    assert.equal(service.setLanguage('xx-TWO'), true);
    assert.equal(service.language, 'xx-TWO');
    assert.deepEqual(service.check('hello spellshell bonjour').map((m) => m.word), ['hello']);

    assert.equal(service.setLanguage('xx_MISSING'), false);
    assert.equal(service.language, 'xx-TWO');
    assert.deepEqual(service.check('hello spellshell bonjour').map((m) => m.word), ['hello']);
  });
});

// Electron's main-process modules, as far as main.js uses them, recording what it does.
function fakeElectron() {
  const handlers = new Map();
  const windows = [];
  const appEvents = new Map();
  return {
    handlers,
    windows,
    appEvents,
    module: {
      app: { whenReady: () => Promise.resolve(), on: (name, listener) => appEvents.set(name, listener) },
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
  test('offers spell checking and the dialogs to its pages over IPC', async (t) => {
    const electron = fakeElectron();
    const load = Module._load;
    Module._load = function (request, ...rest) {
      return request === 'electron' ? electron.module : load.call(this, request, ...rest);
    };
    const previousBus = process.env.DBUS_SESSION_BUS_ADDRESS;
    t.after(() => {
      Module._load = load;
      if (previousBus === undefined) delete process.env.DBUS_SESSION_BUS_ADDRESS;
      else process.env.DBUS_SESSION_BUS_ADDRESS = previousBus;
    });

    const { ready } = require(path.join(exampleDir, 'main.js'));
    await ready;
    assert.deepEqual([...electron.handlers.keys()], [
      'spellcheck:languages',
      'spellcheck:set-language',
      'spellcheck:check',
      'spellcheck:add-word',
      'file:open-with',
      'file:properties',
    ]);
    assert.equal(electron.windows.length, 1);
    assert.equal(electron.windows[0].options.webPreferences.contextIsolation, true);
    for (const file of [electron.windows[0].options.webPreferences.preload, electron.windows[0].file]) {
      assert.ok(fs.existsSync(file), file);
    }
    assert.deepEqual([...electron.appEvents.keys()], ['window-all-closed']);

    const invoke = (channel, ...args) => electron.handlers.get(channel)({ sender: null }, ...args);
    const { available, current } = invoke('spellcheck:languages');
    assert.equal(current, 'en_US');
    assert.ok(available.includes('en_US'), available.join(' '));
    assert.deepEqual(invoke('spellcheck:check', 'a wrod').map((m) => m.word), ['wrod']);
    assert.equal(invoke('spellcheck:add-word', 'wrod'), undefined);
    assert.deepEqual(invoke('spellcheck:check', 'a wrod'), []);
    assert.equal(invoke('spellcheck:set-language', 'xx_MISSING'), false);
    assert.deepEqual(invoke('spellcheck:check', 'a wrod'), []);
    // A page that sends no string still gets an answer instead of the module's TypeError.
    assert.deepEqual(invoke('spellcheck:check', 42), []);

    // No desktop here: the dialogs are asked for and quietly come to nothing. (On Windows they
    // would open real windows.)
    if (process.platform !== 'win32') {
      process.env.DBUS_SESSION_BUS_ADDRESS = 'unix:path=/nonexistent/spellshell-bus';
      assert.equal(invoke('file:open-with', __filename), undefined);
      assert.equal(invoke('file:properties', undefined), undefined);
    }
  });
});
