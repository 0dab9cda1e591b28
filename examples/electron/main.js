'use strict';
// An Electron main process that offers spell checking and the two file dialogs to its pages.
// A sketch to copy from; in an app with electron and spellshell installed: npx electron .
//
// The native module stays in the main process, the only place that needs Node.js; pages get a
// small API through the preload script and IPC, so they keep context isolation.
const path = require('node:path');
const { app, BrowserWindow, ipcMain } = require('electron');
const { openAs, openProperties } = require('../..'); // in an application: require('spellshell')
const { SpellcheckService } = require('./spellcheck-service');

// Debian and Ubuntu keep Hunspell dictionaries here; an app may ship its own folder instead.
const DICTIONARY_DIR = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

function registerHandlers(spellcheck) {
  // Pages may send anything: the module wants strings and throws a TypeError on anything else.
  ipcMain.handle('spellcheck:languages', () => ({ available: spellcheck.languages(), current: spellcheck.language }));
  ipcMain.handle('spellcheck:set-language', (_event, language) => spellcheck.setLanguage(String(language)));
  ipcMain.handle('spellcheck:check', (_event, text) => spellcheck.check(String(text)));
  ipcMain.handle('spellcheck:add-word', (_event, word) => spellcheck.addWord(String(word)));
  ipcMain.handle('file:open-with', (_event, file) => openAs(String(file)));
  ipcMain.handle('file:properties', (_event, file) => openProperties(String(file)));
}

const ready = app.whenReady().then(() => {
  const spellcheck = new SpellcheckService({ dictionaryDir: DICTIONARY_DIR });
  spellcheck.setLanguage(spellcheck.checker.isHunspell() ? 'en_US' : 'en-US');
  registerHandlers(spellcheck);

  const window = new BrowserWindow({
    width: 720,
    height: 480,
    webPreferences: { preload: path.join(__dirname, 'preload.js'), contextIsolation: true },
  });
  window.loadFile(path.join(__dirname, 'index.html'));
  return spellcheck;
});

app.on('window-all-closed', () => app.quit());

module.exports = { ready };
