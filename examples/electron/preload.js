'use strict';
// What the page may ask of the main process, and nothing more.
const { contextBridge, ipcRenderer } = require('electron');

contextBridge.exposeInMainWorld('spellshell', {
  languages: () => ipcRenderer.invoke('spellcheck:languages'),
  setLanguages: (languages) => ipcRenderer.invoke('spellcheck:set-languages', languages),
  check: (text) => ipcRenderer.invoke('spellcheck:check', text),
  addWord: (word) => ipcRenderer.invoke('spellcheck:add-word', word),
  openWith: (file) => ipcRenderer.invoke('file:open-with', file),
  showProperties: (file) => ipcRenderer.invoke('file:properties', file),
});
