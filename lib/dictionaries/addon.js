'use strict';
// The native add-on's exports, { Spellchecker, openAs, openProperties }, loaded the one way the
// package loads them (a local build first, then the prebuilt binary), so that the JavaScript
// layer and the application share one module instance.
const path = require('node:path');

module.exports = require('node-gyp-build')(path.join(__dirname, '..', '..'));
