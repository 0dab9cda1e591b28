'use strict';
// The files of a project folder as the command line and the language server take them: walked
// recursively, entries in code-unit order of their names, every file of a known format (plus
// what `takes` adds), less what the patterns exclude and what .gitignore leaves out; never into
// node_modules or .git, nor through linked folders.
const fs = require('node:fs');
const path = require('node:path');
const ignore = require('ignore');
const { formatForPath } = require('../formats');

// Never entered: installed packages and git's own store hold no text of the project's.
const NEVER_ENTERED = new Set(['node_modules', '.git']);
// Plain text files taken from folders (any other file whose format is plain is not).
const PLAIN_EXTENSIONS = new Set(['.txt', '.text']);

const posix = (p) => p.split(path.sep).join('/');
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

// The format a folder's file is checked as, or null when it is of no known format.
function knownFormat(file) {
  const format = formatForPath(file);
  if (format !== 'plain') return format;
  return PLAIN_EXTENSIONS.has(path.extname(file).toLowerCase()) ? 'plain' : null;
}

// The .gitignore rules for folders under `dir`, when .gitignore applies (`gitignore`) and `dir` is
// in a git work tree; one GitIgnores per work tree, kept in `cache` (root -> GitIgnores).
function gitIgnoresFor(dir, cache = new Map(), gitignore = true) {
  if (!gitignore) return null;
  const root = gitWorkTree(dir);
  if (root === null) return null;
  if (!cache.has(root)) cache.set(root, new GitIgnores(root));
  return cache.get(root);
}

// Yields { name, file } for each file taken under `dir` (`shown`: how its name starts), in
// order. `takes(file)`: whether a file found is taken; `exclude(file)`: whether a file or folder
// is left out; `git`: the GitIgnores that apply, or null; `problem(text)`: told of each folder
// that cannot be read.
async function* walkFolder(dir, shown, { takes, exclude, git, problem }) {
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
      if (NEVER_ENTERED.has(entry.name) || exclude(file) || git?.ignores(file, true)) continue;
      yield* walkFolder(file, name, { takes, exclude, git, problem });
    } else if (isFile) {
      if (exclude(file) || git?.ignores(file, false) || !takes(file)) continue;
      yield { name, file };
    }
  }
}

module.exports = { walkFolder, gitIgnoresFor, GitIgnores, knownFormat, causeOf, posix };
