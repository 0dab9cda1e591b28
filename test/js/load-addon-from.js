'use strict';
// Preloaded with `node --require` (through NODE_OPTIONS, so that the test runner's child
// processes and their workers get it too): every require of the release add-on loads the
// binary named by SPELLSHELL_ADDON instead. The script suite then runs unchanged against
// another build of the add-on, such as the sanitized one (scripts/test-sanitized).
const Module = require('node:module');
const path = require('node:path');

const replacement = process.env.SPELLSHELL_ADDON;
if (replacement) {
  const release = path.resolve(__dirname, '..', '..', 'build', 'Release', 'spellshell.node');
  const loadNative = Module._extensions['.node'];
  Module._extensions['.node'] = function loadReplacement(module, filename) {
    // The module keeps the release path as its id, so the require cache and identity checks
    // behave as they do without the preload.
    return loadNative(module, path.resolve(filename) === release ? path.resolve(replacement) : filename);
  };
}
