'use strict';
// The `spellshell` command line: checks files, folders or standard input through a SpellService
// and prints each misspelling where an editor can jump to it. bin/spellshell.js only launches
// this; its parts are in this folder.
const fs = require('node:fs');
const path = require('node:path');
const { SpellService } = require('../service');
const { findDictionaries } = require('../dictionaries/find-dictionaries');
const { defaultLanguage } = require('../dictionaries/default-language');
const { PersonalWords } = require('../words/personal-words');
const { PersonalFile } = require('../words/personal-file');
const { resolveLanguages } = require('../dictionaries/resolve-languages');
const { findProjectConfig, defaultPersonalFile, ConfigError } = require('../project/project-config');
const { formatForPath } = require('../formats');
const { parseArguments, UsageError, USAGE, HELP } = require('./options');
const { Output } = require('./output');
const { Progress } = require('./progress');
const { collectFiles, knownFormat, causeOf } = require('./files');
const { globMatcher, formatNamer } = require('../project/glob-matcher');
const { textParts, hashOf, NotTextError, CHUNK_BYTES } = require('./read');
const { ResultCache, settingKey, cacheFile } = require('./cache');
const { REPORTERS } = require('./report');
const { vocabularyChooser, placeWords, vocabularyTable } = require('./jargon');
const { version } = require('../../package.json');
const { repeatedTerms } = require('../words/repeated-terms');

// Suggestions asked of the service at once: enough to keep a pool of workers busy, few enough
// that a run with thousands of distinct words does not queue them all at the same moment.
const SUGGEST_CONCURRENCY = 16;
// Output goes out in strings of about this many characters: few writes, and no copy of a large
// file's whole report at once.
const WRITE_BATCH = 64 * 1024;
// Files up to this size are read once for both the cache's hash and the check.
const READ_WHOLE_BYTES = 4 * CHUNK_BYTES;

// 1-based line and column (UTF-16 units) of offsets into a text given in parts, asked in
// increasing order.
class Positions {
  constructor() {
    this.line = 1;
    this.lineStart = 0;
    this.scanned = 0;
    this.text = '';
    this.base = 0;
  }

  part(text, base) {
    this.at(this.base + this.text.length);
    this.text = text;
    this.base = base;
  }

  at(offset) {
    for (let i = this.text.indexOf('\n', this.scanned - this.base); i !== -1 && i + this.base < offset; i = this.text.indexOf('\n', i + 1)) {
      this.line++;
      this.lineStart = this.base + i + 1;
    }
    this.scanned = Math.max(this.scanned, offset);
    return { line: this.line, column: offset - this.lineStart + 1 };
  }
}

// Runs the suggestion calls, at most SUGGEST_CONCURRENCY at a time, each word once per run (and
// per language that judged it: that language's corrections come first); `service()` resolves to
// the service. The lists come back keyed by word, or by language, NUL and word.
function suggester(service, count) {
  const lists = new Map();
  const waiting = [];
  let active = 0;
  const next = () => {
    if (active >= SUGGEST_CONCURRENCY || waiting.length === 0) return;
    active++;
    const [word, language, resolve] = waiting.shift();
    service().then((s) => s.suggest(word, { limit: count, language })).catch(() => []).then((list) => {
      active--;
      resolve(list);
      next();
    });
  };
  const of = (key, word, language) => {
    if (!lists.has(key)) {
      lists.set(key, new Promise((resolve) => {
        waiting.push([word, language, resolve]);
        next();
      }));
    }
    return lists.get(key);
  };
  return async (words, languages = []) => {
    const keys = new Map();
    words.forEach((word, i) => {
      const language = languages[i];
      keys.set(language === undefined ? word : `${language}\u0000${word}`, [word, language]);
    });
    const found = await Promise.all([...keys].map(([key, [word, language]]) => of(key, word, language)));
    return new Map([...keys.keys()].map((key, i) => [key, found[i]]));
  };
}

