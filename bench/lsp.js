'use strict';
// The language server rows of `npm run bench` (also alone: node bench/lsp.js): `spellshell lsp`
// in a process of its own, driven over its pipes by a scripted client, with en_US alone and
// with en_US plus fr_FR. For a 1 MB Markdown document (prose from the licence and copyright
// texts, headings, fenced code blocks), opened after a small one (the dictionaries loaded, as
// they are for every document but an editor's first; the time from starting the server to that
// small document's diagnostics is a row of its own): the time from didOpen to its first
// diagnostics (those of its top; target: at most 1 s) and to all of them, then the time from a one-character edit to the diagnostics of that version
// (BENCH_EDITS edits, default 200, in turn inserting and deleting a letter in a paragraph
// chosen at random; target: p95 at most 30 ms) with the server's CPU time per edit (its threads
// together: what the machine's load does not change), and the server's resident memory with the small
// document alone and after the edits of the large one.
// BENCH_RUNS (default 3) servers each, the figures over all of them. Then, with en_US, a client
// that stops reading: 200 edits of the 1 MB document, 25 ms apart, with the client reading and
// with it not reading (its pipe full), the server's peak resident memory in each case (target:
// not reading at most 2x reading) and how many publications of older versions reach the client
// once it reads again.
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { FrameReader, frame } = require('../lib/lsp/framing');
// Seeded: every run edits the same places.
const { random } = require('./inputs');

const bin = path.join(__dirname, '..', 'bin', 'spellshell.js');
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const runs = Number(process.env.BENCH_RUNS || 3);
const edits = Number(process.env.BENCH_EDITS || 200);
const SIZE = 1024 * 1024;

// About 1 MB of Markdown: the licence texts' paragraphs, a heading every 8 of them and a fenced
// code block every 5, repeated until the size is reached.
function markdownDocument() {
  const dir = '/usr/share/common-licenses';
  const paragraphs = fs.readdirSync(dir).sort()
    .map((name) => path.join(dir, name))
    .filter((file) => fs.statSync(file).isFile())
    .flatMap((file) => fs.readFileSync(file, 'utf8').split(/\n[ \t]*\n/))
    .map((p) => p.trim().replace(/\s+/g, ' '))
    .filter((p) => p.length > 40);
  const parts = [];
  let size = 0;
  for (let i = 0; size < SIZE; i++) {
    let part = paragraphs[i % paragraphs.length];
    if (i % 8 === 0) part = `## Section ${i / 8}\n\n${part}`;
    if (i % 5 === 4) part += '\n\n```js\nconst value = compute(input);\n\nconsole.log(value);\n```';
    part += '\n\n';
    parts.push(part);
    size += part.length;
  }
  return parts.join('');
}

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];
}

// The CPU time the process has used, all its threads, in milliseconds (Linux).
function cpuMilliseconds(pid) {
  try {
    const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
    return ((Number(fields[11]) + Number(fields[12])) * 1000) / 100; // utime, stime in ticks of 1/100 s
  } catch {
    return NaN;
  }
}

function rssMegabytes(pid) {
  try {
    const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
    return Number(/VmRSS:\s+(\d+)/.exec(status)[1]) / 1024;
  } catch {
    return NaN;
  }
}

