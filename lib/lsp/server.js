'use strict';
// The language server's logic over a Connection: the life cycle, the open documents and their
// checks, the diagnostics, the quick fixes and their commands, and the configuration (the
// editor's settings and each document's project file). All checking goes through SpellService.
const { SpellService } = require('../service');
const { PersonalWords } = require('../words/personal-words');
const { addProjectWord } = require('../project/project-config');
const { ResponseError, ErrorCodes, RawJson } = require('./connection');
const { TextDocument, isRange } = require('./document');
const { DocumentCheck } = require('./document-check');
const { DiagnosticsWriter, diagnostic, resultIdOf } = require('./diagnostics');
const { Pulls } = require('./pull');
const { codeActions, COMMANDS } = require('./code-actions');
const { readSettings, sectionOf } = require('./settings');
const { DocumentLayer } = require('./document-layer');
const { repeatedTerms } = require('../words/repeated-terms');
const { ignoreInFile, ignoreLine } = require('./directive-edits');
const { uriToPath, samePath } = require('./uri');
const { Workspace } = require('./workspace');
const { version } = require('../../package.json');

const MessageType = { Error: 1, Warning: 2, Info: 3, Log: 4 };
// How long the server waits for the editor's answer to its first configuration request before
// it checks with what it has: an editor that never answers must not stop the checking.
const CONFIGURATION_WAIT_MS = 2000;
// A document whose check failed (the worker died) is checked once more at once; a second
// failure is reported and waits for the next edit.
const RETRIES = 1;
// How often the server looks whether the editor that started it still runs: an editor that
// crashed cannot send exit, and its server must not linger.
const PARENT_CHECK_MS = 2000;

const invalidParams = (message) => new ResponseError(ErrorCodes.InvalidParams, message);
const isObject = (value) => value !== null && typeof value === 'object' && !Array.isArray(value);

class Server {
  // options: { env, platform, openService(options) -> Promise<SpellService> }
  constructor(connection, { env = process.env, platform = process.platform, openService = (o) => SpellService.open(o) } = {}) {
    this.connection = connection;
    this.platform = platform;
    this.state = 'new'; // 'new' | 'running' | 'shutdown'
    this.documents = new Map(); // uri -> open document's state
    this.workspace = new Workspace({
      env,
      platform,
      openService,
      warn: (message) => this.show(MessageType.Warning, message),
      fail: (message) => this.show(MessageType.Error, message),
    });
    this.clientCapabilities = {};
    this.settings = readSettings(undefined).settings;
    this.configured = Promise.resolve();
    // Diagnostics are pushed until the editor first pulls them; from then on it pulls, and what
    // was pushed is cleared (an editor shows pushed and pulled diagnostics side by side).
    this.pushing = true;
    this.pulls = new Pulls(this);
    // Counts the changes that may change any file's diagnostics without an edit (settings,
    // project words, personal words, workspace folders): part of the result ids of files read
    // from disk.
    this.pullGeneration = 0;
    this.refreshing = null;
  }

  // ---- the protocol ----

  request(method, params, token) {
    if (method === 'initialize') {
      if (this.state !== 'new') throw new ResponseError(ErrorCodes.InvalidRequest, 'initialize was sent already');
      return this.initialize(params);
    }
    if (this.state === 'new') throw new ResponseError(ErrorCodes.ServerNotInitialized, `${method} before initialize`);
    if (this.state === 'shutdown') throw new ResponseError(ErrorCodes.InvalidRequest, `${method} after shutdown`);
    switch (method) {
      case 'shutdown':
        // Answered at once, whatever runs (a first check, a dictionary load, a configuration
        // request the editor has not answered): the services close meanwhile, and `exit` ends
        // the process without waiting for them.
        this.state = 'shutdown';
        this.closing = this.close();
        return null;
      case 'textDocument/codeAction':
        return this.codeAction(params, token);
      case 'textDocument/diagnostic':
        return this.documentDiagnostic(params, token);
      case 'workspace/diagnostic':
        this.pulled();
        return this.pulls.workspace(params, token).then((json) => new RawJson(json));
      case 'workspace/executeCommand':
        return this.executeCommand(params);
      default:
        throw new ResponseError(ErrorCodes.MethodNotFound, `unknown method ${method}`);
    }
  }