// The settings of the run: the command line's options over the project config's.
function settingsOf(options, project, { env, cwd, stdout }) {
  const config = project?.config ?? { words: [], ignoreWords: [] };
  const base = project?.dir ?? cwd;
  const named = formatNamer(config.formats, base);
  const include = [globMatcher(options.include, cwd), globMatcher(config.include ?? [], base)];
  const exclude = [globMatcher(options.exclude, cwd), globMatcher(config.exclude ?? [], base)];
  let personal;
  if (options.personal !== false) personal = options.personal ?? config.personal ?? defaultPersonalFile(env);
  return {
    languages: options.languages ?? config.languages ?? [defaultLanguage(env, options.dirs)],
    personal: personal === undefined ? undefined : path.resolve(cwd, personal),
    suggest: options.suggest ?? config.suggest ?? (stdout.isTTY ? 5 : 0),
    projectWords: [...config.words, ...config.ignoreWords],
    anyLanguage: options.anyLanguage ?? config.anyLanguage ?? false,
    vocabulariesOf: vocabularyChooser(options.vocabularies ?? config.vocabularies ?? true),
    // Whether a folder's file is taken, by the format its name tells (null: none), and the
    // format a file is checked as. --format changes the second only: it must not take images.
    formatOf: (file) => named(file) ?? knownFormat(file),
    namedFormatOf: (file) => options.format ?? named(file) ?? formatForPath(file),
    gitignore: options.gitignore,
    include: (file) => include.some((test) => test(file)),
    exclude: (file) => exclude.some((test) => test(file)),
  };
}

