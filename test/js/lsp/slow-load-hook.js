'use strict';
// Preloaded (node --require) into a language server started by lsp-protocol.test.js, and so into
// its service's worker threads: a worker loading the dictionary xx_SLOW blocks for ten minutes,
// as Hunspell does on a hostile file (no message, no termination reaches it meanwhile).
const { isMainThread } = require('node:worker_threads');

if (!isMainThread) {
  const engine = require('../../../lib/service/engine');
  const { Engine } = engine;
  engine.Engine = class SlowEngine extends Engine {
    constructor(state) {
      if (state.languages.some((info) => info.language === 'xx_SLOW')) Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, 600000);
      super(state);
    }
  };
}
