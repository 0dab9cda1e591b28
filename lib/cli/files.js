'use strict';
// The files a run checks: those named, those of the lists given with --file-list, and in each
// folder named, every file of a known format (plus --include, less --exclude, less what
// .gitignore leaves out), in a stable order. The walk itself is the project's (lib/project/walk.js),
// shared with the language server's workspace diagnostics.
const fs = require('node:fs');
const path = require('node:path');
const picomatch = require('picomatch');
const { walkFolder, gitIgnoresFor, GitIgnores, knownFormat, causeOf, posix } = require('../project/walk');

// Characters that make an argument a pattern (when no file has that name).
const GLOB = /[*?[\]{}]/;

// Collects the files of `args` (paths as given; '-' is standard input). `choose` holds
// { formatOf(file) -> format or null, include(file), exclude(file), gitignore } and `problem(text)`
// is told of each argument or folder that cannot be read, `notice(text)` of a folder with nothing
// to check. -> [{ name, file, size, regular, stdin? }]
async function collectFiles(args, choose, { problem, notice, cwd = process.cwd() }) {
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
  for (const entry of result) {
    if (entry.stdin) continue;
    const stat = fs.statSync(entry.file, { throwIfNoEntry: false });
    entry.regular = stat?.isFile() ?? false;
    entry.size = entry.regular ? stat.size : 0;
  }
  return result;
}

module.exports = { collectFiles, GitIgnores, knownFormat, causeOf };
