'use strict';
// Pull diagnostics: the report of one document (textDocument/diagnostic) and of every file of
// the workspace folders (workspace/diagnostic). A file open in the editor is reported from its
// open document; any other is read from disk, checked, and forgotten: the server keeps nothing
// per file, and a workspace pull with partial results holds at most one batch of reports.
const crypto = require('node:crypto');
const fs = require('node:fs');
const { pathToFileURL } = require('node:url');
const { findProjectConfig } = require('../project/project-config');
const { globMatcher, formatNamer } = require('../project/glob-matcher');
const { walkFolder, gitIgnoresFor, knownFormat } = require('../project/walk');
const { textParts, NotTextError } = require('../project/read');
const { ResponseError, ErrorCodes } = require('./connection');
const { diagnostic } = require('./diagnostics');
const { isInside } = require('./uri');

// Reports sent in one $/progress: enough that a tree of thousands of files goes in a few dozen
// messages, few enough that the editor shows the first ones at once.
const BATCH_REPORTS = 64;
// ... or this much JSON, whichever comes first: what is held between two messages.
const BATCH_BYTES = 256 * 1024;

const LF = 0x0a;
const CR = 0x0d;

// Protocol positions (0-based line, UTF-16 units in the line; lines end at LF, CRLF or CR) of
// offsets into a text read in parts, asked in increasing order.
class LinePositions {
  constructor() {
    this.line = 0;
    this.lineStart = 0;
    this.text = '';
    this.base = 0;
    this.scanned = 0; // offsets before this were counted
    this.pendingCR = false; // the last part ended with CR: a break, unless LF follows
  }

  part(text, base) {
    this.at(this.base + this.text.length);
    if (this.pendingCR && text.charCodeAt(0) === LF) this.lineStart++; // CRLF split by the part's end
    this.pendingCR = false;
    this.text = text;
    this.base = base;
  }

  at(offset) {
    for (let i = this.scanned - this.base; i < offset - this.base; i++) {
      const code = this.text.charCodeAt(i);
      if (code === LF || code === CR) {
        if (code === CR && i + 1 < this.text.length && this.text.charCodeAt(i + 1) === LF) continue;
        this.line++;
        this.lineStart = this.base + i + 1;
        if (code === CR && i + 1 === this.text.length) this.pendingCR = true;
      }
    }
    this.scanned = Math.max(this.scanned, offset);
    return { line: this.line, character: offset - this.lineStart };
  }
}

// A file's diagnostics as a JSON array: its text read in parts (bounded memory whatever its
// size), each part checked; a file that is not text, or cannot be read, has none.
async function fileItemsJson(file, context, severity, stillWanted) {
  if (!context.service || context.excluded) return '[]';
  const items = [];
  const where = new LinePositions();
  try {
    for await (const part of textParts(file)) {
      if (!stillWanted()) return null;
      where.part(part.text, part.offset);
      // Directives and the code's names hold in the part they stand in, as on the command line.
      const found = await context.service.check(part.text, { format: context.format, vocabularies: context.vocabularies });
      const problems = found.problems ?? [];
      // Positions are asked in text order: the unknown directives in turn with the words.
      let p = 0;
      const problemsBefore = (offset) => {
        for (; p < problems.length && problems[p].start <= offset; p++) {
          const range = { start: where.at(part.offset + problems[p].start), end: where.at(part.offset + problems[p].end) };
          items.push(JSON.stringify({ range, severity: 2, source: 'spellshell', code: 'unknown-directive', message: problems[p].message }));
        }
      };
      for (const { start, end, word, language } of found) {
        problemsBefore(start);
        if (context.projectWords.has(word.normalize('NFC'))) continue;
        const from = where.at(part.offset + start);
        const to = where.at(part.offset + end);
        items.push(JSON.stringify(diagnostic(word, { start: from, end: to }, severity, language)));
      }
      problemsBefore(Infinity);
    }
  } catch (error) {
    if (error instanceof NotTextError || error.code) return '[]';
    throw error;
  }
  return `[${items.join(',')}]`;
}

class Pulls {
  // server: the Server (its documents, workspace, settings, connection and reports of open
  // documents).
  constructor(server) {
    this.server = server;
    // Result ids of files read from disk name this server's run, its settings' generation and
    // the file's size, time and inode: a file changed on disk (or a setting) gets a new one.
    this.run = crypto.randomBytes(6).toString('base64url');
  }

  diskResultId(stat) {
    return `${this.run}.${this.server.pullGeneration}.${stat.size}.${stat.mtimeMs}.${stat.ino}`;
  }