// Runs the command; resolves to the exit status (0: nothing misspelled, 1: something is,
// 2: a usage or config error, an unknown language, a file not read, output not written).
async function main(argv, io = {}) {
  const { stdout = process.stdout, stderr = process.stderr, stdin = process.stdin, env = process.env, cwd = process.cwd() } = io;
  // The language server: `spellshell lsp`, or `--stdio` as editors' client libraries add it. It
  // owns standard output for its frames, so it starts before anything here writes there.
  if (argv[0] === 'lsp' || argv.includes('--stdio')) return require('../lsp').run({ input: stdin, output: stdout, env });
  // A closed stderr must not end the run either; its messages then have nowhere to go.
  stderr.on?.('error', () => {});
  const out = new Output(stdout);
  const progress = new Progress(stderr);
  const say = (message) => {
    progress.clear();
    stderr.write(`spellshell: ${message}\n`);
  };
  const fail = (message) => {
    say(message);
    return 2;
  };
  const finish = async (status) => {
    await out.flush();
    return out.error ? fail(out.errorMessage) : status;
  };

  let options;
  try {
    options = parseArguments(argv);
  } catch (error) {
    if (error instanceof UsageError) return fail(`${error.message} (${USAGE})`);
    throw error;
  }
  if (options.help) {
    await out.write(HELP);
    return finish(0);
  }
  if (options.version) {
    await out.write(`${version}\n`);
    return finish(0);
  }
  for (const dir of options.dirs) {
    const stat = fs.statSync(path.resolve(cwd, dir), { throwIfNoEntry: false });
    if (!stat?.isDirectory()) return fail(`--dict-dir ${dir}: ${stat ? 'not a folder' : 'no such folder'}`);
  }
  const dirs = options.dirs.map((dir) => path.resolve(cwd, dir));
  if (options.list) {
    for (const d of findDictionaries({ dirs })) await out.write(`${d.language}\t${d.dir ?? '(system)'}\n`);
    return finish(0);
  }
  if (options.listVocabularies) {
    await out.write(vocabularyTable());
    return finish(0);
  }

  let project = null;
  if (options.config) {
    try {
      project = await findProjectConfig(cwd);
    } catch (error) {
      if (error instanceof ConfigError) return fail(error.message);
      throw error;
    }
  }
  const settings = settingsOf({ ...options, dirs }, project, { env, cwd, stdout });

  // The languages and the personal words are known before the service opens: a run whose files
  // all come from the cache never loads a dictionary.
  let languages;
  let personal;
  try {
    languages = resolveLanguages(settings.languages, { backend: 'auto', dictionaryDirs: dirs });
    personal = await personalWords(settings.personal, say);
  } catch (error) {
    if (!/^no (dictionary for|system spell-checking service offers)/.test(error.message)) return fail(error.message);
    const installed = [...new Set(findDictionaries({ dirs }).map((d) => d.language))];
    return fail(`${error.message}; installed: ${installed.join(', ') || 'none'}`);
  }
  let opening = null;
  const service = () => {
    opening ??= SpellService.open({
      languages: settings.languages,
      dictionaryDirs: dirs,
      personalDictionary: settings.personal,
      backend: 'auto',
      anyLanguage: settings.anyLanguage,
      // The run asks for the lists it prints itself, all at once over the pool; lists prepared
      // after each file's check would cost every file one suggestion's time (25 ms for en_US).
      backgroundSuggestions: false,
    }).catch((error) => {
      throw new ServiceError(error.message);
    });
    return opening;
  };

  let status = 0;
  const problem = (message) => {
    say(message);
    status = 2;
  };
  try {
    const entries = await collectFiles(options.files, settings, { problem, notice: say, cwd });
    // The project's words hold in the files under its folder (and standard input, typed there).
    const projectWords = new PersonalWords(settings.projectWords);
    const noWords = new PersonalWords([]);
    const inProject = (entry) => {
      if (project === null || entry.stdin) return true;
      const rel = path.relative(project.dir, entry.file);
      return !rel.startsWith('..') && !path.isAbsolute(rel); // another drive: absolute
    };

    const cache = options.cache
      ? new ResultCache(cacheFile(options.cacheLocation, cwd), settingKey({ version, languages, personal, projectWords: [...settings.projectWords, JSON.stringify(options.vocabularies ?? project?.config.vocabularies ?? true)], anyLanguage: settings.anyLanguage }))
      : null;
    const suggest = settings.suggest > 0 ? suggester(service, settings.suggest) : null;
    const report = REPORTERS[options.reporter];
    const unique = new Map();
    progress.start(entries);
    if (options.detect) {
      await detectLanguages(entries, { service, settings, options, stdin, out, problem });
      entries.length = 0;
    }

    // A file's findings: counted, then kept for --unique or printed.
    const take = async (entry, findings) => {
      if (findings.length && status === 0) status = 1;
      if (out.stopped) return;
      if (options.unique) {
        for (const [line, column, word, language] of findings) {
          const seen = unique.get(word);
          if (seen) seen.count++;
          else unique.set(word, { name: entry.name, line, column, word, language, count: 1 });
        }
        return;
      }
      const lists = suggest ? await suggest(findings.words, findings.languages) : new Map();
      let batch = '';
      for (const [line, column, word, language] of findings) {
        batch += `${report({ name: entry.name, line, column, word, language, suggestions: lists.get(language === undefined ? word : `${language}\u0000${word}`) ?? [] })}\n`;
        if (batch.length >= WRITE_BATCH) {
          progress.clear();
          await out.write(batch);
          batch = '';
        }
      }
      progress.clear();
      await out.write(batch);
    };

    for (const entry of entries) {
      // Once the reader is gone and the status is 1, only an unreadable file can still change
      // it: the rest is read, not checked.
      const readOnly = out.closed && status >= 1;
      const format = entry.stdin ? (options.format ?? 'plain') : settings.namedFormatOf(entry.file);
      const place = placeWords(entry.stdin ? null : entry.file, inProject(entry) ? settings.projectWords : []);
      const words = place.words.size > 0 ? place.words : noWords;
      const vocabularies = settings.vocabulariesOf(entry.stdin ? null : entry.file, format);
      // A large file's findings go out part by part rather than all at the end, so they need not
      // all be held; it is first read through once to be sure it is text, since a file that is
      // not must print nothing.
      const streaming = !cache && !readOnly && entry.regular && entry.size > READ_WHOLE_BYTES;
      const notText = streaming ? await textProblem(entry.file) : null;
      const result = notText ? { failure: notText }
        : await checkEntry(entry, { service, format, vocabularies, place: place.key, projectWords: words, cache, readOnly, stdin, progress, say, onPart: streaming ? (f) => take(entry, f) : null });
      progress.fileDone();
      if (result.failure) {
        problem(`cannot check ${entry.name}: ${result.failure}`);
        continue;
      }
      if (!streaming) await take(entry, result.findings);
      if (out.error) break;
    }
    if (options.unique && !out.stopped && unique.size) {
      const lists = suggest ? await suggest([...unique.keys()], [...unique.values()].map((u) => u.language)) : new Map();
      progress.clear();
      await out.write(`${[...unique.values()].map((u) => report({ ...u, suggestions: lists.get(u.language === undefined ? u.word : `${u.language}\u0000${u.word}`) ?? [] })).join('\n')}\n`);
    }
    if (cache) {
      try {
        cache.save();
      } catch (error) {
        say(`cannot write the cache ${cache.file}: ${causeOf(error)}`);
      }
    }
  } catch (error) {
    if (!(error instanceof ServiceError)) throw error;
    status = fail(error.message);
  } finally {
    if (opening) await opening.then((s) => s.close(), () => {});
    progress.clear();
  }
  return finish(status);
}

