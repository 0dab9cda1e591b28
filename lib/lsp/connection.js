'use strict';
// JSON-RPC 2.0 over the protocol's framing: requests and notifications in, answers and the
// server's own notifications and requests out. What cannot be read gets the JSON-RPC error
// response and the connection goes on; only the end of the input ends it.
const { FrameReader, frame } = require('./framing');

const ErrorCodes = {
  ParseError: -32700,
  InvalidRequest: -32600,
  MethodNotFound: -32601,
  InvalidParams: -32602,
  InternalError: -32603,
  ServerNotInitialized: -32002,
  ServerCancelled: -32802,
  RequestCancelled: -32800,
};

class ResponseError extends Error {
  constructor(code, message, data) {
    super(message);
    this.code = code;
    this.data = data;
  }
}

// A result already written as JSON text (a large diagnostic report is written from kept pieces).
class RawJson {
  constructor(json) {
    this.json = json;
  }
}

const isId = (id) => typeof id === 'string' || (typeof id === 'number' && Number.isInteger(id));

class Connection {
  // handlers: { request(method, params, token) -> value or promise (throws ResponseError),
  //             notification(method, params) }
  constructor(input, output, handlers) {
    this.input = input;
    this.output = output;
    this.handlers = handlers;
    this.pending = new Map(); // requests sent to the client, by id
    this.running = new Map(); // requests of the client being answered, by id: their tokens
    this.nextId = 1;
    this.closed = false;
    // While the editor does not read what was written (its pipe is full), diagnostics are held
    // here rather than written: only the latest of each document, as a function that makes its
    // JSON when the editor reads again. A publication is some hundreds of kilobytes for a
    // large document; queued for every edit, they grew the server by hundreds of megabytes.
    this.held = new Map(); // uri -> () => params JSON, or null for nothing to publish
    this.backedUp = false;
    this.reader = new FrameReader(
      (body) => this.receive(body),
      (message) => this.error(null, ErrorCodes.ParseError, `unreadable frame: ${message}`),
    );
  }

  // Resolves when the input ends (or close() was called).
  listen() {
    return new Promise((resolve) => {
      this.finish = resolve;
      this.onData = (chunk) => this.reader.push(chunk);
      this.input.on('data', this.onData);
      this.input.on('end', () => this.close());
      this.input.on('error', () => this.close());
    });
  }

  close() {
    if (this.closed) return;
    this.closed = true;
    for (const { reject } of this.pending.values()) reject(new Error('the connection is closed'));
    this.pending.clear();
    this.held.clear();
    if (this.onData) this.input.removeListener('data', this.onData);
    this.finish?.();
  }

  send(message) {
    if (this.closed || this.output.destroyed) return;
    this.write(JSON.stringify({ jsonrpc: '2.0', ...message }));
  }

  write(json) {
    let flowing = true;
    for (const bytes of frame(json)) flowing = this.output.write(bytes) !== false && flowing;
    if (!flowing && !this.backedUp && typeof this.output.once === 'function') {
      this.backedUp = true;
      this.output.once('drain', () => {
        this.backedUp = false;
        this.flushHeld();
      });
    }
  }

  // textDocument/publishDiagnostics for `uri`, its params made by paramsJson() (JSON text, or
  // null for nothing to publish) now, or when the editor reads again.
  publish(uri, paramsJson) {
    if (this.closed || this.output.destroyed) return;
    if (this.backedUp) {
      this.held.delete(uri); // the latest goes last
      this.held.set(uri, paramsJson);
      return;
    }
    const params = paramsJson();
    if (params !== null) this.notifyJson('textDocument/publishDiagnostics', params);
  }

  // Resolves once the editor reads what was written (at once when it does).
  flowing() {
    if (!this.backedUp || this.closed) return Promise.resolve();
    return new Promise((resolve) => {
      const done = () => {
        clearInterval(poll);
        resolve();
      };
      this.output.once('drain', done);
      // Closing ends the wait too.
      const poll = setInterval(() => {
        if (this.closed) {
          this.output.removeListener('drain', done);
          done();
        }
      }, 100);
    });
  }

