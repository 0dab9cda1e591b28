'use strict';
// Where a SpellService's checkers live: in a worker thread (WorkerHost), or on the calling
// thread (InlineHost). Both take the same requests (the Engine's methods by name); a new engine
// starts from `state` ({ languages, personal }) as it stands then, which the pool keeps current.
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const { Engine } = require('./engine');

// What every call made or still running after close() rejects with.
const closedError = () => new Error('the spell service is closed');

function rebuildError({ name, message }) {
  return name === 'TypeError' ? new TypeError(message) : new Error(message);
}

// A dictionary loads in well under a second (Debian's en_US in 35 ms, fr_FR in 50 ms): one that
// has not loaded after this long is taken for a hostile file that would hold the worker for
// minutes. The worker is let go (its thread ends once Hunspell returns) and the call rejects,
// naming the dictionaries; the next call starts a new worker with the languages of before.
const LOAD_TIMEOUT_MS = 10000;

function loadTimeoutError(languages, ms) {
  const named = languages.map((info) => (info.backend === 'system' ? info.language : `${info.language} (${path.join(info.dir, `${info.language}.dic`)})`));
  return new Error(`the ${named.length === 1 ? 'dictionary' : 'dictionaries'} ${named.join(', ')} did not load within ${ms} ms`);
}

// A text longer than this goes to the worker in parts of TEXT_PART characters, each copied into
// its message in a millisecond or two; a shorter one goes with its request, without extra turns.
const ONE_MESSAGE = 1024 * 1024;
const TEXT_PART = 256 * 1024;

class InlineHost {
  constructor(state) {
    this.state = state;
    this.engine = null;
  }

  async start() {
    this.engine = new Engine(this.state);
  }

  // call: { aborted } from the service, read between slices of a check.
  async request(op, args, call) {
    if (op === 'check') return this.engine.check(args[0], { ...args[1], isAborted: () => call.aborted });
    return this.engine[op](...args);
  }

  abort() {}

  close() {
    this.engine?.close();
    this.engine = null;
    return Promise.resolve();
  }
}

class WorkerHost {
  // onDeath(host): told when the worker ends without being asked to; the requests it left
  // unanswered have been rejected. loadTimeout: ms that loading the dictionaries of a start or a
  // setLanguages may take.
  constructor(state, onDeath, { loadTimeout = LOAD_TIMEOUT_MS } = {}) {
    this.state = state;
    this.onDeath = onDeath;
    this.loadTimeout = loadTimeout;
    this.worker = null;
    this.ready = null;
    this.replies = new Map();
    this.nextId = 1;
    // Work begun before close() (a personal file being written) may still reach request(): it
    // must not start a worker that nobody would end.
    this.closed = false;
    // Workers asked to stop whose threads have not ended yet: close() waits for them.
    this.ending = new Set();
    // Dictionary loads under way (a start, a setLanguages): a worker in one may not return from
    // Hunspell for minutes (a hostile file), so close() waits for its thread no longer than a
    // load may take.
    this.loads = 0;
  }

  // Starts a worker with the current state, unless one runs; resolves once its engine loaded.
  start() {
    if (this.closed) return Promise.reject(closedError());
    if (this.worker) return this.ready;
    const worker = new Worker(path.join(__dirname, 'worker.js'), { workerData: this.state });
    this.worker = worker;
    this.loads++;
    this.ready = new Promise((resolve, reject) => {
      let timer;
      const starting = (message) => {
        if (message.loading) {
          timer = setTimeout(() => {
            // Let go, as giveUp does: close() must not wait for the load to end after all.
            this.stop(worker, 0);
            reject(loadTimeoutError(this.state.languages, this.loadTimeout));
          }, this.loadTimeout);
          return;
        }
        worker.off('message', starting);
        clearTimeout(timer);
        if (message.ready) return resolve();
        this.stop(worker);
        reject(rebuildError(message.error));
      };
      worker.on('message', starting);
      worker.once('exit', (code) => {
        clearTimeout(timer);
        reject(new Error(`the spell service's worker stopped while starting (exit code ${code})`));
      });
    });
    this.ready.then(
      () => this.loads--,
      () => this.loads--,
    );
    worker.on('message', (message) => this.receive(message));
    worker.on('error', () => {}); // the exit that follows says it
    worker.on('exit', (code) => this.exited(worker, code));
    // An idle service must not keep the process alive: the worker is referenced while it starts
    // and while a request waits for it. (Its 'message' listeners ref it too, so a service opened
    // and never used would otherwise hold the process for good.)
    this.ready.then(() => {
      if (this.worker === worker && this.replies.size === 0) worker.unref();
    }, () => {});
    return this.ready;
  }