// --detect-language: each file's languages ranked, one line a file (an object with --json).
async function detectLanguages(entries, { service, settings, options, stdin, out, problem }) {
  for (const entry of entries) {
    const format = entry.stdin ? (options.format ?? 'plain') : settings.namedFormatOf(entry.file);
    let text = '';
    try {
      for await (const part of textParts(entry.stdin ? stdin : entry.file)) text += part.text;
    } catch (error) {
      if (error instanceof NotTextError) problem(`cannot check ${entry.name}: ${error.message}, skipped`);
      else if (error.code) problem(`cannot check ${entry.name}: ${causeOf(error)}`);
      else throw error;
      continue;
    }
    const ranked = await (await service()).detectLanguage(text, { format });
    await out.write(options.reporter === 'json'
      ? `${JSON.stringify({ file: entry.name, languages: ranked })}\n`
      : `${entry.name}: ${ranked.map(({ language, score }) => `${language} ${score.toFixed(2)}`).join(', ')}\n`);
  }
}

// The personal words, as the service will read them (a FIFO or a device is refused, never read);
// tells once, on stderr, of each line that can never match (it has spaces).
function personalWords(file, say) {
  if (file === undefined) return [];
  return new PersonalFile(file).read((line, text) => say(`personal dictionary ${file}, line ${line}: "${text}" has spaces, ignored`));
}

class ServiceError extends Error {}

// Why the file is no text (or cannot be read), or null: it is read through, nothing kept.
async function textProblem(file) {
  try {
    for await (const part of textParts(file)) void part;
    return null;
  } catch (error) {
    if (error instanceof NotTextError) return `${error.message}, skipped`;
    if (error.code) return causeOf(error);
    throw error;
  }
}

// A file's misspellings, in three arrays rather than an object each: a large file may have
// hundreds of thousands, all kept until the file is done.
class Findings {
  constructor() {
    this.lines = [];
    this.columns = [];
    this.words = [];
    // The language that judged each, where several are on (else undefined).
    this.languages = [];
  }

  static from(entries) {
    const findings = new Findings();
    for (const [line, column, word, language] of entries) findings.push(line, column, word, language);
    return findings;
  }

  get length() {
    return this.words.length;
  }

  push(line, column, word, language) {
    this.lines.push(line);
    this.columns.push(column);
    this.words.push(word);
    this.languages.push(language);
  }