  flushHeld() {
    for (const [uri, paramsJson] of this.held) {
      if (this.backedUp || this.closed) return;
      this.held.delete(uri);
      const params = paramsJson();
      if (params !== null) this.notifyJson('textDocument/publishDiagnostics', params);
    }
  }

  error(id, code, message) {
    this.send({ id, error: { code, message } });
  }

  notify(method, params) {
    this.send({ method, params });
  }

  // A notification whose params are JSON text already.
  notifyJson(method, paramsJson) {
    if (this.closed || this.output.destroyed) return;
    this.write(`{"jsonrpc":"2.0","method":${JSON.stringify(method)},"params":${paramsJson}}`);
  }

  // A request to the client; resolves to its result, rejects with its error.
  request(method, params) {
    const id = this.nextId++;
    const reply = new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
    this.send({ id, method, params });
    return reply;
  }

  receive(body) {
    // Frames that came in the same chunk as `exit` are not read.
    if (this.closed) return undefined;
    let message;
    try {
      message = JSON.parse(body);
    } catch (error) {
      return this.error(null, ErrorCodes.ParseError, `invalid JSON: ${error.message}`);
    }
    if (message === null || typeof message !== 'object' || Array.isArray(message) || message.jsonrpc !== '2.0') {
      const id = message !== null && typeof message === 'object' && isId(message.id) ? message.id : null;
      return this.error(id, ErrorCodes.InvalidRequest, 'not a JSON-RPC 2.0 message');
    }
    if (typeof message.method === 'string') {
      if (!('id' in message)) return this.notification(message);
      if (!isId(message.id)) return this.error(null, ErrorCodes.InvalidRequest, 'a request id must be an integer or a string');
      return this.answer(message);
    }
    if (isId(message.id) && ('result' in message || 'error' in message)) {
      const waiting = this.pending.get(message.id);
      if (!waiting) return undefined; // an answer nobody waits for any more
      this.pending.delete(message.id);
      if (message.error) waiting.reject(new ResponseError(message.error.code, String(message.error.message)));
      else waiting.resolve(message.result);
      return undefined;
    }
    return this.error(isId(message.id) ? message.id : null, ErrorCodes.InvalidRequest, 'neither a request, a notification nor a response');
  }

  notification({ method, params }) {
    if (method === '$/cancelRequest') {
      const token = this.running.get(params?.id);
      if (token) token.cancelled = true;
      return;
    }
    try {
      this.handlers.notification(method, params);
    } catch (error) {
      this.handlers.failed?.(method, error);
    }
  }

  answer({ id, method, params }) {
    const token = { cancelled: false };
    this.running.set(id, token);
    let result;
    try {
      result = this.handlers.request(method, params, token);
    } catch (error) {
      this.settle(id, method, token, undefined, error);
      return undefined;
    }
    // A result known at once goes out at once, before the frames after it in the same chunk are
    // read: `shutdown` and `exit` written together get the answer to the first before the
    // second ends the connection.
    if (typeof result?.then !== 'function') return this.settle(id, method, token, result);
    return result.then((value) => this.settle(id, method, token, value), (error) => this.settle(id, method, token, undefined, error));
  }

  settle(id, method, token, result, error) {
    this.running.delete(id);
    if (error === undefined && token.cancelled) error = new ResponseError(ErrorCodes.RequestCancelled, 'cancelled');
    if (error === undefined && result instanceof RawJson) {
      if (this.closed || this.output.destroyed) return undefined;
      return this.write(`{"jsonrpc":"2.0","id":${JSON.stringify(id)},"result":${result.json}}`);
    }
    if (error === undefined) return this.send({ id, result: result === undefined ? null : result });
    if (error instanceof ResponseError) return this.send({ id, error: { code: error.code, message: error.message, ...(error.data === undefined ? {} : { data: error.data }) } });
    this.handlers.failed?.(method, error);
    return this.error(id, ErrorCodes.InternalError, `${method} failed: ${error.message}`);
  }
}

module.exports = { Connection, ResponseError, ErrorCodes, RawJson };
