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
  RequestCancelled: -32800,
};

class ResponseError extends Error {
  constructor(code, message) {
    super(message);
    this.code = code;
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
    if (this.onData) this.input.removeListener('data', this.onData);
    this.finish?.();
  }

  send(message) {
    if (this.closed || this.output.destroyed) return;
    this.write(JSON.stringify({ jsonrpc: '2.0', ...message }));
  }

  write(json) {
    for (const bytes of frame(json)) this.output.write(bytes);
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

  async answer({ id, method, params }) {
    const token = { cancelled: false };
    this.running.set(id, token);
    try {
      const result = await this.handlers.request(method, params, token);
      if (token.cancelled) throw new ResponseError(ErrorCodes.RequestCancelled, 'cancelled');
      this.send({ id, result: result === undefined ? null : result });
    } catch (error) {
      if (error instanceof ResponseError) this.error(id, error.code, error.message);
      else {
        this.handlers.failed?.(method, error);
        this.error(id, ErrorCodes.InternalError, `${method} failed: ${error.message}`);
      }
    } finally {
      this.running.delete(id);
    }
  }
}

module.exports = { Connection, ResponseError, ErrorCodes };
