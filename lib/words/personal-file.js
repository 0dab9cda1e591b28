'use strict';
// The personal word list on disk: one word per line in UTF-8, the plain format that Hunspell's
// and Enchant's tools keep. Several services (windows, processes) may share one file, so each
// change re-reads the file under a lock, applies only its own addition or removal, and replaces
// the file atomically: nobody's words are lost, and a crash leaves the old list or the new one.
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

// A lock older than this was left by a process that died while holding it, unless it names a
// process of this host that still runs.
const STALE_LOCK_MS = 10000;
// No change takes this long, however slow the disk: a lock this old is taken over even when its
// pid runs, since after a crash and a restart the pid may belong to an unrelated process, and
// the list must not stay locked for good.
const ABANDONED_LOCK_MS = 10 * 60 * 1000;
const LOCK_RETRY_MS = 5;

const decoder = new TextDecoder('utf-8', { fatal: true });

class BadFileError extends Error {}

// The words of the file's contents, in file order; throws an Error naming the file and line for
// bytes that are not UTF-8 and for control characters. A line with spaces inside can never match
// a word; it is kept (a rewrite must not lose it), and `onSpaced(line, text)` is told of it.
function parseWords(bytes, file, onSpaced = () => {}) {
  let from = bytes.length >= 3 && bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf ? 3 : 0;
  const words = [];
  for (let line = 1; from <= bytes.length; line++) {
    let to = bytes.indexOf(0x0a, from);
    if (to === -1) to = bytes.length;
    let text;
    try {
      text = decoder.decode(bytes.subarray(from, to));
    } catch {
      throw new BadFileError(`personal dictionary ${file}, line ${line}: not valid UTF-8`);
    }
    if (text.endsWith('\r')) text = text.slice(0, -1);
    const control = text.match(/[\u0000-\u001f\u007f]/);
    if (control) {
      const code = control[0].charCodeAt(0).toString(16).toUpperCase().padStart(4, '0');
      throw new BadFileError(`personal dictionary ${file}, line ${line}: control character U+${code}`);
    }
    const word = text.trim();
    if (/\s/.test(word)) onSpaced(line, word);
    if (word !== '') words.push(word);
    from = to + 1;
  }
  return words;
}

// What a path that is not a regular file is, for the error that refuses it.
function kindOf(stats) {
  if (stats.isDirectory()) return 'a folder';
  if (stats.isFIFO()) return 'a FIFO';
  if (stats.isCharacterDevice() || stats.isBlockDevice()) return 'a device';
  if (stats.isSocket()) return 'a socket';
  return 'something else';
}
const notRegularError = (action, file, stats) =>
  new BadFileError(`cannot ${action} the personal dictionary ${file}: it is ${kindOf(stats)}, not a regular file`);

// Opened without blocking: the stat first keeps devices from being opened at all (a FIFO would
// hold one of the thread pool's four threads until a writer came, /dev/zero would be read
// without end), and O_NONBLOCK plus the handle's own stat cover a FIFO put in place meanwhile.
const READ_FLAGS = fs.constants.O_RDONLY | (fs.constants.O_NONBLOCK ?? 0);

// Where a link that points nowhere (yet) would have its file: links followed one by one, up to
// the 40 hops the system itself allows.
async function danglingTarget(file) {
  let target = file;
  for (let hop = 0; hop < 40; hop++) {
    let stats;
    try {
      stats = await fs.promises.lstat(target);
    } catch (error) {
      if (error.code === 'ENOENT') return target;
      throw error;
    }
    if (!stats.isSymbolicLink()) return target;
    target = path.resolve(path.dirname(target), await fs.promises.readlink(target));
  }
  throw new BadFileError(`the personal dictionary ${file} is a link in a loop`);
}

const serialise = (words) => (words.length ? `${words.join('\n')}\n` : '');

class PersonalFile {
  constructor(file) {
    this.file = path.resolve(file);
    this.lockFile = `${this.file}.lock`;
  }

  // The words of the file; none when it does not exist. onSpaced(line, text): told of each line
  // that has spaces, and so can never match.
  async read(onSpaced) {
    let bytes;
    let handle;
    try {
      const stats = await fs.promises.stat(this.file);
      if (!stats.isFile()) throw notRegularError('read', this.file, stats);
      handle = await fs.promises.open(this.file, READ_FLAGS);
      const opened = await handle.stat();
      if (!opened.isFile()) throw notRegularError('read', this.file, opened);
      bytes = await handle.readFile();
    } catch (error) {
      if (error instanceof BadFileError) throw error;
      if (error.code === 'ENOENT') return [];
      throw new BadFileError(`cannot read the personal dictionary ${this.file}: ${error.message}`);
    } finally {
      await handle?.close();
    }
    return parseWords(bytes, this.file, onSpaced);
  }

  // Adds the word unless the file has it already; the file and its folder are made if needed.
  // Resolves to the list as it now stands on disk.
  async add(word) {
    await fs.promises.mkdir(path.dirname(this.file), { recursive: true });
    return this.change((words) => (words.includes(word) ? null : [...words, word]));
  }

  // Removes the word; a missing file is not created.
  async remove(word) {
    if (!fs.existsSync(this.file)) return [];
    return this.change((words) => (words.includes(word) ? words.filter((w) => w !== word) : null));
  }

  // Under the lock: the current list, `edit` of it (null: no change), written atomically.
  async change(edit) {
    await this.lock();
    try {
      const words = await this.read();
      const edited = edit(words);
      if (edited === null) return words;
      await this.replace(serialise(edited));
      return edited;
    } finally {
      await fs.promises.rm(this.lockFile, { force: true });
    }
  }

