'use strict';
// Loads the native add-on and returns its exports unchanged:
// { Spellchecker, openAs, openProperties }.
//
// node-gyp-build picks the binary: build/Release/spellshell.node when the add-on was built here
// (by the install step, because no prebuilt binary loads on this machine, or by hand), else the
// prebuilt one matching this platform and architecture under prebuilds/<platform>-<arch>/.
// A local build comes first so that it is never shadowed by a prebuilt binary it replaced.
module.exports = require('node-gyp-build')(__dirname);

// Never runs: it names the exports for Node's ES module loader, which reads them from this
// file's text, so that `import { Spellchecker } from 'spellshell'` works as well.
0 && (module.exports = { Spellchecker: null, openAs: null, openProperties: null });
