'use strict';
// SpellService: checks whole texts in several languages at once, off the calling thread, with
// the user's personal words kept in a file. The checkers live in workers it owns (or on the
// calling thread: see pool.js); this side checks arguments, owns the personal file, and orders
// the calls: a change (addWord, removeWord, setLanguages) begins once every call made before it
// has finished, and the calls made after it begin once it has, so each call sees exactly the
// changes made before it; the calls between two changes run side by side.
const os = require('node:os');
const check = require('./arguments');
const { mergeSuggestions, misspellingsOf } = require('./engine');
const { FORMATS } = require('../formats');
const { closedError, LOAD_TIMEOUT_MS } = require('./hosts');
const { PersonalFile } = require('../words/personal-file');
const { Pool } = require('./pool');
const { resolveLanguages } = require('../dictionaries/resolve-languages');
const { resolveLanguage } = require('../dictionaries/languages');
const { vocabulariesFor } = require('../words/vocabularies');

// One engine per processor, up to 4: each extra worker loads every dictionary again (tens of
// megabytes a language), and beyond four the lists a user waits for (one word's languages, a
// check's few dozen misspellings) come no sooner.
const MAX_DEFAULT_WORKERS = 4;
const defaultWorkers = () => Math.max(1, Math.min(MAX_DEFAULT_WORKERS, os.availableParallelism ? os.availableParallelism() : os.cpus().length));
// Words whose lists a check prepares in the background: its first misspellings, in text order.
const PREPARED_PER_CHECK = 32;

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
    const loadTimeout = check.positive(given.loadTimeout, 'loadTimeout', LOAD_TIMEOUT_MS);
    const workers = check.positive(given.workers, 'workers', defaultWorkers());
    const background = check.boolean(given.backgroundSuggestions, 'backgroundSuggestions', true);
    const anyLanguage = check.boolean(given.anyLanguage, 'anyLanguage', false);
    const vocabularies = check.vocabularies(given.vocabularies, true);

    const languages = resolveLanguages(names, { backend, dictionaryDirs });
    const file = personalPath === undefined ? null : new PersonalFile(personalPath);
    const personal = file ? await file.read() : [];
    const service = new SpellService(CREATE, { languages, personal, file, backend, dictionaryDirs, worker, workers, background, loadTimeout, anyLanguage, vocabularies });
    try {
      await service._pool.start();
    } catch (error) {
      service._pool.close();
      throw error;
    }
    return service;
  }

  constructor(token, settings) {
    if (token !== CREATE) throw new TypeError('use SpellService.open(options) to make a SpellService');
    const { languages, personal, file, backend, dictionaryDirs, worker, workers, background, loadTimeout, anyLanguage, vocabularies } = settings;
    this._languages = languages;
    this._personal = personal;
    this._file = file;
    this._backend = backend;
    this._dictionaryDirs = dictionaryDirs;
    this._background = background;
    this._anyLanguage = anyLanguage;
    this._vocabularies = vocabularies;
    this._pool = new Pool({ languages, personal }, { worker, workers, loadTimeout });
    this._pending = new Set();
    // Settles when the latest change has; the calls made since it, still running.
    this._gate = Promise.resolve();
    this._since = new Set();
    this._closed = false;
  }

  /** The resolved dictionaries, in the order the languages were given. */
  get languages() {
    return this._languages.map((info) => ({ ...info }));
  }

  check(text, options) {
    return this._call('read', () => {
      if (typeof text !== 'string') throw new TypeError('text must be a string');
      const given = check.options(options);
      const suggestions = check.count(given.suggestions, 'suggestions', 0);
      const format = check.oneOf(given.format, 'format', FORMATS, 'plain');
      const timeout = check.timeout(given.timeout);
      const anyLanguage = check.boolean(given.anyLanguage, 'anyLanguage', this._anyLanguage);
      const vocabularies = check.vocabularies(given.vocabularies, this._vocabularies);
      const directives = check.boolean(given.directives, 'directives', true);
      const own = check.boolean(given.ownWords, 'ownWords', true);
      const terms = check.boolean(given.repeatedTerms, 'repeatedTerms', own);
      // What the engine needs of the options (the lists are made here, over the pool).
      const request = { format, anyLanguage, vocabularies: vocabularyNames(vocabularies, format), directives, own, terms };
      return [check.signal(given.signal), async (call) => {
        const result = await this._pool.onPrimary('check', [text, request], call);
        if (result === undefined) return undefined;
        const found = await misspellingsOf(text, result);
        // Beside the misspellings, not among them: an application that reads only the array's
        // entries (or compares it with an array) sees what it always did.
        Object.defineProperty(found, 'problems', { value: result.problems ?? [], enumerable: false, writable: true, configurable: true });
        if (suggestions > 0 && found.length > 0) {
          const keys = found.map((entry) => entry.word.normalize('NFC'));
          const words = [...new Set(keys)];
          const lists = await this._pool.lists(words, this._enough(call, timeout));
          // A misspelling judged in one language gets that language's corrections first.
          const listsOf = new Map(words.map((word, i) => [word, lists[i]]));
          const merged = new Map();
          found.forEach((entry, i) => {
            const first = result.names ? result.names.indexOf(entry.language) : undefined;
            const key = `${first}\u0000${keys[i]}`;
            if (!merged.has(key)) merged.set(key, mergeSuggestions(listsOf.get(keys[i]), suggestions, first));
            entry.suggestions = [...merged.get(key)];
          });
        } else if (this._background && found.length > 0) {
          // Only the first words are prepared: the rest of a long result is never looked at here.
          const first = new Set();
          for (const entry of found) {
            if (first.size === PREPARED_PER_CHECK) break;
            first.add(entry.word.normalize('NFC'));
          }
          this._pool.prepare([...first]);
        }
        return found;
      }];
    });
  }

  // The service's languages ranked by how much of `text` reads as each (see docs/service.md).
  detectLanguage(text, options) {
    return this._call('read', () => {
      if (typeof text !== 'string') throw new TypeError('text must be a string');
      const given = check.options(options);
      const format = check.oneOf(given.format, 'format', FORMATS, 'plain');
      return [undefined, (call) => this._pool.onPrimary('detectLanguage', [text, { format }], call)];
    });
  }

  isMisspelled(word) {
    return this._call('read', () => {
      check.word(word);
      return [undefined, (call) => this._pool.onPrimary('isMisspelled', [word], call)];
    });
  }

  suggest(word, options) {
    return this._call('read', () => {
      check.word(word);
      const given = check.options(options);
      const limit = check.count(given.limit, 'limit', 10);
      const timeout = check.timeout(given.timeout);
      const first = given.language === undefined ? undefined : this._languageIndex(given.language);
      return [undefined, async (call) => {
        if (limit === 0) return [];
        const [lists] = await this._pool.lists([word.normalize('NFC')], this._enough(call, timeout));
        return mergeSuggestions(lists, limit, first);
      }];
    });
  }

  addWord(word) {
    return this._call('write', () => {
      check.word(word);
      return [undefined, async (call) => {
        const words = this._file ? await this._file.add(word) : this._personal.includes(word) ? this._personal : [...this._personal, word];
        await this._setPersonal(words);
      }];
    });
  }

  removeWord(word) {
    return this._call('write', () => {
      check.word(word);
      return [undefined, async (call) => {
        const words = this._file ? await this._file.remove(word) : this._personal.filter((w) => w !== word);
        await this._setPersonal(words);
      }];
    });
  }

  /** The personal words, in file order. */
  personalWords() {
    return [...this._personal];
  }

  setLanguages(languages) {
    return this._call('write', () => {
      const names = check.languages(languages);
      return [undefined, async (call) => {
        const resolved = resolveLanguages(names, { backend: this._backend, dictionaryDirs: this._dictionaryDirs });
        await this._pool.setLanguages(resolved, call);
        this._languages = resolved;
      }];
    });
  }

  // Resolves once the workers' threads have ended and their dictionaries are freed; a second
  // call resolves with the first.
  close() {
    if (!this._closed) {
      this._closed = true;
      // The application asked for these rejections: one it does not wait for must not end it
      // as an unhandled rejection while close() waits for the threads.
      for (const call of this._pending) call.promise.catch(() => {});
      this._failPending(closedError());
      this._ended = this._pool.close();
    }
    return this._ended;
  }

  // The file has changed already: from now on every engine holds the words, the ones that run
  // now (told here) and any that starts later, also in place of a worker that dies meanwhile.
  // So the call has taken effect, whatever happens to the workers.
  async _setPersonal(words) {
    this._personal = words;
    if (this._closed) return; // close() rejected the call; nothing runs any more
    await this._pool.setPersonal(words);
  }

  // The index of one of the service's languages, named as callers name languages.
  _languageIndex(name) {
    const found = typeof name === 'string' && name !== '' ? resolveLanguage(name, [...this._languages].sort((a, b) => (a.language < b.language ? -1 : 1))) : undefined;
    if (found === undefined) throw new TypeError(`language must be one of the service's languages (${this._languages.map((info) => info.language).join(', ')})`);
    return this._languages.indexOf(found);
  }

  // A promise that resolves when a call should stop waiting for suggestion lists: once
  // `timeout` ms have passed since it was made, or once it settled (aborted, closed).
  _enough(call, timeout) {
    if (timeout === undefined) return call.done;
    const left = call.made + timeout - Date.now();
    // Run out already: only what is kept now answers (a timer would let quick lists in too).
    if (left <= 0) return Promise.resolve();
    return Promise.race([call.done, new Promise((resolve) => {
      const timer = setTimeout(resolve, left);
      call.done.then(() => clearTimeout(timer));
    })]);
  }

  _failPending(error) {
    for (const call of [...this._pending]) call.fail(error);
  }

  // Runs `prepare` (the argument checks, which give the call's signal and its work) and starts
  // the work once the changes made before have finished; a change ('write') also waits for
  // every call made before it. Every error, bad arguments included, rejects.
  _call(kind, prepare) {
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
    let done;
    const call = { settled: false, aborted: false, id: undefined, made: Date.now(), done: new Promise((res) => (done = res)) };
    const onAbort = () => {
      call.aborted = true;
      call.reason = reasonOf(signal);
      call.fail(call.reason);
      this._pool.abort(call);
    };
    const settle = (action, value) => {
      if (call.settled) return;
      call.settled = true;
      this._pending.delete(call);
      signal?.removeEventListener('abort', onAbort);
      done();
      action(value);
    };
    call.fail = (error) => settle(reject, error);
    call.promise = promise;
    signal?.addEventListener('abort', onAbort, { once: true });
    this._pending.add(call);
    const before = kind === 'read' ? this._gate : Promise.all([this._gate, ...this._since]);
    const run = before.then(async () => {
      if (call.settled) return;
      try {
        const value = await work(call);
        settle(resolve, value);
      } catch (error) {
        call.fail(error);
      }
    });
    if (kind === 'read') {
      this._since.add(run);
      run.then(() => this._since.delete(run));
    } else {
      this._gate = run;
      this._since = new Set();
    }
    return promise;
  }
}

// The vocabularies a check uses: by its format for `true`, none for `false`, else those named.
function vocabularyNames(vocabularies, format) {
  if (vocabularies === true) return vocabulariesFor(format);
  return vocabularies === false ? [] : vocabularies;
}

module.exports = { SpellService };
