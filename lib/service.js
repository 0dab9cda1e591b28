'use strict';
// SpellService: checks whole texts in several languages at once, off the calling thread, with
// the user's personal words kept in a file. The checkers live in a worker it owns (or on the
// calling thread); this side checks arguments, owns the personal file, and answers the calls
// in the order they were made.
const check = require('./arguments');
const { misspellingsOf } = require('./engine');
const { FORMATS } = require('./formats');
const { InlineHost, WorkerHost, closedError, LOAD_TIMEOUT_MS } = require('./hosts');
const { PersonalFile } = require('./personal-file');
const { resolveLanguages } = require('./resolve-languages');

const CREATE = Symbol('SpellService.open');
// A signal-like object need not give a reason; an AbortSignal's default stands in.
const reasonOf = (signal) => (signal.reason !== undefined ? signal.reason : new DOMException('This operation was aborted', 'AbortError'));

class SpellService {
  static async open(options) {
    if (options === undefined) throw new TypeError('options must be an object');
    const given = check.options(options);
    const names = check.languages(given.languages);
    const dictionaryDirs = check.stringArray(given.dictionaryDirs, 'dictionaryDirs');
    const backend = check.oneOf(given.backend, 'backend', ['auto', 'hunspell', 'system'], 'auto');
    const personalPath = check.filePath(given.personalDictionary, 'personalDictionary');
    const worker = check.boolean(given.worker, 'worker', true);
    const loadTimeout = given.loadTimeout === undefined ? LOAD_TIMEOUT_MS : given.loadTimeout;
    if (!Number.isSafeInteger(loadTimeout) || loadTimeout <= 0) throw new TypeError('loadTimeout must be a positive integer');

    const languages = resolveLanguages(names, { backend, dictionaryDirs });
    const file = personalPath === undefined ? null : new PersonalFile(personalPath);
    const personal = file ? await file.read() : [];
    const service = new SpellService(CREATE, { languages, personal, file, backend, dictionaryDirs, worker, loadTimeout });
    try {
      await service._host.start();
    } catch (error) {
      service._host.close();
      throw error;
    }
    return service;
  }

  constructor(token, settings) {
    if (token !== CREATE) throw new TypeError('use SpellService.open(options) to make a SpellService');
    const { languages, personal, file, backend, dictionaryDirs, worker, loadTimeout } = settings;
    this._languages = languages;
    this._personal = personal;
    this._file = file;
    this._backend = backend;
    this._dictionaryDirs = dictionaryDirs;
    const state = { languages, personal };
    this._host = worker ? new WorkerHost(state, (error) => this._failPending(error), { loadTimeout }) : new InlineHost(state);
    this._pending = new Set();
    this._tail = Promise.resolve();
    this._closed = false;
  }

  /** The resolved dictionaries, in the order the languages were given. */
  get languages() {
    return this._languages.map((info) => ({ ...info }));
  }

  check(text, options) {
    return this._call(() => {
      if (typeof text !== 'string') throw new TypeError('text must be a string');
      const given = check.options(options);
      const suggestions = check.count(given.suggestions, 'suggestions', 0);
      const format = check.oneOf(given.format, 'format', FORMATS, 'plain');
      return [check.signal(given.signal), async (call) => {
        const result = await this._host.request('check', [text, { suggestions, format }], call);
        return result === undefined ? undefined : misspellingsOf(text, result);
      }];
    });
  }

  isMisspelled(word) {
    return this._call(() => {
      check.word(word);
      return [undefined, (call) => this._host.request('isMisspelled', [word], call)];
    });
  }

  suggest(word, options) {
    return this._call(() => {
      check.word(word);
      const limit = check.count(check.options(options).limit, 'limit', 10);
      return [undefined, (call) => this._host.request('suggest', [word, limit], call)];
    });
  }

  addWord(word) {
    return this._call(() => {
      check.word(word);
      return [undefined, async (call) => {
        const words = this._file ? await this._file.add(word) : this._personal.includes(word) ? this._personal : [...this._personal, word];
        await this._setPersonal(words, call);
      }];
    });
  }

  removeWord(word) {
    return this._call(() => {
      check.word(word);
      return [undefined, async (call) => {
        const words = this._file ? await this._file.remove(word) : this._personal.filter((w) => w !== word);
        await this._setPersonal(words, call);
      }];
    });
  }

  /** The personal words, in file order. */
  personalWords() {
    return [...this._personal];
  }

  setLanguages(languages) {
    return this._call(() => {
      const names = check.languages(languages);
      return [undefined, async (call) => {
        const resolved = resolveLanguages(names, { backend: this._backend, dictionaryDirs: this._dictionaryDirs });
        await this._host.request('setLanguages', [resolved], call);
        this._languages = resolved;
      }];
    });
  }

  close() {
    if (!this._closed) {
      this._closed = true;
      this._failPending(closedError());
      this._host.close();
    }
    return Promise.resolve();
  }

  async _setPersonal(words, call) {
    this._personal = words;
    // The file has changed already; a call that close() rejected meanwhile has no one to tell.
    if (call.settled) return;
    await this._host.request('setPersonal', [words], call);
  }

  _failPending(error) {
    for (const call of [...this._pending]) call.fail(error);
  }

  // Runs `prepare` (the argument checks, which give the call's signal and its work) and queues
  // the work behind the calls made before. Every error, bad arguments included, rejects.
  _call(prepare) {
    if (this._closed) return Promise.reject(closedError());
    let signal;
    let work;
    try {
      [signal, work] = prepare();
    } catch (error) {
      return Promise.reject(error);
    }
    if (signal?.aborted) return Promise.reject(reasonOf(signal));

    let resolve;
    let reject;
    const promise = new Promise((res, rej) => {
      resolve = res;
      reject = rej;
    });
    const call = { settled: false, aborted: false, id: undefined };
    const onAbort = () => {
      call.aborted = true;
      call.reason = reasonOf(signal);
      call.fail(call.reason);
      this._host.abort(call);
    };
    const settle = (action, value) => {
      if (call.settled) return;
      call.settled = true;
      this._pending.delete(call);
      signal?.removeEventListener('abort', onAbort);
      action(value);
    };
    call.fail = (error) => settle(reject, error);
    signal?.addEventListener('abort', onAbort, { once: true });
    this._pending.add(call);
    this._tail = this._tail.then(async () => {
      if (call.settled) return;
      try {
        const value = await work(call);
        settle(resolve, value);
      } catch (error) {
        call.fail(error);
      }
    });
    return promise;
  }
}

module.exports = { SpellService };
