'use strict';
// The tests name their groups with node:test's `suite`, which Node 18 (Debian 12's Node) has
// only under its older name `describe`. The test scripts preload this file into the test runner
// and its test processes (node --require), so the same tests run on Node 18 and on newer Nodes.
const nodeTest = require('node:test');

if (typeof nodeTest.suite !== 'function') nodeTest.suite = nodeTest.describe;