  receive(message) {
    const reply = this.replies.get(message.id);
    if (!reply) return;
    this.replies.delete(message.id);
    if (this.replies.size === 0 && this.worker) this.worker.unref();
    if (message.aborted) reply.reject(new Error('aborted'));
    else if (message.error) reply.reject(rebuildError(message.error));
    else reply.resolve(message.value);
  }

  exited(worker, code) {
    if (worker !== this.worker) return; // stopped on purpose
    this.worker = null;
    const error = new Error(`the spell service's worker stopped unexpectedly (exit code ${code}); a new one starts with the next call`);
    for (const reply of this.replies.values()) reply.reject(error);
    this.replies.clear();
    this.onDeath(this);
  }

  async request(op, args, call) {
    await this.start();
    if (this.closed) throw closedError(); // closed while the worker started
    // Aborted while a new worker started: abort() had no id to send, and nothing must be sent.
    if (call.aborted) throw call.reason;
    const id = this.nextId++;
    call.id = id;
    const reply = new Promise((resolve, reject) => {
      this.replies.set(id, { resolve, reject });
    });
    // While a long text still goes out in parts, the worker may die and this reply be rejected
    // before the caller holds it; unhandled for that moment, the rejection would end the
    // application. The caller still gets it through the returned promise.
    reply.catch(() => {});
    const worker = this.worker;
    if (op === 'setLanguages') {
      const timer = setTimeout(() => this.giveUp(worker, loadTimeoutError(args[0], this.loadTimeout)), this.loadTimeout);
      this.loads++;
      reply
        .finally(() => {
          clearTimeout(timer);
          this.loads--;
        })
        .catch(() => {});
    }
    worker.ref();
    if (op === 'check' && args[0].length > ONE_MESSAGE) {
      // Copying a long text into a message takes tens of milliseconds on this thread: it goes
      // in parts, one per turn of the event loop, so that the caller's own events get their turn.
      const text = args[0];
      for (let from = 0; from < text.length; from += TEXT_PART) {
        if (call.aborted || this.worker !== worker) break;
        worker.postMessage({ part: id, text: text.slice(from, from + TEXT_PART) });
        await new Promise((resolve) => setImmediate(resolve));
      }
      if (call.aborted && this.replies.has(id)) {
        // The request itself was never sent: nothing will answer it (abort() told the worker to
        // drop the parts).
        this.replies.get(id).reject(new Error('aborted'));
        this.replies.delete(id);
        if (this.replies.size === 0) worker.unref();
      } else if (this.worker === worker) {
        worker.postMessage({ id, op, args: [null, ...args.slice(1)] });
      }
    } else {
      worker.postMessage({ id, op, args });
    }
    return reply;
  }

  // Lets a worker stuck in a load go: every call waiting for it rejects with `error`. Its thread
  // ends only once Hunspell returns, which may take minutes: close() does not wait for it.
  giveUp(worker, error) {
    if (this.worker !== worker) return;
    this.stop(worker, 0);
    for (const reply of this.replies.values()) reply.reject(error);
    this.replies.clear();
  }

  abort(call) {
    if (this.worker && call.id !== undefined) this.worker.postMessage({ abort: call.id });
  }

  // `wait`: how long close() waits for the thread to end, in ms (0: not at all).
  stop(worker, wait = Infinity) {
    if (this.worker === worker) this.worker = null;
    let ended = worker.terminate().then(
      () => {},
      () => {},
    );
    if (wait === 0) return;
    if (wait !== Infinity) ended = Promise.race([ended, new Promise((resolve) => setTimeout(resolve, wait).unref())]);
    this.ending.add(ended);
    ended.then(() => this.ending.delete(ended));
  }

  // Resolves once the worker's thread has ended, so that a caller who awaits it knows the thread
  // and its dictionaries are gone; for a worker in a load, after loadTimeout ms at most.
  close() {
    this.closed = true;
    if (this.worker) this.stop(this.worker, this.loads === 0 ? Infinity : this.loadTimeout);
    this.replies.clear();
    return Promise.all(this.ending).then(() => {});
  }
}

module.exports = { InlineHost, WorkerHost, closedError, LOAD_TIMEOUT_MS };
