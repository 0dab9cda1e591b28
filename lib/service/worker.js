'use strict';
// The worker thread of a SpellService: owns the checkers and answers the service's requests one
// at a time, in the order sent. An abort message for a request marks it; a check in progress
// sees the mark between its slices and stops.
const { parentPort, workerData } = require('node:worker_threads');
const { Engine } = require('./engine');

const errorOf = (error) => ({ name: error.name, message: error.message });

let engine;
// The service bounds the loading from here on, not the worker's own start.
parentPort.postMessage({ loading: true });
try {
  engine = new Engine(workerData);
  parentPort.postMessage({ ready: true });
} catch (error) {
  parentPort.postMessage({ ready: false, error: errorOf(error) });
}

const aborted = new Set();
const parts = new Map();
let queue = Promise.resolve();

async function answer({ id, op, args }) {
  if (aborted.delete(id)) return parentPort.postMessage({ id, aborted: true });
  try {
    if (op === 'check') {
      const [text, options] = args;
      const result = await engine.check(text, { ...options, isAborted: () => aborted.has(id) });
      if (result === undefined) return parentPort.postMessage({ id, aborted: true });
      return parentPort.postMessage({ id, value: result }, [result.offsets.buffer]);
    }
    return parentPort.postMessage({ id, value: engine[op](...args) });
  } catch (error) {
    return parentPort.postMessage({ id, error: errorOf(error) });
  } finally {
    aborted.delete(id);
  }
}

if (engine) {
  parentPort.on('message', (message) => {
    if (message.part !== undefined) {
      // A long text arrives in parts before its request (which then carries null for it).
      if (!parts.has(message.part)) parts.set(message.part, []);
      parts.get(message.part).push(message.text);
    } else if (message.abort !== undefined) {
      // Parts still waiting mean that their request was never sent: nothing more will come.
      if (!parts.delete(message.abort)) aborted.add(message.abort);
    } else {
      if (message.op === 'check' && message.args[0] === null) {
        message.args[0] = (parts.get(message.id) || []).join('');
        parts.delete(message.id);
      }
      queue = queue.then(() => answer(message));
    }
  });
}
