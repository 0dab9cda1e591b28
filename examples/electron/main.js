'use strict';
// An Electron main process that offers spell checking and the two file dialogs to its pages.
// A sketch to copy from; in an app with electron and spellshell installed: npx electron .
//
// The module stays in the main process, the only place that needs Node.js; pages get a small
// API through the preload script and IPC, so they keep context isolation. The SpellService
// checks in its own worker thread, so long texts never stall the main process (and with it
// every window), and it keeps the user's added words in a file of the app's data folder.
const path = require('node:path');
const { app, BrowserWindow, ipcMain } = require('electron');
// In an application: require('spellshell')
const { SpellService, findDictionaries, openAs, openProperties } = require('../..');

// Hunspell dictionaries are found where the system keeps them (findDictionaries); an app may
// ship a folder of its own as well.
const DICTIONARY_DIRS = process.env.SPELLSHELL_DICTIONARY_DIR ? [process.env.SPELLSHELL_DICTIONARY_DIR] : [];

function registerHandlers(spell) {
  // A page checks as the user types: a newer check of the same page makes the older one moot.
  const running = new Map();
  ipcMain.handle('spellcheck:check', (event, text) => {
    running.get(event.sender)?.abort();
    const controller = new AbortController();
    running.set(event.sender, controller);
    return spell.check(String(text), { suggestions: 5, signal: controller.signal });
  });
  ipcMain.handle('spellcheck:languages', () => ({
    available: findDictionaries({ dirs: DICTIONARY_DIRS }).map((d) => d.language),
    current: spell.languages.map((d) => d.language),
  }));
  // Pages may send anything; the service rejects what is not a list of language names.
  ipcMain.handle('spellcheck:set-languages', (_event, languages) => spell.setLanguages(languages).then(() => true, () => false));
  ipcMain.handle('spellcheck:add-word', (_event, word) => spell.addWord(word));
  ipcMain.handle('file:open-with', (_event, file) => openAs(String(file)));
  ipcMain.handle('file:properties', (_event, file) => openProperties(String(file)));
}

const ready = app.whenReady().then(async () => {
  const spell = await SpellService.open({
    languages: ['en_US'],
    dictionaryDirs: DICTIONARY_DIRS,
    personalDictionary: path.join(app.getPath('userData'), 'personal-words.txt'),
  });
  registerHandlers(spell);
  app.on('will-quit', () => spell.close());

  const window = new BrowserWindow({
    width: 720,
    height: 480,
    webPreferences: { preload: path.join(__dirname, 'preload.js'), contextIsolation: true },
  });
  window.loadFile(path.join(__dirname, 'index.html'));
  return spell;
});

app.on('window-all-closed', () => app.quit());

module.exports = { ready };
