'use strict';
// The operating system's spell-checking service, as far as this layer needs to know it: which
// languages it offers. Only Windows has one; elsewhere it offers nothing.
const { Spellchecker } = require('./addon');

let cached;

// The service's language tags (`en-US`). Asked once per process: Windows lists what is
// installed, which does not change while an application runs in practice.
function systemLanguages() {
  if (process.platform !== 'win32') return [];
  if (cached === undefined) {
    const checker = new Spellchecker();
    cached = checker.isHunspell() ? [] : checker.getAvailableDictionaries();
  }
  return [...cached];
}

module.exports = { systemLanguages };
