'use strict';
// Preloaded (node --require) into a language server started by lsp-protocol.test.js, and so into
// its service's worker threads: a worker asked to check a text holding "workerstopshere" ends
// the way a crash inside it would.
const { isMainThread } = require('node:worker_threads');

if (!isMainThread) {
  const { Engine } = require('../../../lib/service/engine');
  const check = Engine.prototype.check;
  Engine.prototype.check = function checkOrStop(text, options) {
    if (text.includes('workerstopshere')) process.exit(9);
    return check.call(this, text, options);
  };
}
