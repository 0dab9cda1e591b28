'use strict';
// The package: the native add-on's own exports, unchanged (Spellchecker, openAs,
// openProperties), and beside them the JavaScript layer over it (SpellService,
// findDictionaries, the formats) from lib/.
//
// node-gyp-build picks the binary (lib/addon.js): build/Release/spellshell.node when the add-on
// was built here (by the install step, because no prebuilt binary loads on this machine, or by
// hand), else the prebuilt one matching this platform and architecture under
// prebuilds/<platform>-<arch>/. A local build comes first so that it is never shadowed by a
// prebuilt binary it replaced.
const { Spellchecker, openAs, openProperties } = require('./lib/dictionaries/addon');
const { SpellService } = require('./lib/service');
const { findDictionaries } = require('./lib/dictionaries/find-dictionaries');
const { FORMATS, formatForPath, formatForLanguageId } = require('./lib/formats');
const { VOCABULARIES, vocabulariesFor, languageIdForPath } = require('./lib/words/vocabularies');

module.exports = { Spellchecker, openAs, openProperties, SpellService, findDictionaries, FORMATS, formatForPath, formatForLanguageId, VOCABULARIES, vocabulariesFor, languageIdForPath };

// Never runs: it names the exports for Node's ES module loader, which reads them from this
// file's text, so that `import { SpellService } from 'spellshell'` works as well.
0 && (module.exports = { Spellchecker: null, openAs: null, openProperties: null, SpellService: null, findDictionaries: null, FORMATS: null, formatForPath: null, formatForLanguageId: null, VOCABULARIES: null, vocabulariesFor: null, languageIdForPath: null });
