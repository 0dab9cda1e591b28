'use strict';
// The engines of a SpellService and the work they share. The first engine (the primary) checks
// texts and words and is all an idle service holds; suggestion lists are computed one word and
// one language at a time, each a task any engine may take, so that the languages of one word
// and the words of a batch run side by side on extra workers, started only when such tasks
// wait. Every engine holds the same languages and personal words: changes are sent to the
// running ones, and a new one starts from `state` as it stands.
//
// Each engine has at most one task at a time, so that a task waits for at most one task ahead
// of it on its engine: a check behind background work waits one word's suggestion time. Tasks
// of calls go first, in the order made; background tasks (lists prepared before anyone asks)
// run only on an engine that has nothing else to do, and never start an extra worker.
const { InlineHost, WorkerHost, closedError } = require('./hosts');
const { KeptSuggestions } = require('./kept-suggestions');

// An extra worker that has had no task for this long is ended: a service used in bursts
// (a check with suggestions now and then) returns to the memory of one engine in between.
const EXTRA_IDLE_MS = 30000;
// Kept lists: about 2 MiB of strings, some 5,000 words with two languages' lists.
const KEPT_BYTES = 2 * 1024 * 1024;
// Background work waiting at once, in words: the latest check's first misspellings go first
// and push older ones out.
const BACKGROUND_WORDS = 64;

class Pool {
  // state: { languages, personal }; options: { worker, workers, loadTimeout }.
  constructor(state, { worker, workers, loadTimeout }) {
    this.state = state;
    this.worker = worker;
    this.loadTimeout = loadTimeout;
    this.maxEngines = worker ? workers : 1;
    this.primary = this.makeSlot();
    this.slots = [this.primary];
    // Extra workers ended (idle, or by a change of languages) whose threads have not ended yet:
    // close() waits for them.
    this.retired = new Set();
    this.queue = []; // tasks of calls, in the order made
    this.background = []; // tasks nobody waits for
    this.running = new Map(); // key -> task, for tasks queued or running
    this.kept = new KeptSuggestions(KEPT_BYTES, state.languages.length);
    // Bumped at every change of languages or personal words: results of tasks begun before
    // are not kept.
    this.generation = 0;
    this.extrasFailed = false;
    this.extraIdleMs = EXTRA_IDLE_MS;
    this.closed = false;
  }

  makeSlot() {
    const slot = { task: null, idleTimer: null };
    slot.host = this.worker
      ? new WorkerHost(this.state, () => this.died(slot), { loadTimeout: this.loadTimeout })
      : new InlineHost(this.state);
    return slot;
  }

  start() {
    return this.primary.host.start();
  }

  // Whether an engine is loaded and can take background work without starting anything.
  static loaded(slot) {
    return slot.host instanceof InlineHost ? slot.host.engine !== null : slot.host.worker !== null && !slot.starting;
  }

  // ---- calls' requests ---------------------------------------------------------------------

  // `op` on the primary engine, behind the tasks before it. call: the service's call (aborted,
  // id for an abort message).
  onPrimary(op, args, call) {
    return this.enqueue({ op, args, call, slot: this.primary });
  }

  // `op` on every engine that runs (the primary even when it does not), each behind the task it
  // has. A worker that dies meanwhile does not count: a new one starts from `state`.
  async everywhere(op, args) {
    const slots = this.slots.filter((slot) => slot === this.primary || Pool.loaded(slot) || slot.starting);
    await Promise.all(slots.map((slot) => this.enqueue({ op, args, call: { aborted: false }, slot }).catch((error) => {
      if (!/stopped unexpectedly/.test(error.message)) throw error;
    })));
  }

