'use strict';
// The dictionaries that a service's language names mean, for the backend it was asked for.
const { resolveLanguage } = require('./languages');
const { findHunspellDictionaries, findSystemDictionaries, dictionaryFolders } = require('./find-dictionaries');

// names: as the caller gave them; backend: 'auto' | 'hunspell' | 'system'. Throws an Error
// quoting the first name that nothing offers. Repeats of one language are dropped.
function resolveLanguages(names, { backend, dictionaryDirs }) {
  const system = backend === 'hunspell' ? [] : findSystemDictionaries();
  const hunspell = backend === 'system' ? [] : findHunspellDictionaries({ dirs: dictionaryDirs });
  const resolved = [];
  for (const name of names) {
    const info = resolveLanguage(name, system) || resolveLanguage(name, hunspell);
    if (!info) {
      throw new Error(backend === 'system'
        ? `no system spell-checking service offers "${name}"`
        : `no dictionary for "${name}" (searched: ${dictionaryFolders({ dirs: dictionaryDirs }).join(', ')})`);
    }
    if (!resolved.some((r) => r.language === info.language && r.backend === info.backend)) resolved.push(info);
  }
  return resolved;
}

module.exports = { resolveLanguages };
