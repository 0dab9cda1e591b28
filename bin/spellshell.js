#!/usr/bin/env node
'use strict';
// The `spellshell` command; its logic is in lib/cli/.
const { main } = require('../lib/cli');

main(process.argv.slice(2)).then(
  (status) => {
    process.exitCode = status;
  },
  (error) => {
    process.stderr.write(`spellshell: ${error.message}\n`);
    process.exitCode = 2;
  },
);