  // The lists of each word of `words` (distinct, NFC) for every language: an array per word with
  // one slot per language. Kept lists answer at once; the rest are computed on any engine.
  // With `enough` (a promise), resolves when it does with what is ready then (holes where a
  // language's list is not), and the tasks still waiting only for this call go to the
  // background. Rejects when a task fails (its worker died).
  async lists(words, enough) {
    const generation = this.generation;
    const languages = this.state.languages.length;
    const result = words.map((word) => this.kept.get(word)?.slice() ?? new Array(languages));
    const waits = [];
    const tasks = [];
    words.forEach((word, w) => {
      for (let index = 0; index < languages; index++) {
        if (result[w][index] !== undefined) continue;
        const task = this.suggestionTask(word, index, generation, false);
        task.waiters++;
        tasks.push(task);
        waits.push(task.promise.then((list) => {
          result[w][index] = list;
        }));
      }
    });
    if (waits.length === 0) return result;
    this.pump();
    const all = Promise.all(waits);
    try {
      if (enough === undefined) {
        await all;
      } else {
        all.catch(() => {});
        await Promise.race([all, enough]);
      }
    } finally {
      for (const task of tasks) this.release(task);
    }
    // Lists that come later must not change what this call answered.
    return result.map((lists) => lists.slice());
  }

  // The task that computes `word`'s list in language `index`, shared by everyone who wants it:
  // one already queued or running, moved to the front rank if it was background work.
  suggestionTask(word, index, generation, background) {
    const key = `${index}\u0000${word}`;
    let task = this.running.get(key);
    if (task !== undefined && task.generation === generation) {
      if (!background && task.background) {
        task.background = false;
        const at = this.background.indexOf(task);
        if (at >= 0) {
          this.background.splice(at, 1);
          this.queue.push(task);
        }
      }
      return task;
    }
    task = { op: 'suggestIn', args: [word, index], call: { aborted: false }, key, generation, background, waiters: 0 };
    task.promise = new Promise((resolve, reject) => {
      task.resolve = resolve;
      task.reject = reject;
    });
    task.promise.catch(() => {}); // a background task's failure has no one to tell
    this.running.set(key, task);
    task.promise.then((list) => {
      if (task.generation === this.generation) this.kept.set(word, index, list);
    }, () => {}).finally(() => {
      if (this.running.get(key) === task) this.running.delete(key);
    });
    (background ? this.background : this.queue).push(task);
    return task;
  }

  // One waiter less; a task still queued that nobody waits for becomes background work.
  release(task) {
    if (--task.waiters > 0 || task.background) return;
    const at = this.queue.indexOf(task);
    if (at < 0) return; // running, or done
    this.queue.splice(at, 1);
    task.background = true;
    this.background.unshift(task);
    this.trimBackground();
  }

  // Lists computed while nothing else waits, for `words` (distinct, NFC, most wanted first).
  // Not on the calling thread: there, idle time is the application's.
  prepare(words) {
    if (!this.worker) return;
    const generation = this.generation;
    const fresh = [];
    for (const word of words) {
      for (let index = 0; index < this.state.languages.length; index++) {
        if (this.kept.get(word)?.[index] !== undefined || this.running.has(`${index}\u0000${word}`)) continue;
        fresh.push(this.suggestionTask(word, index, generation, true));
      }
    }
    // suggestionTask pushed them at the end; the latest check's words go first.
    this.background.splice(this.background.length - fresh.length, fresh.length);
    this.background.unshift(...fresh);
    this.trimBackground();
    this.pump();
  }

  trimBackground() {
    const max = BACKGROUND_WORDS * this.state.languages.length;
    for (const task of this.background.splice(max)) this.forget(task);
  }

  forget(task) {
    if (this.running.get(task.key) === task) this.running.delete(task.key);
  }

  // ---- changes -----------------------------------------------------------------------------

  // Kept lists and prepared work belong to the old languages or personal words.
  changed() {
    this.generation++;
    this.kept.clear(this.state.languages.length);
    for (const task of this.background) this.forget(task);
    this.background = [];
  }

  async setPersonal(words) {
    // A worker started from here on starts with them, whether or not the running ones answer.
    this.state.personal = words;
    this.changed();
    await this.everywhere('setPersonal', [words]);
  }

  // All load on the primary, or nothing changes. The extra workers end: the next suggestion work
  // starts them with the new languages (and their old dictionaries' memory goes now).
  async setLanguages(languages, call) {
    await this.onPrimary('setLanguages', [languages], call);
    this.state.languages = languages;
    this.changed();
    this.extrasFailed = false;
    for (const slot of this.slots.splice(1)) this.putAside(this.end(slot));
  }

