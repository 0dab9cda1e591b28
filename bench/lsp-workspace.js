'use strict';
// A workspace pull over a real tree: `node bench/lsp-workspace.js [FOLDER] [LANGUAGE]` (default
// /usr/share/doc, en_US) starts `spellshell lsp` with FOLDER as its workspace folder, asks for
// workspace/diagnostic with a partial result token, and prints the files and diagnostics
// reported, the time to the last one, the server's peak resident memory, and the same for a
// second pull that gives the first one's result ids (files unchanged on disk: "unchanged").
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { FrameReader, frame } = require('../lib/lsp/framing');

const bin = path.join(__dirname, '..', 'bin', 'spellshell.js');
const folder = path.resolve(process.argv[2] || '/usr/share/doc');
const language = process.argv[3] || 'en_US';

async function main() {
  const child = spawn(process.execPath, [bin, 'lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const replies = new Map();
  const reports = new Map(); // token -> reports
  const reader = new FrameReader((body) => {
    const message = JSON.parse(body);
    if (message.method === '$/progress') reports.get(message.params.token)?.push(...message.params.value.items);
    else if (message.method === undefined) replies.get(message.id)?.(message);
    else if (message.id !== undefined) send({ id: message.id, result: null });
  }, (error) => { throw new Error(error); });
  child.stdout.on('data', (chunk) => reader.push(chunk));
  function send(message) {
    child.stdin.write(Buffer.concat(frame(JSON.stringify({ jsonrpc: '2.0', ...message }))));
  }
  let id = 0;
  const request = (method, params) => new Promise((resolve) => {
    replies.set(++id, resolve);
    send({ id, method, params });
  });
  await request('initialize', {
    processId: process.pid, rootUri: null, capabilities: {}, workspaceFolders: [{ uri: pathToFileURL(folder).href, name: 'bench' }],
    initializationOptions: { languages: [language], personalDictionary: null },
  });
  send({ method: 'initialized', params: {} });
  const pull = async (token, previousResultIds) => {
    reports.set(token, []);
    const started = process.hrtime.bigint();
    const reply = await request('workspace/diagnostic', { partialResultToken: token, previousResultIds });
    if (reply.error) throw new Error(reply.error.message);
    const seconds = Number(process.hrtime.bigint() - started) / 1e9;
    const items = reports.get(token);
    const peak = Number(/VmHWM:\s+(\d+)/.exec(fs.readFileSync(`/proc/${child.pid}/status`, 'utf8'))[1]) / 1024;
    return { seconds, items, peak };
  };
  const first = await pull('first', []);
  const diagnostics = first.items.reduce((n, r) => n + (r.items?.length ?? 0), 0);
  const withSome = first.items.filter((r) => r.items?.length > 0).length;
  console.log(`${folder}, ${language}: ${first.items.length} files (${withSome} with diagnostics), ${diagnostics} diagnostics in ${first.seconds.toFixed(1)} s; server peak RSS ${Math.round(first.peak)} MB`);
  const second = await pull('second', first.items.map((r) => ({ uri: r.uri, value: r.resultId })));
  const unchanged = second.items.filter((r) => r.kind === 'unchanged').length;
  console.log(`again with the result ids: ${second.items.length} files, ${unchanged} unchanged, in ${second.seconds.toFixed(1)} s; server peak RSS ${Math.round(second.peak)} MB`);
  await request('shutdown');
  send({ method: 'exit' });
}

main();