  // These findings less the words they repeat (the document's own terms: repeated-terms.js).
  withoutTerms() {
    const terms = repeatedTerms(this.words);
    if (terms.size === 0) return this;
    const kept = new Findings();
    for (let i = 0; i < this.words.length; i++) {
      if (!terms.has(this.words[i].toLowerCase())) kept.push(this.lines[i], this.columns[i], this.words[i], this.languages[i]);
    }
    return kept;
  }

  // [line, column, word] or, judged in one of several languages, [line, column, word, language].
  * [Symbol.iterator]() {
    for (let i = 0; i < this.words.length; i++) {
      yield this.languages[i] === undefined ? [this.lines[i], this.columns[i], this.words[i]] : [this.lines[i], this.columns[i], this.words[i], this.languages[i]];
    }
  }
}

// The run's one copy of `word`. A word sliced from a part would keep the whole part in memory
// (V8 slices point into the string they come from) for as long as the finding is kept.
const ownWords = new Map();
function own(word) {
  let copy = ownWords.get(word);
  if (copy === undefined) {
    copy = Buffer.from(word, 'utf16le').toString('utf16le');
    ownWords.set(copy, copy);
  }
  return copy;
}

// One file's findings (project words left out), or { failure }. With `onPart`, each part's
// findings go to it as soon as they are known, and none are returned.
async function checkEntry(entry, { service, format, vocabularies, place, projectWords, cache, readOnly, stdin, progress, say, onPart }) {
  let id;
  try {
    // A small file is read at once, without the turns of asynchronous reads (a folder of small
    // files is mostly those turns), and hashed from memory for the cache.
    let source = entry.stdin ? stdin : entry.file;
    if (entry.regular && entry.size <= READ_WHOLE_BYTES) source = fs.readFileSync(entry.file);
    if (cache && !entry.stdin) {
      const hash = Buffer.isBuffer(source) ? ResultCache.hashBytes(source) : await hashOf(source);
      id = ResultCache.id(hash, `${format}:${vocabularies.join(',')}:${place}`, projectWords.size > 0);
      const known = cache.get(id);
      if (known) {
        progress.bytes(entry.size);
        return { findings: Findings.from(known) };
      }
    }
    let findings = new Findings();
    const where = new Positions();
    for await (const part of textParts(source, { onBytes: (n) => progress.bytes(n) })) {
      if (readOnly) continue;
      where.part(part.text, part.offset);
      // The file's repeated terms are told over the whole file (below), not over one part.
      const found = await (await service()).check(part.text, { format, vocabularies, repeatedTerms: false });
      // Directives and the code's names hold in the part they stand in (a whole file up to
      // 256 Ki characters).
      // (Positions are asked in text order: the unknown directives in turn with the words.)
      const problems = found.problems;
      let p = 0;
      const sayProblems = (before) => {
        for (; p < problems.length && problems[p].start <= before; p++) {
          const { line, column } = where.at(part.offset + problems[p].start);
          say(`${entry.name}:${line}:${column}: ${problems[p].message}`);
        }
      };
      for (const { start, word, language } of found) {
        sayProblems(start);
        if (projectWords.has(word.normalize('NFC'))) continue;
        const { line, column } = where.at(part.offset + start);
        findings.push(line, column, own(word), language);
      }
      sayProblems(Infinity);
      if (onPart) {
        // A file streamed in parts (over 4 MB) has its repeated terms told part by part.
        await onPart(findings.withoutTerms());
        findings = new Findings();
      }
    }
    findings = findings.withoutTerms();
    if (id !== undefined && !readOnly) cache.set(id, [...findings]);
    return { findings };
  } catch (error) {
    if (error instanceof NotTextError) return { failure: `${error.message}, skipped` };
    if (error.code) return { failure: causeOf(error) };
    throw error;
  }
}

module.exports = { main, Positions };
