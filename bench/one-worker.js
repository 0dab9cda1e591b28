'use strict';
// Preloaded by bench/cli.js into a spellshell run: its service gets one worker, so the run's
// suggestions are computed on one thread, the reference the pool is measured against.
const { SpellService } = require('../lib/service');

const open = SpellService.open;
SpellService.open = (options) => open.call(SpellService, { ...options, workers: 1 });