  notification(method, params) {
    if (this.state !== 'running') return; // before initialize and after shutdown: dropped
    switch (method) {
      case 'initialized':
        return this.initialized();
      case 'textDocument/didOpen':
        return this.didOpen(params);
      case 'textDocument/didChange':
        return this.didChange(params);
      case 'textDocument/didClose':
        return this.didClose(params);
      case 'workspace/didChangeConfiguration':
        return this.didChangeConfiguration(params);
      case 'workspace/didChangeWorkspaceFolders':
        return this.didChangeWorkspaceFolders(params);
      case 'workspace/didChangeWatchedFiles':
        this.workspace.projects.clear();
        return this.refresh();
      default:
        return undefined; // a notification the server does not know is ignored
    }
  }

  failed(method, error) {
    this.log(MessageType.Error, `${method} failed: ${error.message}`);
  }

  log(type, message) {
    this.connection.notify('window/logMessage', { type, message: `spellshell: ${message}` });
  }

  show(type, message) {
    this.connection.notify('window/showMessage', { type, message: `spellshell: ${message}` });
  }

  // ---- life cycle ----

  initialize(params) {
    if (!isObject(params)) throw invalidParams('initialize needs its params');
    this.state = 'running';
    this.clientCapabilities = isObject(params.capabilities) ? params.capabilities : {};
    const folders = Array.isArray(params.workspaceFolders) ? params.workspaceFolders.map((f) => f?.uri)
      : typeof params.rootUri === 'string' ? [params.rootUri] : [];
    this.workspace.folders = folders.map((uri) => typeof uri === 'string' && uriToPath(uri, this.platform)).filter(Boolean);
    this.applySettings(params.initializationOptions);
    if (Number.isInteger(params.processId) && params.processId > 0 && params.processId !== process.pid) this.watchParent(params.processId);
    return {
      capabilities: {
        positionEncoding: 'utf-16',
        textDocumentSync: { openClose: true, change: 2 },
        codeActionProvider: { codeActionKinds: ['quickfix'] },
        executeCommandProvider: { commands: Object.values(COMMANDS) },
        workspace: { workspaceFolders: { supported: true, changeNotifications: true } },
        diagnosticProvider: { identifier: 'spellshell', interFileDependencies: false, workspaceDiagnostics: true },
      },
      serverInfo: { name: 'spellshell', version },
    };
  }

  watchParent(pid) {
    this.parentTimer = setInterval(() => {
      try {
        process.kill(pid, 0);
      } catch (error) {
        if (error.code !== 'ESRCH') return; // EPERM: it runs, as another user
        this.log(MessageType.Info, `the editor (process ${pid}) has ended: so does the server`);
        this.connection.close();
      }
    }, PARENT_CHECK_MS);
    this.parentTimer.unref();
  }

  initialized() {
    const workspace = this.clientCapabilities.workspace ?? {};
    if (workspace.didChangeConfiguration?.dynamicRegistration) {
      // Editors that pull their settings send this notification only to those who ask.
      this.connection.request('client/registerCapability', {
        registrations: [{ id: 'spellshell-configuration', method: 'workspace/didChangeConfiguration', registerOptions: { section: 'spellshell' } }],
      }).catch(() => {});
    }
    if (workspace.didChangeWatchedFiles?.dynamicRegistration) {
      // The editor tells of project files made, changed or deleted by hand or by other tools.
      this.connection.request('client/registerCapability', {
        registrations: [{ id: 'spellshell-project-files', method: 'workspace/didChangeWatchedFiles', registerOptions: { watchers: [{ globPattern: '**/.spellshell.json' }] } }],
      }).catch(() => {});
    }
    if (workspace.configuration) this.configured = this.pullSettings();
    // The dictionaries load while the editor opens its first document (a few hundred
    // milliseconds for one language): that of the first workspace folder, or the settings'.
    this.contextOf({ path: null, languageId: 'plaintext' }).catch(() => {});
  }

  pullSettings() {
    let timer;
    const timeout = new Promise((resolve) => {
      timer = setTimeout(resolve, CONFIGURATION_WAIT_MS);
      timer.unref?.();
    });
    const pulled = this.connection.request('workspace/configuration', { items: [{ section: 'spellshell' }] }).then(
      (result) => Array.isArray(result) && isObject(result[0]) && this.changeSettings(result[0]),
      () => {},
    );
    return Promise.race([pulled, timeout]).finally(() => clearTimeout(timer));
  }

