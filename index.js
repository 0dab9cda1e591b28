'use strict';
// Loads the native add-on and returns its exports unchanged:
// { Spellchecker, openAs, openProperties }.
module.exports = require('./build/Release/spellshell.node');
