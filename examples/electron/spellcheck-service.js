'use strict';
// The spell checking of an Electron app, kept in its main process: pages reach it through IPC
// (main.js, preload.js). It checks the words of a text with suggestions, switches languages and
// keeps the user's own words across switches. Plain Node.js: tested without Electron.
const fs = require('node:fs');
const path = require('node:path');
const { Spellchecker } = require('../..'); // in an application: require('spellshell')

// Words as the user sees them: letters, with inner apostrophes (don't, l'eau).
const WORD = /\p{L}+(?:['’]\p{L}+)*/gu;

class SpellcheckService {
  // dictionaryDir: the Hunspell dictionaries (<language>.aff + .dic). preferSystem: use the
  // system's service where there is one (Windows); Linux always uses Hunspell.
  constructor({ dictionaryDir, preferSystem = true, maxSuggestions = 5 }) {
    this.dictionaryDir = dictionaryDir;
    this.maxSuggestions = maxSuggestions;
    this.checker = preferSystem ? new Spellchecker() : new Spellchecker(true);
    this.language = null;
    this.userWords = new Set();
  }

  languages() {
    if (!this.checker.isHunspell()) return this.checker.getAvailableDictionaries();
    // Hunspell lists no languages itself: they are the complete dictionaries of the folder.
    return fs
      .readdirSync(this.dictionaryDir)
      .filter((name) => name.endsWith('.dic') && fs.existsSync(path.join(this.dictionaryDir, `${name.slice(0, -4)}.aff`)))
      .map((name) => name.slice(0, -4))
      .sort();
  }

  // A failed switch leaves the checker without any dictionary, so the previous language is
  // loaded again. Either way the user's words are added again: a switch forgets them.
  setLanguage(language) {
    const switched = this.checker.setDictionary(language, this.dictionaryDir);
    if (switched) this.language = language;
    else if (this.language !== null) this.checker.setDictionary(this.language, this.dictionaryDir);
    for (const word of this.userWords) this.checker.add(word);
    return switched;
  }

  addWord(word) {
    this.userWords.add(word);
    this.checker.add(word);
  }

  // The misspelled words of the text, where they are (UTF-16 offsets, as the page's selection
  // APIs count) and what to offer instead.
  check(text) {
    const misspelled = [];
    for (const match of text.matchAll(WORD)) {
      const word = match[0];
      if (!this.checker.isMisspelled(word)) continue;
      misspelled.push({
        word,
        start: match.index,
        end: match.index + word.length,
        suggestions: this.checker.getCorrectionsForMisspelling(word).slice(0, this.maxSuggestions),
      });
    }
    return misspelled;
  }
}

module.exports = { SpellcheckService };