  // Stops every check and closes the services; resolves once those already open have closed
  // (one still loading its dictionaries is closed when it is ready, unwaited), to whether all
  // of them have.
  close() {
    this.closing ??= (async () => {
      clearInterval(this.parentTimer);
      for (const document of this.documents.values()) this.forgetDocument(document);
      return this.workspace.close();
    })();
    return this.closing;
  }

  // ---- settings and projects ----

  // Takes new settings; returns whether they differ from the current ones.
  applySettings(raw) {
    const { settings, warnings } = readSettings(raw);
    for (const warning of warnings) this.show(MessageType.Warning, warning);
    const changed = JSON.stringify(settings) !== JSON.stringify(this.settings);
    this.settings = settings;
    return changed;
  }

  changeSettings(raw) {
    if (!this.applySettings(raw)) return;
    this.workspace.settingsChanged();
    this.refresh({ recheck: true });
  }

  didChangeConfiguration(params) {
    const section = sectionOf(params?.settings);
    // Editors that pull settings send null (or other sections): then the server asks.
    if (isObject(params?.settings) && isObject(params.settings.spellshell)) this.changeSettings(section);
    else if (this.clientCapabilities.workspace?.configuration) this.pullSettings();
    else if (isObject(section)) this.changeSettings(section);
  }

  didChangeWorkspaceFolders(params) {
    const event = params?.event ?? {};
    const toPath = (folder) => typeof folder?.uri === 'string' && uriToPath(folder.uri, this.platform);
    const removed = new Set((event.removed ?? []).map(toPath));
    const { workspace } = this;
    workspace.folders = [...workspace.folders.filter((f) => !removed.has(f)), ...(event.added ?? []).map(toPath).filter(Boolean)];
    this.diagnosticsChanged();
  }

  // ---- pulled diagnostics ----

  // Files' diagnostics may have changed without an edit: result ids of files read from disk
  // change, and an editor that pulls is asked to pull again (once per turn of the event loop).
  diagnosticsChanged() {
    this.pullGeneration++;
    if (this.pushing || this.refreshing || !this.clientCapabilities.workspace?.diagnostics?.refreshSupport) return;
    this.refreshing = setImmediate(() => {
      this.refreshing = null;
      if (this.state === 'running') this.connection.request('workspace/diagnostic/refresh', null).catch(() => {});
    });
  }

  // The editor pulls: the diagnostics pushed so far are cleared, and none are pushed any more.
  pulled() {
    if (!this.pushing) return;
    this.pushing = false;
    for (const document of this.documents.values()) {
      if (document.pushed) this.connection.publish(document.content.uri, () => JSON.stringify({ uri: document.content.uri, diagnostics: [] }));
    }
  }

  async documentDiagnostic(params, token) {
    const uri = params?.textDocument?.uri;
    if (typeof uri !== 'string') throw invalidParams('textDocument.uri is missing');
    this.pulled();
    const previous = typeof params.previousResultId === 'string' ? params.previousResultId : undefined;
    const document = this.documents.get(uri);
    if (!document) {
      const file = uriToPath(uri, this.platform);
      if (!file) throw invalidParams(`${uri} is not open`);
      const report = await this.pulls.documentFromDisk(file, previous, token);
      return report.itemsJson === undefined ? report : new RawJson(`{"kind":"full","resultId":${JSON.stringify(report.resultId)},"items":${report.itemsJson}}`);
    }
    const report = await this.documentReport(document, previous, token);
    if (report === null) throw new ResponseError(ErrorCodes.ServerCancelled, `${uri} was closed`, { retriggerRequest: false });
    if (report.itemsJson === undefined) return { kind: 'unchanged', resultId: report.resultId };
    return new RawJson(`{"kind":"full","resultId":"${report.resultId}","items":${report.itemsJson}}`);
  }

  // The open document whose file is `file`, if any.
  openDocumentAt(file) {
    for (const document of this.documents.values()) if (document.path && samePath(document.path, file, this.platform)) return document;
    return undefined;
  }

  // An open document's diagnostics once its current version is checked in full: { resultId,
  // itemsJson }, or { resultId } alone when that is `previous`; null when it closed meanwhile
  // (or the request was cancelled).
  async documentReport(document, previous, token = { cancelled: false }) {
    for (;;) {
      if (document.closed || token.cancelled || this.state !== 'running') return null;
      const promise = document.context;
      const context = await promise.catch(() => null);
      if (document.context !== promise) continue;
      const result = document.check.result;
      const current = result && !result.partial && result.version === document.content.version && !document.timer && !document.checking;
      let itemsJson = null;
      if (!context || !context.service || context.excluded) itemsJson = '[]';
      else if (current) itemsJson = this.itemsJsonOf(document, context);
      else if (document.failed === document.content.version && !document.timer) throw new ResponseError(ErrorCodes.InternalError, `cannot check ${document.content.uri}`);
      if (itemsJson !== null && !document.closed) {
        const resultId = resultIdOf(itemsJson);
        return resultId === previous ? { resultId } : { resultId, itemsJson };
      }
      await new Promise((resolve) => document.waiters.push(resolve));
    }
  }