  async lock() {
    for (;;) {
      let handle;
      try {
        handle = await fs.promises.open(this.lockFile, 'wx');
      } catch (error) {
        if (error.code !== 'EEXIST') throw error;
      }
      if (handle) {
        // A lock we could not fill in (a full disk) is nobody's: left behind, empty, it would
        // hold every other writer for 10 s.
        try {
          await handle.writeFile(`${process.pid}\n${os.hostname()}\n`);
          await handle.close();
        } catch (error) {
          await handle.close().catch(() => {});
          await fs.promises.rm(this.lockFile, { force: true });
          throw error;
        }
        return;
      }
      await this.takeOverStaleLock();
      await new Promise((resolve) => setTimeout(resolve, LOCK_RETRY_MS));
    }
  }

  // A lock left by a dead holder is moved aside, then removed. Two processes that both find it
  // stale race only for the move: the loser's move fails, or moves the winner's fresh lock, which
  // the inode check sees and puts back.
  async takeOverStaleLock() {
    // The lock itself, not what it may point to: a link to nowhere would look absent for ever
    // while blocking every new lock.
    let seen;
    try {
      seen = await fs.promises.lstat(this.lockFile);
    } catch (error) {
      if (error.code === 'ENOENT') return;
      throw error;
    }
    // Locks are regular files: anything else (a link, a FIFO, a folder) was not left by a
    // writer, and is taken over at once, unread.
    if (seen.isFile()) {
      const age = Date.now() - seen.mtimeMs;
      if (age <= STALE_LOCK_MS) return;
      if (age <= ABANDONED_LOCK_MS && (await this.holderRuns())) return;
    }
    const aside = `${this.lockFile}.${crypto.randomBytes(6).toString('hex')}.stale`;
    try {
      await fs.promises.rename(this.lockFile, aside);
    } catch (error) {
      if (error.code === 'ENOENT') return;
      throw error;
    }
    const moved = await fs.promises.lstat(aside);
    if (moved.ino !== seen.ino || moved.dev !== seen.dev) {
      await fs.promises.link(aside, this.lockFile).catch(() => {});
    }
    await fs.promises.rm(aside, { force: true, recursive: seen.isDirectory() });
  }

  // Whether the lock names a process of this host that still runs: a slow writer (a list on a
  // slow disk, a paused process), not a dead one. A lock that cannot be read, is garbled, or
  // comes from another host says nothing; its age alone decides.
  async holderRuns() {
    let text;
    try {
      text = await fs.promises.readFile(this.lockFile, 'utf8');
    } catch {
      return false;
    }
    const [pid, host = ''] = text.split('\n');
    if (!/^[1-9][0-9]{0,9}$/.test(pid) || Number(pid) > 0x7fffffff) return false;
    if (host !== '' && host !== os.hostname()) return false;
    try {
      process.kill(Number(pid), 0);
      return true;
    } catch (error) {
      return error.code === 'EPERM'; // it runs, as another user
    }
  }

  // A temporary file in the same folder, flushed to disk, renamed over the list: at every
  // instant the list is either the old file or the new one.
  async replace(contents) {
    // A list that is a link (into a synced folder, say) is replaced where the link points, or
    // the rename would put a plain file in the link's place; and the new file gets the old one's
    // permissions, or a private list would turn readable by all. Resolved at each change: the
    // link may be pointed elsewhere meanwhile.
    // Only a regular file is ever replaced: a link to a device must not turn into a plain file
    // in the device's place. A link that points nowhere keeps pointing there: its target is
    // written.
    let target;
    let mode;
    try {
      target = await fs.promises.realpath(this.file);
      const stats = await fs.promises.stat(target);
      if (!stats.isFile()) throw notRegularError('write', this.file, stats);
      mode = stats.mode & 0o7777;
    } catch (error) {
      if (error.code !== 'ENOENT') throw error;
      target = await danglingTarget(this.file);
    }
    const dir = path.dirname(target);
    const temporary = path.join(dir, `.${path.basename(target)}.${crypto.randomBytes(6).toString('hex')}.tmp`);
    try {
      const handle = await fs.promises.open(temporary, 'wx');
      try {
        await handle.writeFile(contents);
        if (mode !== undefined) await handle.chmod(mode);
        await handle.sync();
      } finally {
        await handle.close();
      }
      await renameOver(temporary, target);
    } catch (error) {
      await fs.promises.rm(temporary, { force: true });
      throw error;
    }
    await syncFolder(dir);
  }
}

// Windows refuses to replace a file that another process (or service) has open at that moment,
// such as a reader of the list; the reader is done within milliseconds.
async function renameOver(from, to) {
  for (let attempt = 0; ; attempt++) {
    try {
      return await fs.promises.rename(from, to);
    } catch (error) {
      if (process.platform !== 'win32' || attempt >= 50 || !['EPERM', 'EACCES', 'EBUSY'].includes(error.code)) throw error;
      await new Promise((resolve) => setTimeout(resolve, 10));
    }
  }
}

// Makes the rename itself durable. Windows cannot open a folder for this, and needs not.
async function syncFolder(dir) {
  if (process.platform === 'win32') return;
  const handle = await fs.promises.open(dir, 'r');
  try {
    await handle.sync();
  } finally {
    await handle.close();
  }
}

module.exports = { PersonalFile, parseWords, BadFileError };
