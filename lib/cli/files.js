'use strict';
// The files a run checks: those named, and in each folder named, every file of a known format
// (plus --include, less --exclude, less what .gitignore leaves out), in a stable order.
const fs = require('node:fs');
const path = require('node:path');
const ignore = require('ignore');
const picomatch = require('picomatch');
const { globMatcher } = require('../project/glob-matcher');
const { formatForPath } = require('../formats');

// Never entered: installed packages and git's own store hold no text of the project's.
const NEVER_ENTERED = new Set(['node_modules', '.git']);
// Plain text files taken from folders (any other file whose format is plain is not).
const PLAIN_EXTENSIONS = new Set(['.txt', '.text']);

const posix = (p) => p.split(path.sep).join('/');
// Characters that make an argument a pattern (when no file has that name).
const GLOB = /[*?[\]{}]/;
const byName = (a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);

// The nearest folder at or above `dir` that holds `.git` (a folder, or a file in a linked work
// tree), or null.
function gitWorkTree(dir) {
  for (let at = dir; ; at = path.dirname(at)) {
    if (fs.existsSync(path.join(at, '.git'))) return at;
    if (path.dirname(at) === at) return null;
  }
}

// The .gitignore rules of a work tree, read folder by folder as the walk reaches them. Windows
// users write either separator in them; git itself reads `\` as an escape, which matters only
// before a glob character, so elsewhere it is taken as a separator there.
class GitIgnores {
  constructor(root, platform = process.platform) {
    this.root = root;
    this.platform = platform;
    this.byFolder = new Map();
    const exclude = this.rulesOf(path.join(root, '.git', 'info', 'exclude'));
    this.top = exclude ? [[root, exclude]] : [];
  }

  rulesOf(file) {
    let text;
    try {
      text = fs.readFileSync(file, 'utf8');
    } catch {
      return null;
    }
    if (this.platform === 'win32') text = text.replace(/\\(?![*?[\]!#\\ ])/g, '/');
    return ignore().add(text);
  }

  // The rules that apply in `dir`, as [folder, rules] from the root down; remembered per folder,
  // since every file of a folder asks.
  levels(dir) {
    let levels = this.byFolder.get(dir);
    if (levels === undefined) {
      const parent = path.dirname(dir);
      const above = dir === this.root || parent === dir ? this.top : this.levels(parent);
      const own = this.rulesOf(path.join(dir, '.gitignore'));
      levels = own ? [...above, [dir, own]] : above;
      this.byFolder.set(dir, levels);
    }
    return levels;
  }

  // Whether `file` (a folder when `folder`) is left out; the deeper folder's rules win, as in git.
  ignores(file, folder) {
    const rel = path.relative(this.root, file);
    if (rel === '' || rel.startsWith(`..${path.sep}`) || rel === '..' || path.isAbsolute(rel)) return false;
    let ignored = false;
    for (const [dir, rules] of this.levels(path.dirname(file))) {
      const result = rules.test(posix(path.relative(dir, file)) + (folder ? '/' : ''));
      if (result.ignored) ignored = true;
      else if (result.unignored) ignored = false;
    }
    return ignored;
  }
}

const CAUSES = {
  ENOENT: 'no such file or folder',
  EACCES: 'permission denied',
  EPERM: 'permission denied',
  EISDIR: 'it is a folder',
  ENOTDIR: 'a part of the path is not a folder',
  ELOOP: 'too many levels of symbolic links',
  ENAMETOOLONG: 'the name is too long',
  EMFILE: 'too many open files',
  EIO: 'input/output error',
  EBUSY: 'the file is busy',
};
const causeOf = (error) => CAUSES[error.code] ?? error.message;

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
  const gitIgnoresFor = (dir) => {
    if (!choose.gitignore) return null;
    const root = gitWorkTree(dir);
    if (root === null) return null;
    if (!ignoresByRoot.has(root)) ignoresByRoot.set(root, new GitIgnores(root));
    return ignoresByRoot.get(root);
  };

  // `takes(file)`: whether a file found is checked; by default, by its format and --include.
  const known = (file) => choose.formatOf(file) !== null || choose.include(file);
  const walk = async (dir, shown, git, takes = known) => {
    let entries;
    try {
      entries = await fs.promises.readdir(dir, { withFileTypes: true });
    } catch (error) {
      problem(`cannot read the folder ${shown}: ${causeOf(error)}`);
      return;
    }
    for (const entry of entries.sort(byName)) {
      const file = path.join(dir, entry.name);
      const name = path.join(shown, entry.name);
      let isFolder = entry.isDirectory();
      let isFile = entry.isFile();
      if (entry.isSymbolicLink()) {
        // Linked files are followed; linked folders are not, which could loop or leave the tree.
        const target = await fs.promises.stat(file).catch(() => null);
        isFile = target?.isFile() ?? false;
        isFolder = false;
      }
      if (isFolder) {
        if (NEVER_ENTERED.has(entry.name) || choose.exclude(file) || git?.ignores(file, true)) continue;
        await walk(file, name, git, takes);
      } else if (isFile) {
        if (choose.exclude(file) || git?.ignores(file, false) || !takes(file)) continue;
        add({ name, file });
      }
    }
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
    await walk(root, base === '' ? '' : path.normalize(base), gitIgnoresFor(root), (file) => matches(posix(path.relative(root, file))));
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
      await walk(dir, arg, gitIgnoresFor(dir));
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

// The format a folder's file is checked as, or null when it is of no known format.
function knownFormat(file) {
  const format = formatForPath(file);
  if (format !== 'plain') return format;
  return PLAIN_EXTENSIONS.has(path.extname(file).toLowerCase()) ? 'plain' : null;
}

module.exports = { collectFiles, GitIgnores, knownFormat, causeOf };
