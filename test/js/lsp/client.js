'use strict';
// A scripted client for the language server's tests: the server runs in this process over
// in-memory pipes (inProcess), or as `spellshell lsp` in a process of its own (spawned). It
// sends requests and notifications, answers the server's requests from `answers`, and waits
// for what the server sends.
const { spawn } = require('node:child_process');
const path = require('node:path');
const { PassThrough } = require('node:stream');
const { FrameReader, frame } = require('../../../lib/lsp/framing');
const { run } = require('../../../lib/lsp');

const bin = path.join(__dirname, '..', '..', '..', 'bin', 'spellshell.js');
// Long enough for a worker to start and load a dictionary on a busy machine; a test that waits
// this long has failed.
const WAIT_MS = 60000;

// An entry of `answers` that leaves the server's request unanswered.
const UNANSWERED = Symbol('unanswered');

// A message as the bytes of its frame.
const frameOf = (message) => Buffer.concat(frame(JSON.stringify({ jsonrpc: '2.0', ...message })));

class Client {
  constructor(input, output) {
    this.input = input; // the server's input: we write to it
    this.received = [];
    this.waiting = [];
    this.pending = new Map();
    this.nextId = 1;
    this.answers = {};
    const reader = new FrameReader((body) => this.receive(JSON.parse(body)), (message) => {
      throw new Error(`the server sent a bad frame: ${message}`);
    });
    output.on('data', (chunk) => reader.push(chunk));
  }

  // The server in this process; `client.exited` resolves to run()'s status.
  static inProcess(t, options = {}) {
    const input = new PassThrough();
    const output = new PassThrough();
    const client = new Client(input, output);
    client.exited = run({ input, output, env: options.env ?? process.env, platform: options.platform, openService: options.openService });
    t.after(async () => {
      input.end();
      await client.exited;
    });
    return client;
  }

  // `spellshell lsp` in a child process; `client.exited` resolves to its exit status.
  static spawned(t, { args = ['lsp'], env = process.env, execArgv = [] } = {}) {
    const child = spawn(process.execPath, [...execArgv, bin, ...args], { stdio: ['pipe', 'pipe', 'pipe'], env });
    const client = new Client(child.stdin, child.stdout);
    client.pid = child.pid;
    client.output = child.stdout;
    client.stderr = '';
    child.stderr.on('data', (chunk) => {
      client.stderr += chunk;
    });
    client.exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
    t.after(async () => {
      child.stdin.end();
      if ((await Promise.race([client.exited, new Promise((r) => setTimeout(r, 5000, 'running'))])) === 'running') child.kill();
    });
    return client;
  }

  // The exit status, once the server has ended; a server still running after two minutes has
  // failed to end (the bound only guards against a hang).
  ended() {
    let timer;
    const hang = new Promise((resolve, reject) => {
      timer = setTimeout(() => reject(new Error('the server was still running two minutes later')), 2 * WAIT_MS);
    });
    return Promise.race([this.exited, hang]).finally(() => clearTimeout(timer));
  }

  write(bytes) {
    this.input.write(bytes);
  }

  send(message) {
    this.write(frameOf(message));
  }

  // Resolves to the whole response: { id, result } or { id, error }.
  request(method, params) {
    const id = this.nextId++;
    const reply = new Promise((resolve) => this.pending.set(id, resolve));
    this.send({ id, method, params });
    return reply;
  }

  async result(method, params) {
    const reply = await this.request(method, params);
    if (reply.error) throw new Error(`${method}: ${reply.error.message}`);
    return reply.result;
  }

  notify(method, params) {
    this.send({ method, params });
  }

  receive(message) {
    if (message.method === undefined) {
      const resolve = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (resolve) resolve(message);
      else this.received.push(message); // an error response to no request (a bad frame)
    } else {
      if (message.id !== undefined && this.answers[message.method] !== UNANSWERED) {
        const answer = this.answers[message.method];
        const result = typeof answer === 'function' ? answer(message.params) : answer ?? null;
        this.send({ id: message.id, result });
      }
      this.received.push(message);
    }
    for (const waiter of [...this.waiting]) {
      const index = this.received.findIndex(waiter.test);
      if (index >= 0) {
        this.waiting.splice(this.waiting.indexOf(waiter), 1);
        waiter.resolve(this.received.splice(index, 1)[0]);
      }
    }
  }

  // The first message received (and not yet taken) that passes `test`, now or when it comes.
  next(test, what = 'a message') {
    const index = this.received.findIndex(test);
    if (index >= 0) return Promise.resolve(this.received.splice(index, 1)[0]);
    return new Promise((resolve, reject) => {
      // The timer also keeps the test's event loop alive while the server runs in-process.
      const timer = setTimeout(() => {
        this.waiting.splice(this.waiting.indexOf(waiter), 1);
        reject(new Error(`no ${what} within ${WAIT_MS} ms; received: ${JSON.stringify(this.received).slice(0, 2000)}`));
      }, WAIT_MS);
      const waiter = { test, resolve: (message) => { clearTimeout(timer); resolve(message); } };
      this.waiting.push(waiter);
    });
  }

  // The next diagnostics published for `uri` (for its `version`, when given).
  async diagnostics(uri, version) {
    const message = await this.next((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === uri
      && (version === undefined || m.params.version === version), `diagnostics for ${uri}${version === undefined ? '' : ` version ${version}`}`);
    return message.params.diagnostics;
  }

  // initialize + initialized, with these initialization options and client capabilities.
  async start(initializationOptions, { capabilities = {}, workspaceFolders = null, rootUri = null } = {}) {
    const result = await this.result('initialize', { processId: null, rootUri, workspaceFolders, capabilities, initializationOptions });
    this.notify('initialized', {});
    return result;
  }

  open(uri, text, languageId = 'plaintext', version = 1) {
    this.notify('textDocument/didOpen', { textDocument: { uri, languageId, version, text } });
  }

  change(uri, version, contentChanges) {
    this.notify('textDocument/didChange', { textDocument: { uri, version }, contentChanges });
  }
}

// The words of diagnostics, with their ranges as "line:character-line:character".
// `word line:character-line:character` per diagnostic (the word from `data`, which holds the
// judging language too where several are on).
const summary = (diagnostics) => diagnostics.map(({ data, range: { start, end } }) => `${data?.word ?? data} ${start.line}:${start.character}-${end.line}:${end.character}`);

module.exports = { Client, summary, frameOf, bin, UNANSWERED };
