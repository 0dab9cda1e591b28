'use strict';
// Preloaded into the service's worker threads by service-worker.test.js: a message
// { exitForTest: code } makes the worker run process.exit(code), as a fault inside it would.
const { isMainThread, parentPort } = require('node:worker_threads');

if (!isMainThread && parentPort) {
  parentPort.on('message', (message) => {
    if (message && message.exitForTest !== undefined) process.exit(message.exitForTest);
  });
}