  // What a document is checked with, once the first settings are in (see Workspace.contextOf).
  async contextOf(document, projects) {
    await this.configured;
    return this.workspace.contextOf(document, this.settings, projects);
  }

  // After a change of settings, project words or personal words: every document's context is
  // made anew, and each document checked again (recheck) or its diagnostics published again.
  refresh({ recheck = false, only = null } = {}) {
    this.diagnosticsChanged();
    for (const document of this.documents.values()) {
      const previous = document.context.catch(() => null);
      document.context = this.contextOf(document);
      document.generation++;
      if (recheck && (only === null || only.has(document))) {
        document.check.forget();
        this.schedule(document);
      } else {
        // A project file that now names other languages or formats means another check.
        Promise.all([previous, document.context]).then(([before, after]) => {
          if (before?.entry === after.entry && before?.format === after.format && before?.excluded === after.excluded) return this.publish(document);
          document.check.forget();
          return this.schedule(document);
        }, () => {});
      }
    }
    if (recheck && only === null) this.workspace.closeUnused([...this.documents.values()].map((d) => d.context));
  }

  // ---- documents ----

  documentOf(params) {
    const uri = params?.textDocument?.uri;
    if (typeof uri !== 'string') throw invalidParams('textDocument.uri is missing');
    const document = this.documents.get(uri);
    if (!document) throw invalidParams(`${uri} is not open`);
    return document;
  }

  didOpen(params) {
    const item = params?.textDocument;
    if (!isObject(item) || typeof item.uri !== 'string' || typeof item.text !== 'string') {
      return this.log(MessageType.Error, 'didOpen without a text document');
    }
    // Opened again without a close: the new text replaces the old document.
    const previous = this.documents.get(item.uri);
    if (previous) this.forgetDocument(previous);
    const document = {
      content: new TextDocument(item.uri, typeof item.languageId === 'string' ? item.languageId : 'plaintext', item.version, item.text),
      path: uriToPath(item.uri, this.platform),
      check: new DocumentCheck(),
      ignored: new PersonalWords(),
      ignoredList: [],
      diagnostics: new DiagnosticsWriter(),
      layer: new DocumentLayer(), // the whole text's directives and names
      generation: 0, // counts the changes of what is shown: words ignored, project words
      retries: RETRIES,
      timer: null,
      checking: false, // a check of the current text runs
      failed: null, // the version whose check failed for good
      waiters: [], // pulls waiting for the current version's diagnostics
      pushed: false, // diagnostics were pushed (to clear when the editor pulls)
      closed: false,
    };
    document.languageId = document.content.languageId;
    document.context = this.contextOf(document);
    this.documents.set(item.uri, document);
    this.schedule(document);
  }

  didChange(params) {
    const uri = params?.textDocument?.uri;
    const document = this.documents.get(uri);
    if (!document) return this.log(MessageType.Error, `didChange for ${uri}, which is not open`);
    if (!Array.isArray(params.contentChanges)) return this.log(MessageType.Error, `didChange for ${uri} without contentChanges`);
    document.check.abort();
    try {
      document.check.edited(document.content.update(params.contentChanges, params.textDocument.version));
    } catch (error) {
      // Some changes may have been applied: the whole document is checked again.
      document.check.forget();
      this.log(MessageType.Error, `didChange for ${uri}: ${error.message}`);
    }
    document.retries = RETRIES;
    this.schedule(document);
  }

  didClose(params) {
    const uri = params?.textDocument?.uri;
    const document = this.documents.get(uri);
    if (!document) return this.log(MessageType.Error, `didClose for ${uri}, which is not open`);
    this.forgetDocument(document);
    this.documents.delete(uri);
    // An editor keeps what it was last told; a closed document shows nothing. (One that pulls
    // forgets a closed document's diagnostics itself.)
    if (this.pushing) this.connection.publish(uri, () => JSON.stringify({ uri, diagnostics: [] }));
  }