  // { resultId, itemsJson } of a file on disk, or { resultId } alone when it equals `previous`.
  async diskReport(file, previous, projects, stillWanted) {
    let stat;
    try {
      stat = await fs.promises.stat(file);
    } catch {
      return { resultId: `${this.run}.${this.server.pullGeneration}.missing`, itemsJson: '[]' };
    }
    const resultId = this.diskResultId(stat);
    if (resultId === previous) return { resultId };
    const context = await this.server.contextOf({ path: file, languageId: null }, projects);
    const itemsJson = await fileItemsJson(file, context, this.server.settings.severity, stillWanted);
    return itemsJson === null ? null : { resultId, itemsJson };
  }

  // textDocument/diagnostic for a file that is not open.
  async documentFromDisk(file, previous, token) {
    const report = await this.diskReport(file, previous, undefined, () => !token.cancelled);
    return report?.itemsJson === undefined ? { kind: 'unchanged', resultId: report?.resultId ?? previous } : report;
  }

  // workspace/diagnostic: every file of the workspace folders that their projects take, as the
  // command line walks a folder (.gitignore and the project's exclude honoured), in batches of
  // $/progress when the editor gave a partialResultToken. Resolves to the JSON of the result.
  async workspace(params, token) {
    const { server } = this;
    const previous = new Map((Array.isArray(params?.previousResultIds) ? params.previousResultIds : [])
      .filter((p) => typeof p?.uri === 'string' && typeof p?.value === 'string').map((p) => [p.uri, p.value]));
    const progress = params?.partialResultToken;
    const streamed = typeof progress === 'string' || Number.isInteger(progress);
    const generation = server.pullGeneration;
    const stillWanted = () => !token.cancelled && server.state === 'running' && server.pullGeneration === generation;
    const kept = []; // all reports, without a token
    let batch = [];
    let bytes = 0;
    const flush = async () => {
      if (batch.length === 0) return;
      server.connection.notifyJson('$/progress', `{"token":${JSON.stringify(progress)},"value":{"items":[${batch.join(',')}]}}`);
      batch = [];
      bytes = 0;
      await server.connection.flowing();
    };
    const projects = new Map(); // folder -> project config, for this pull only
    // Nested workspace folders are walked once, as part of the outer one.
    const folders = server.workspace.folders.filter((f, i, all) => !all.some((g, j) => j !== i && isInside(f, g) && (f !== g || j < i)));
    for (const folder of folders) {
      const project = await findProjectConfig(folder).catch((error) => {
        server.log(3, `the project settings of ${folder} cannot be read: ${error.message}`);
        return null;
      });
      const config = project?.config ?? {};
      const base = project?.dir ?? folder;
      const named = formatNamer(config.formats, base);
      const include = globMatcher(config.include ?? [], base);
      const exclude = globMatcher(config.exclude ?? [], base);
      const walk = walkFolder(folder, folder, {
        takes: (file) => (named(file) ?? knownFormat(file)) !== null || include(file),
        exclude,
        git: gitIgnoresFor(folder),
        problem: (message) => server.log(4, message),
      });
      for await (const { file } of walk) {
        if (!stillWanted()) break;
        const report = await this.fileReport(file, previous, projects, stillWanted);
        if (report === null) break;
        if (streamed) {
          batch.push(report);
          bytes += report.length;
          if (batch.length >= BATCH_REPORTS || bytes >= BATCH_BYTES) await flush();
        } else {
          kept.push(report);
        }
      }
      if (!stillWanted()) break;
    }
    if (token.cancelled || server.state !== 'running') return '{"items":[]}';
    if (server.pullGeneration !== generation) {
      // The settings or the project's words changed meanwhile: what was sent may be stale.
      throw new ResponseError(ErrorCodes.ServerCancelled, 'the settings changed during the workspace diagnostics', { retriggerRequest: true });
    }
    if (streamed) {
      await flush();
      return '{"items":[]}';
    }
    return `{"items":[${kept.join(',')}]}`;
  }

  // One file's WorkspaceDocumentDiagnosticReport, as JSON (null: the pull was called off).
  async fileReport(file, previous, projects, stillWanted) {
    const open = this.server.openDocumentAt(file);
    if (open) {
      const report = await this.server.documentReport(open, previous.get(open.content.uri));
      if (report === null) return null;
      const version = Number.isInteger(open.content.version) ? open.content.version : null;
      return report.itemsJson === undefined
        ? JSON.stringify({ kind: 'unchanged', uri: open.content.uri, version, resultId: report.resultId })
        : `{"kind":"full","uri":${JSON.stringify(open.content.uri)},"version":${version},"resultId":"${report.resultId}","items":${report.itemsJson}}`;
    }
    const uri = pathToFileURL(file).href;
    const report = await this.diskReport(file, previous.get(uri), projects, stillWanted);
    if (report === null) return null;
    return report.itemsJson === undefined
      ? JSON.stringify({ kind: 'unchanged', uri, version: null, resultId: report.resultId })
      : `{"kind":"full","uri":${JSON.stringify(uri)},"version":null,"resultId":${JSON.stringify(report.resultId)},"items":${report.itemsJson}}`;
  }
}

module.exports = { Pulls, LinePositions };
