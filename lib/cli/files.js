'use strict';
// The files a run checks: those named, those of the lists given with --file-list, and in each
// folder named, every file of a known format (plus --include, less --exclude, less what
// .gitignore leaves out), in a stable order. The walk itself is the project's (lib/project/walk.js),
// shared with the language server's workspace diagnostics.
const fs = require('node:fs');
const path = require('node:path');
const picomatch = require('picomatch');
const crypto = require('node:crypto');
const { walkFolder, gitIgnoresFor, GitIgnores, knownFormat, causeOf, posix } = require('../project/walk');
const { leftOut } = require('../project/glob-matcher');

// Folders whose files a listed path never names for a check, as a walk never enters them.
const NEVER_ENTERED = ['node_modules', '.git'];

// Characters that make an argument a pattern (when no file has that name).
const GLOB = /[*?[\]{}]/;

// Collects the files of `args` (paths as given; '-' is standard input) and of `listed` (the
// paths of --file-list, which a folder's walk would take: by kind, less the patterns and what
// .gitignore leaves out). `choose` holds { formatOf(file) -> format or null, include(file),
// exclude(file), gitignore } and `problem(text)` is told of each argument or folder that cannot be
// read, `notice(text)` of a folder with nothing to check.
// -> [{ name, file, size, regular, mtimeMs, ino, stdin? }]
async function collectFiles(args, choose, { problem, notice, cwd = process.cwd(), listed = [] }) {
  const result = [];
  const seen = new Set();
  const add = (entry) => {
    const key = entry.stdin ? '-' : entry.file;
    if (seen.has(key)) return;
    seen.add(key);
    result.push(entry);
  };
  const ignoresByRoot = new Map();
  const gitFor = (dir) => gitIgnoresFor(dir, ignoresByRoot, choose.gitignore);

  // `takes(file)`: whether a file found is checked; by default, by its format and --include.
  const known = (file) => choose.formatOf(file) !== null || choose.include(file);
  const walk = async (dir, shown, git, takes = known) => {
    for await (const entry of walkFolder(dir, shown, { takes, exclude: choose.exclude, git, problem })) add(entry);
  };

  // A pattern that names no file is expanded here, as the shells of Windows do not: the files
  // under its fixed start that match the rest, whatever their format (the pattern names them),
  // less --exclude and .gitignore, as in a folder.
  const expand = async (arg) => {
    const pattern = process.platform === 'win32' ? arg.replace(/\\/g, '/') : arg;
    const { base, glob } = picomatch.scan(pattern);
    const root = path.resolve(cwd, base || '.');
    const matches = picomatch(glob);
    const before = result.length;
    await walk(root, base === '' ? '' : path.normalize(base), gitFor(root), (file) => matches(posix(path.relative(root, file))));
    if (result.length === before) notice(`no file matches ${arg}`);
  };

  for (const arg of args) {
    if (arg === '-') {
      add({ name: '<stdin>', file: '-', stdin: true });
      continue;
    }
    let stat;
    try {
      stat = await fs.promises.stat(path.resolve(cwd, arg));
    } catch (error) {
      if (error.code === 'ENOENT' && GLOB.test(arg)) await expand(arg);
      else problem(`cannot read ${arg}: ${causeOf(error)}`);
      continue;
    }
    if (stat.isDirectory()) {
      const dir = path.resolve(cwd, arg);
      const before = result.length;
      await walk(dir, arg, gitFor(dir));
      if (result.length === before) notice(`no file to check in ${arg} (none of a known format, or all left out)`);
    } else {
      add({ name: arg, file: path.resolve(cwd, arg) });
    }
  }
  // A listed path is taken as the walk of its folder would take it; a missing one is reported as
  // a missing argument is (git diff --name-only --diff-filter=d leaves deleted files out).
  for (const name of listed) {
    const file = path.resolve(cwd, name);
    let stat;
    try {
      stat = await fs.promises.stat(file);
    } catch (error) {
      problem(`cannot read ${name}: ${causeOf(error)}`);
      continue;
    }
    if (stat.isDirectory()) {
      await walk(file, name, gitFor(file));
      continue;
    }
    const parts = path.relative(cwd, path.dirname(file)).split(path.sep);
    if (parts.some((part) => NEVER_ENTERED.includes(part)) || leftOut(choose.exclude, file, cwd) || !known(file)) continue;
    if (gitFor(path.dirname(file))?.ignores(file, false)) continue;
    add({ name, file });
  }
  for (const entry of result) {
    if (entry.stdin) continue;
    const stat = fs.statSync(entry.file, { throwIfNoEntry: false });
    entry.regular = stat?.isFile() ?? false;
    entry.size = entry.regular ? stat.size : 0;
    entry.mtimeMs = stat?.mtimeMs ?? 0;
    entry.ino = stat?.ino ?? 0;
  }
  return result;
}

// The paths of a --file-list: one a line (LF or CRLF), blank lines passed over. `-` reads them
// from standard input.
async function readFileList(list, { cwd, stdin }) {
  let text;
  if (list === '-') {
    const chunks = [];
    for await (const chunk of stdin) chunks.push(Buffer.from(chunk));
    text = Buffer.concat(chunks).toString('utf8');
  } else {
    text = await fs.promises.readFile(path.resolve(cwd, list), 'utf8');
  }
  return text.split(/\r?\n/).filter((line) => line.trim() !== '');
}

// Whether the file belongs to share `index` of `count` (1-based): chosen by its path from the
// current folder, with forward slashes, so every job of a CI matrix (on any system, in any
// order) puts each file in the same share. Standard input belongs to the first share.
function inShard(entry, { index, count }, cwd) {
  if (entry.stdin) return index === 1;
  const key = posix(path.relative(cwd, entry.file));
  const hash = crypto.createHash('sha1').update(key).digest().readUInt32BE(0);
  return hash % count === index - 1;
}

module.exports = { collectFiles, readFileList, inShard, GitIgnores, knownFormat, causeOf };