  forgetDocument(document) {
    document.closed = true;
    document.check.abort();
    if (document.timer) clearImmediate(document.timer);
    this.settled(document);
  }

  // Tells the pulls waiting for a document's diagnostics to look again.
  settled(document) {
    const waiters = document.waiters.splice(0);
    for (const resolve of waiters) resolve();
  }

  // Checks the document after the edits of this turn of the event loop (an editor sends a burst
  // of them for one keystroke with several cursors, or a paste).
  schedule(document) {
    document.check.abort();
    if (document.timer) return;
    document.timer = setImmediate(() => {
      document.timer = null;
      this.runCheck(document);
    });
  }

  async runCheck(document) {
    document.checking = true;
    try {
      await this.checkDocument(document);
    } finally {
      document.checking = false;
      this.settled(document);
    }
  }

  async checkDocument(document) {
    const startedAt = document.content.version;
    let context;
    try {
      context = await document.context;
    } catch (error) {
      document.failed = startedAt;
      return this.log(MessageType.Error, `${document.content.uri}: ${error.message}`);
    }
    if (document.closed || document.content.version !== startedAt || document.timer) return undefined;
    if (!context.service || context.excluded) return this.publishEmpty(document);
    try {
      await document.check.run(document.content, context.service, context.format, () => this.publish(document), context.vocabularies);
    } catch (error) {
      if (error?.name === 'AbortError' || document.closed) return undefined;
      if (document.retries-- > 0) {
        this.log(MessageType.Warning, `checking ${document.content.uri} again: ${error.message}`);
        return this.schedule(document);
      }
      document.failed = startedAt;
      return this.log(MessageType.Error, `cannot check ${document.content.uri}: ${error.message}`);
    }
    return this.publish(document);
  }

  publishEmpty(document) {
    if (!this.pushing) return;
    const { uri } = document.content;
    document.pushed = true;
    this.connection.publish(uri, () => JSON.stringify({ uri, diagnostics: [] }));
  }

  // The misspellings of the document's last check as diagnostics, without the words ignored
  // in it or listed by its project, pushed to an editor that does not pull. Nothing while a
  // newer check is due. An editor that does not read meanwhile gets the latest when it does.
  async publish(document) {
    if (!this.pushing) return;
    const result = document.check.result;
    if (document.closed || !result || result.version !== document.content.version) return;
    const context = await document.context;
    if (document.closed || context.excluded || document.check.result !== result || result.version !== document.content.version || !this.pushing) return;
    document.pushed = true;
    this.connection.publish(document.content.uri, () => {
      const latest = document.check.result;
      if (document.closed || !latest || latest.version !== document.content.version) return null;
      return document.diagnostics.paramsJson(document.content, latest, this.diagnosticOptions(document, context));
    });
  }

  // How the document's misspellings are written: the severity, the words shown (not ignored in
  // it, nor listed by its project, nor known or skipped by the whole text's directives and
  // names, nor one of the terms the whole document repeats), the key of those for the writer's
  // kept pieces, and the directive problems.
  diagnosticOptions(document, context) {
    const result = document.check.result;
    const layer = document.layer.of(document.content, context.format, result);
    // The checks of the document's blocks leave its repeated terms to this.
    result.terms ??= repeatedTerms(result.words());
    const { terms } = result;
    return {
      severity: this.settings.severity,
      key: `${this.settings.severity} ${document.generation} ${layer.key} ${[...terms].join(' ')}`,
      shown: (word, offset) => {
        const nfc = word.normalize('NFC');
        return !document.ignored.has(nfc) && !context.projectWords.has(nfc) && !layer.known(word) && !layer.skipped(offset) && !terms.has(word.toLowerCase());
      },
      extra: layer.problems.map((problem) => directiveDiagnostic(document.content, problem)),
    };
  }

  itemsJsonOf(document, context) {
    return document.diagnostics.itemsJson(document.content, document.check.result, this.diagnosticOptions(document, context));
  }

  // ---- quick fixes and their commands ----