async function runServer(languages, text) {
  let started;
  const spawned = process.hrtime.bigint();
  const child = spawn(process.execPath, [bin, 'lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const waiting = new Map(); // version -> resolve, for diagnostics
  const opened = []; // [ms since didOpen, count] of each publication of the first version
  let requests = 0;
  const replies = new Map();
  const reader = new FrameReader((body) => {
    const message = JSON.parse(body);
    if (message.method === 'textDocument/publishDiagnostics') {
      if (message.params.version === 1 && message.params.uri.endsWith('document.md')) opened.push([Number(process.hrtime.bigint() - started) / 1e6, message.params.diagnostics.length]);
      const resolve = waiting.get(message.params.version);
      waiting.delete(message.params.version);
      resolve?.(message.params.diagnostics.length);
    } else if (message.method === undefined) {
      replies.get(message.id)?.(message);
    }
  }, (error) => { throw new Error(error); });
  child.stdout.on('data', (chunk) => reader.push(chunk));
  const send = (message) => child.stdin.write(Buffer.concat(frame(JSON.stringify({ jsonrpc: '2.0', ...message }))));
  const request = (method, params) => new Promise((resolve) => {
    const id = ++requests;
    replies.set(id, resolve);
    send({ id, method, params });
  });
  const published = (version) => new Promise((resolve) => waiting.set(version, resolve));

  await request('initialize', { processId: process.pid, rootUri: null, capabilities: {}, initializationOptions: { languages, dictionaryDirs: [dictionaryDir], personalDictionary: null } });
  send({ method: 'initialized', params: {} });
  // A small document first: the dictionaries are loaded, as for any document opened after the
  // editor's first.
  const small = published(1);
  send({ method: 'textDocument/didOpen', params: { textDocument: { uri: 'file:///bench/small.md', languageId: 'markdown', version: 1, text: 'A wrod.' } } });
  await small;
  const readyMs = Number(process.hrtime.bigint() - spawned) / 1e6;
  const idleRss = rssMegabytes(child.pid);
  const uri = 'file:///bench/document.md';
  started = process.hrtime.bigint();
  send({ method: 'textDocument/didOpen', params: { textDocument: { uri, languageId: 'markdown', version: 1, text } } });
  // A document this large is published twice: its top first, then all of it.
  while (opened.length < 2) await new Promise((resolve) => setTimeout(resolve, 1));
  const [[firstMs], [allMs, count]] = opened;

  // Edits inside prose lines: a letter inserted after a space, then deleted again.
  const lines = text.split('\n');
  const prose = lines.map((line, i) => [line, i]).filter(([line]) => /^[A-Za-z]/.test(line) && line.includes(' ')).map(([, i]) => i);
  const next = random(7);
  const latencies = [];
  const cpuBefore = cpuMilliseconds(child.pid);
  let version = 1;
  let inserted = null;
  for (let i = 0; i < edits; i++) {
    let change;
    if (inserted) {
      change = { range: { start: inserted, end: { line: inserted.line, character: inserted.character + 1 } }, text: '' };
      inserted = null;
    } else {
      const line = prose[Math.floor(next() * prose.length)];
      const character = lines[line].indexOf(' ') + 1;
      inserted = { line, character };
      change = { range: { start: inserted, end: inserted }, text: 'q' };
    }
    version++;
    const done = published(version);
    started = process.hrtime.bigint();
    send({ method: 'textDocument/didChange', params: { textDocument: { uri, version }, contentChanges: [change] } });
    await done;
    latencies.push(Number(process.hrtime.bigint() - started) / 1e6);
  }
  const cpuPerEdit = (cpuMilliseconds(child.pid) - cpuBefore) / edits;
  const rss = rssMegabytes(child.pid);
  await request('shutdown');
  send({ method: 'exit' });
  await new Promise((resolve) => child.on('exit', resolve));
  return { readyMs, firstMs, allMs, count, latencies, cpuPerEdit, idleRss, rss };
}

// Peak resident memory (VmHWM) of the server while `edits` edits arrive 25 ms apart, the client
// reading or not; then the publications of older versions the client gets once it reads.
async function hostileRun(text, reading) {
  const child = spawn(process.execPath, [bin, 'lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const versions = [];
  let replies = 0;
  const waiting = new Map();
  const reader = new FrameReader((body) => {
    const message = JSON.parse(body);
    if (message.method === 'textDocument/publishDiagnostics') {
      versions.push(message.params.version);
      waiting.get(message.params.version)?.();
    } else if (message.method === undefined) {
      replies++;
      waiting.get(`reply${message.id}`)?.();
    }
  }, (error) => { throw new Error(error); });
  child.stdout.on('data', (chunk) => reader.push(chunk));
  const send = (message) => child.stdin.write(Buffer.concat(frame(JSON.stringify({ jsonrpc: '2.0', ...message }))));
  const when = (key) => new Promise((resolve) => waiting.set(key, resolve));
  const initialized = when('reply1');
  send({ id: 1, method: 'initialize', params: { processId: process.pid, rootUri: null, capabilities: {}, initializationOptions: { languages: ['en_US'], dictionaryDirs: [dictionaryDir], personalDictionary: null } } });
  await initialized;
  send({ method: 'initialized', params: {} });
  const uri = 'file:///bench/document.md';
  const opened = when(1);
  send({ method: 'textDocument/didOpen', params: { textDocument: { uri, languageId: 'markdown', version: 1, text } } });
  await opened;
  while (versions.filter((v) => v === 1).length < 2) await new Promise((resolve) => setTimeout(resolve, 10));
  await new Promise((resolve) => setTimeout(resolve, 500));
  versions.length = 0;
  if (!reading) child.stdout.pause();
  const lines = text.split('\n');
  const prose = lines.map((line, i) => [line, i]).filter(([line]) => /^[A-Za-z]/.test(line) && line.includes(' ')).map(([, i]) => i);
  const next = random(11);
  for (let version = 2; version < 2 + edits; version++) {
    const line = prose[Math.floor(next() * prose.length)];
    const at = { line, character: lines[line].indexOf(' ') + 1 };
    send({ method: 'textDocument/didChange', params: { textDocument: { uri, version }, contentChanges: [{ range: { start: at, end: at }, text: 'q' }] } });
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
  // Until the server is idle: its processor time stands still.
  for (let before = -1, now = cpuMilliseconds(child.pid); before !== now; before = now, now = cpuMilliseconds(child.pid)) await new Promise((resolve) => setTimeout(resolve, 1000));
  const peak = Number(/VmHWM:\s+(\d+)/.exec(fs.readFileSync(`/proc/${child.pid}/status`, 'utf8'))[1]) / 1024;
  child.stdout.resume();
  const last = 1 + edits;
  if (!versions.includes(last)) await when(last);
  const older = versions.filter((v) => v < last).length;
  const done = when('reply2');
  send({ id: 2, method: 'shutdown' });
  await done;
  send({ method: 'exit' });
  await new Promise((resolve) => child.on('exit', resolve));
  return { peak, older, received: versions.length };
}

async function main() {
  const text = markdownDocument();
  const rows = [];
  for (const [label, languages] of [['en_US', ['en_US']], ['en_US + fr_FR', ['en_US', 'fr_FR']]]) {
    const results = [];
    for (let i = 0; i < runs; i++) results.push(await runServer(languages, text));
    const latencies = results.flatMap((r) => r.latencies);
    const firsts = results.map((r) => r.firstMs);
    const alls = results.map((r) => r.allMs);
    const ready = results.map((r) => r.readyMs);
    rows.push([
      label,
      `${Math.round(percentile(ready, 0.5))}`,
      `${Math.round(percentile(firsts, 0.5))} (worst ${Math.round(Math.max(...firsts))})`,
      `${Math.round(percentile(alls, 0.5))} (worst ${Math.round(Math.max(...alls))})`,
      `${percentile(latencies, 0.5).toFixed(1)} / ${percentile(latencies, 0.95).toFixed(1)} / ${Math.max(...latencies).toFixed(1)}`,
      `${percentile(results.map((r) => r.cpuPerEdit), 0.5).toFixed(1)}`,
      `${Math.round(percentile(results.map((r) => r.idleRss), 0.5))} / ${Math.round(percentile(results.map((r) => r.rss), 0.5))}`,
      `${results[0].count}`,
    ]);
  }
  const header = ['language server, 1 MB Markdown', 'start to a small document\'s diagnostics (ms)', 'first diagnostics (ms)', 'all diagnostics (ms)', 'edit to diagnostics p50 / p95 / max (ms)', 'server CPU per edit (ms)', 'server RSS, small document / 1 MB one too (MB)', 'diagnostics'];
  const widths = header.map((h, i) => Math.max(h.length, ...rows.map((r) => r[i].length)));
  const print = (cells) => console.log(cells.map((c, i) => c.padEnd(widths[i])).join(' | '));
  console.log(`\n${runs} servers each, ${edits} edits each, ${(Buffer.byteLength(text) / 1048576).toFixed(2)} MB, ${os.cpus().length} processors, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  print(header);
  print(widths.map((w) => '-'.repeat(w)));
  rows.forEach(print);

  const readingRun = await hostileRun(text, true);
  const notReading = await hostileRun(text, false);
  console.log(`\nen_US, ${edits} edits 25 ms apart: server peak RSS ${Math.round(readingRun.peak)} MB with a client that reads, ${Math.round(notReading.peak)} MB with one that does not`
    + ` (${(notReading.peak / readingRun.peak).toFixed(2)}x, target <= 2x); publications of older versions received: ${notReading.older} not reading, ${readingRun.older} reading`
    + ' (a client that reads more slowly than the server publishes gets fewer too)');
}

if (require.main === module) main();

module.exports = { markdownDocument, hostileRun };