  abort(call) {
    if (call.id !== undefined && this.primary.task?.call === call) this.primary.host.abort(call);
  }

  // Resolves once every worker's thread has ended, those of extra workers retired before too.
  close() {
    this.closed = true;
    const ended = [...this.retired, ...this.slots.map((slot) => this.end(slot))];
    const error = closedError();
    for (const task of [...this.queue, ...this.background]) task.reject(error);
    this.queue = [];
    this.background = [];
    return Promise.all(ended).then(() => {});
  }

  end(slot) {
    clearTimeout(slot.idleTimer);
    const ended = slot.host.close();
    if (slot.task) slot.task.reject(closedError());
    return ended;
  }

  // ---- scheduling --------------------------------------------------------------------------

  enqueue(task) {
    task.promise = new Promise((resolve, reject) => {
      task.resolve = resolve;
      task.reject = reject;
    });
    this.queue.push(task);
    this.pump();
    return task.promise;
  }

  // Gives every free engine its next task, and starts an extra worker when suggestion work waits
  // that no free engine can take.
  pump() {
    if (this.closed) return;
    for (const slot of this.slots) {
      if (slot.task || slot.starting) continue;
      const task = this.next(slot);
      if (task) this.run(slot, task);
    }
    const waiting = this.queue.some((task) => task.slot === undefined);
    if (waiting && this.slots.length < this.maxEngines && !this.extrasFailed) this.addExtra();
  }

  next(slot) {
    for (let i = 0; i < this.queue.length; i++) {
      const task = this.queue[i];
      if (task.call.settled) {
        // Its call was aborted or closed while it waited: nobody wants it done.
        this.queue.splice(i--, 1);
      } else if (task.slot === undefined || task.slot === slot) {
        this.queue.splice(i, 1);
        return task;
      }
    }
    if (Pool.loaded(slot) && this.background.length > 0) return this.background.shift();
    return undefined;
  }

  run(slot, task) {
    slot.task = task;
    clearTimeout(slot.idleTimer);
    slot.host.request(task.op, task.args, task.call).then(task.resolve, task.reject).finally(() => {
      if (slot.task === task) slot.task = null;
      this.pump();
      this.rest(slot);
    });
  }

  // An extra worker left without a task ends unless one comes within extraIdleMs.
  rest(slot) {
    if (slot === this.primary || slot.task || this.closed) return;
    clearTimeout(slot.idleTimer);
    slot.idleTimer = setTimeout(() => this.retire(slot), this.extraIdleMs);
    slot.idleTimer.unref();
  }

  addExtra() {
    const slot = this.makeSlot();
    slot.starting = true;
    this.slots.push(slot);
    slot.host.start().then(() => {
      slot.starting = false;
      this.pump();
      this.rest(slot);
    }, () => {
      // It could not load what the primary holds (memory, most likely): the primary goes on
      // alone until the languages change.
      slot.starting = false;
      this.extrasFailed = true;
      this.drop(slot);
      this.pump();
    });
  }

  // `ended`: a promise of an extra worker's end, for close() to wait for.
  putAside(ended) {
    this.retired.add(ended);
    ended.then(() => this.retired.delete(ended));
  }

  retire(slot) {
    if (slot.task || this.closed) return;
    this.drop(slot);
    this.putAside(slot.host.close());
  }

  // An extra engine leaves the pool. Changes waiting for it have nothing left to change: a
  // worker started later starts from `state`.
  drop(slot) {
    const at = this.slots.indexOf(slot);
    if (at > 0) this.slots.splice(at, 1);
    for (const task of this.queue.filter((t) => t.slot === slot)) task.resolve(undefined);
    this.queue = this.queue.filter((t) => t.slot !== slot);
  }

  // A worker ended without being asked to: its task has been rejected. The primary starts again
  // with its next task; an extra one is replaced when work calls for it.
  died(slot) {
    if (slot !== this.primary) this.drop(slot);
  }

  // How many engines are loaded now (the bench reports memory per engine).
  get engines() {
    return this.slots.filter((slot) => Pool.loaded(slot)).length;
  }
}

module.exports = { Pool };