  async codeAction(params, token) {
    const document = this.documentOf(params);
    if (!isRange(params.range)) throw invalidParams('codeAction needs a range');
    const context = await document.context;
    const text = document.content;
    // The diagnostics the editor shows under the range (the word from `data`, or from the text
    // when a client drops `data`); an editor that sends none gets those of the last check
    // under the range, when it is up to date.
    let misspelled = (Array.isArray(params.context?.diagnostics) ? params.context.diagnostics : [])
      .filter((d) => d?.source === 'spellshell' && d.code !== UNKNOWN_DIRECTIVE && isRange(d.range))
      .map((d) => ({
        diagnostic: d,
        range: d.range,
        word: typeof d.data === 'string' ? d.data : typeof d.data?.word === 'string' ? d.data.word : this.wordAt(text, d.range),
        language: typeof d.data?.language === 'string' ? d.data.language : undefined,
      }));
    const result = document.check.result;
    if (misspelled.length === 0 && result?.version === text.version) {
      const from = text.offsetAt(params.range.start);
      const to = text.offsetAt(params.range.end);
      misspelled = result.misspellings.filter(({ start, end }) => start <= to && end >= from).map(({ start, end, word, language }) => {
        const range = { start: text.positionAt(start), end: text.positionAt(end) };
        return { diagnostic: diagnostic(word, range, this.settings.severity, language), range, word, language };
      });
    }
    // A word that is no longer where the editor saw it gets no replacement (the commands still
    // make sense).
    for (const entry of misspelled) entry.current = this.wordAt(text, entry.range) === entry.word;
    const service = context.service;
    return codeActions({
      uri: text.uri,
      version: text.version,
      misspelled,
      suggestionsOf: (word, language) => {
        if (!service || token.cancelled) return Promise.resolve([]);
        // A language that is no longer the service's (the settings changed) is passed over.
        return service.suggest(word, { limit: context.suggestions, language }).catch(() => service.suggest(word, { limit: context.suggestions })).catch(() => []);
      },
      project: Boolean(this.workspace.projectDirOf(document.path, context)),
      directives: {
        ignoreInFile: (word) => this.edit(text, ignoreInFile(text.text, context.format, word)),
        ignoreLine: (range) => this.edit(text, ignoreLine(text.text, context.format, text.offsetAt(range.start))),
      },
      versioned: Boolean(this.clientCapabilities.workspace?.workspaceEdit?.documentChanges),
    });
  }

  // An edit in offsets as one in positions.
  edit(text, { offset, end, newText }) {
    return { range: { start: text.positionAt(offset), end: text.positionAt(end) }, newText };
  }

  wordAt(text, range) {
    return text.slice(text.offsetAt(range.start), text.offsetAt(range.end));
  }

  async executeCommand(params) {
    const [uri, word] = Array.isArray(params?.arguments) ? params.arguments : [];
    if (!Object.values(COMMANDS).includes(params?.command)) throw invalidParams(`unknown command ${params?.command}`);
    if (typeof word !== 'string' || word === '' || /\s/.test(word)) throw invalidParams(`${params.command} needs a document and a word`);
    const document = this.documentOf({ textDocument: { uri } });
    const context = await document.context;
    switch (params.command) {
      case COMMANDS.ignore:
        document.ignoredList.push(word);
        document.ignored = new PersonalWords(document.ignoredList);
        document.generation++;
        this.diagnosticsChanged();
        await this.publish(document);
        return null;
      case COMMANDS.addToProject: {
        const dir = this.workspace.projectDirOf(document.path, context);
        if (!dir) throw invalidParams(`${uri} belongs to no project folder`);
        await addProjectWord(dir, word);
        this.workspace.projects.clear();
        this.refresh();
        return null;
      }
      default: {
        // Every service keeping the same personal file learns the word; the documents they
        // check are checked again.
        const entries = this.workspace.sharingPersonalFile(context.entry);
        const services = (await Promise.all(entries.map((e) => e.ready))).filter(Boolean);
        if (services.length === 0) throw new ResponseError(ErrorCodes.InternalError, 'no spell service to add the word to');
        for (const service of services) await service.addWord(word);
        const contexts = await Promise.all([...this.documents.values()].map(async (d) => [d, await d.context.catch(() => null)]));
        this.refresh({ recheck: true, only: new Set(contexts.filter(([, c]) => c && entries.includes(c.entry)).map(([d]) => d)) });
        return null;
      }
    }
  }
}

// An unknown directive (`spellshell:ignor`): a warning of its own, which no quick fix for
// misspellings answers.
const UNKNOWN_DIRECTIVE = 'unknown-directive';
function directiveDiagnostic(text, { start, end, message }) {
  return { range: { start: text.positionAt(start), end: text.positionAt(end) }, severity: 2, source: 'spellshell', code: UNKNOWN_DIRECTIVE, message };
}

module.exports = { Server };
