'use strict';
// The personal word list on disk: its format, when it is made, that a bad file is refused and
// never rewritten, that two services on one file lose none of each other's changes, and that a
// writer killed at any instant leaves a whole list.
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { SpellService } = require('../..');
const { PersonalFile, parseWords } = require('../../lib/words/personal-file');
const { fixtureDictionary } = require('./helpers');

function folder(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-personal-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

async function open(t, personalDictionary, options = {}) {
  const dictionaryDirs = [fixtureDictionary(t, 'xx_ONE', ['hello'])];
  const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs, personalDictionary, ...options });
  t.after(() => service.close());
  return service;
}

suite('personal dictionary file: format', () => {
  // [what the row shows, file contents, the words]
  const READ = [
    ['one word per line', 'alpha\nbeta\n', ['alpha', 'beta']],
    ['CRLF line ends', 'alpha\r\nbeta\r\n', ['alpha', 'beta']],
    ['no final line end', 'alpha\nbeta', ['alpha', 'beta']],
    ['blank lines left out', '\n\nalpha\n\n  \nbeta\n\n', ['alpha', 'beta']],
    ['a leading BOM left out', '\ufeffalpha\n', ['alpha']],
    ['words outside ASCII', 'café\nnaïve\n日本\n', ['café', 'naïve', '日本']],
    ['file order, repeats kept', 'zeta\nalpha\nzeta\n', ['zeta', 'alpha', 'zeta']],
    ['an empty file', '', []],
  ];
  for (const [name, contents, words] of READ) {
    test(`reads ${name}`, () => {
      assert.deepEqual(parseWords(Buffer.from(contents), 'f'), words);
    });
  }

  // [what the row shows, bytes, the message]
  const BAD = [
    ['bytes that are not UTF-8', Buffer.from('good\nbad\xff\n', 'latin1'), 'personal dictionary F, line 2: not valid UTF-8'],
    ['a NUL', Buffer.from('good\nfine\nnul\0x\n'), 'personal dictionary F, line 3: control character U+0000'],
    ['a tab', Buffer.from('tab\there\n'), 'personal dictionary F, line 1: control character U+0009'],
    ['a lone carriage return', Buffer.from('a\rb\n'), 'personal dictionary F, line 1: control character U+000D'],
    ['DEL', Buffer.from('ok\n\x7f\n'), 'personal dictionary F, line 2: control character U+007F'],
    ['an overlong encoding', Buffer.from([0x6f, 0x6b, 0x0a, 0xc0, 0xaf, 0x0a]), 'personal dictionary F, line 2: not valid UTF-8'],
  ];
  for (const [name, bytes, message] of BAD) {
    test(`refuses ${name}, naming the file and line`, () => {
      assert.throws(() => parseWords(bytes, 'F'), { name: 'Error', message });
    });
  }
});

suite('personal dictionary file: the service', () => {
  test('opens with the words of the file, in file order', async (t) => {
    const file = path.join(folder(t), 'words.txt');
    fs.writeFileSync(file, '\ufeffwrod\r\n\r\nhelo\r\n');
    const service = await open(t, file);
    assert.deepEqual(service.personalWords(), ['wrod', 'helo']);
    assert.deepEqual((await service.check('wrod helo hlelo')).map((m) => m.word), ['hlelo']);
  });

  test('the file and its folder are made at the first addWord, never by removeWord', async (t) => {
    const file = path.join(folder(t), 'new', 'deeper', 'words.txt');
    const service = await open(t, file);
    await service.removeWord('wrod');
    assert.equal(fs.existsSync(path.dirname(file)), false);
    await service.addWord('wrod');
    await service.addWord('naïve');
    await service.addWord('wrod');
    assert.equal(fs.readFileSync(file, 'utf8'), 'wrod\nnaïve\n');
    await service.removeWord('wrod');
    assert.equal(fs.readFileSync(file, 'utf8'), 'naïve\n');
    assert.deepEqual(fs.readdirSync(path.dirname(file)), ['words.txt'], 'no temporary or lock file left');
  });

  test('a list that is a link stays a link: its target is rewritten, with its permissions', async (t) => {
    // Wine makes the link, but its drive Z: then reports it as a plain file.
    if (process.env.SPELLSHELL_WINE === '1') return t.skip('Wine does not report links on drive Z: as links');
    const dir = folder(t);
    const real = path.join(dir, 'real', 'words.txt');
    const link = path.join(dir, 'link.txt');
    fs.mkdirSync(path.dirname(real));
    fs.writeFileSync(real, 'alpha\n');
    fs.chmodSync(real, 0o600);
    try {
      fs.symlinkSync(path.join('real', 'words.txt'), link, 'file');
    } catch (error) {
      if (process.platform === 'win32' && error.code === 'EPERM') return t.skip('no right to make links here');
      throw error;
    }
    const service = await open(t, link);
    await service.addWord('beta');
    await service.addWord('gamma');
    await service.removeWord('alpha');
    assert.equal(fs.lstatSync(link).isSymbolicLink(), true);
    assert.equal(fs.readlinkSync(link), path.join('real', 'words.txt'));
    assert.equal(fs.readFileSync(real, 'utf8'), 'beta\ngamma\n');
    if (process.platform !== 'win32') assert.equal(fs.statSync(real).mode & 0o777, 0o600);
    assert.deepEqual(fs.readdirSync(path.dirname(real)), ['words.txt'], 'no temporary file left');
  });

  test('a bad file makes open reject and is never rewritten', async (t) => {
    const file = path.join(folder(t), 'words.txt');
    const bytes = Buffer.from('good\nbad\0word\n');
    fs.writeFileSync(file, bytes);
    await assert.rejects(open(t, file), { message: `personal dictionary ${file}, line 2: control character U+0000` });
    assert.deepEqual(fs.readFileSync(file), bytes);
  });

  test('a file that turns bad after open makes addWord and removeWord reject and change nothing', async (t) => {
    const file = path.join(folder(t), 'words.txt');
    fs.writeFileSync(file, 'good\n');
    const service = await open(t, file);
    const bad = Buffer.from('good\n\xfe\n', 'latin1');
    fs.writeFileSync(file, bad);
    const message = `personal dictionary ${file}, line 2: not valid UTF-8`;
    await assert.rejects(service.addWord('wrod'), { message });
    await assert.rejects(service.removeWord('good'), { message });
    assert.deepEqual(fs.readFileSync(file), bad);
    assert.deepEqual(service.personalWords(), ['good']);
    assert.equal(await service.isMisspelled('wrod'), true);
  });

  test('a file that cannot be read makes open reject, naming it', async (t) => {
    const dir = folder(t);
    await assert.rejects(open(t, dir), (error) => error.message.startsWith(`cannot read the personal dictionary ${dir}: `));
  });

  test('two services on one file lose none of each other\'s changes, even at the same moment', async (t) => {
    const file = path.join(folder(t), 'shared.txt');
    const one = await open(t, file);
    const two = await open(t, file, { worker: false });
    const words = Array.from({ length: 20 }, (_, i) => `word${String.fromCharCode(97 + i)}`);
    await Promise.all(words.map((word, i) => (i % 2 ? one : two).addWord(word)));
    assert.deepEqual(new Set(fs.readFileSync(file, 'utf8').trim().split('\n')), new Set(words));
    await Promise.all([one.removeWord(words[0]), two.removeWord(words[1]), one.addWord('extra')]);
    const left = fs.readFileSync(file, 'utf8').trim().split('\n');
    assert.deepEqual(new Set(left), new Set([...words.slice(2), 'extra']));
    await one.addWord('extra'); // no change: re-reads the file
    assert.deepEqual(one.personalWords(), left, 'a service sees the merged list at its next change');
  });

  // A process that ran and was reaped: its pid names no running process.
  const deadPid = spawnSync(process.execPath, ['-e', '']).pid;
  // [what the row shows, the lock's contents, its age]
  const STALE = [
    ['of a dead writer', `${deadPid}\n`, 11000],
    ['of a dead writer of this host', `${deadPid}\n${os.hostname()}\n`, 11000],
    ['that is garbled', 'not a pid\n', 11000],
    ['that is empty', '', 11000],
    // After a crash and a restart the pid may name an unrelated process.
    ['of a running process of this host, after 10 minutes', `${process.pid}\n${os.hostname()}\n`, 11 * 60 * 1000],
  ];
  for (const [name, contents, age] of STALE) {
    test(`a lock ${name} is taken over once old enough`, async (t) => {
      const file = path.join(folder(t), 'words.txt');
      const service = await open(t, file);
      fs.writeFileSync(`${file}.lock`, contents);
      const old = new Date(Date.now() - age);
      fs.utimesSync(`${file}.lock`, old, old);
      await service.addWord('wrod');
      assert.equal(fs.readFileSync(file, 'utf8'), 'wrod\n');
      assert.equal(fs.existsSync(`${file}.lock`), false);
    });
  }

  test('a lock of a running process of this host is not taken over within 10 minutes', async (t) => {
    const file = path.join(folder(t), 'words.txt');
    const service = await open(t, file);
    const lock = `${file}.lock`;
    fs.writeFileSync(lock, `${process.pid}\n${os.hostname()}\n`);
    const old = new Date(Date.now() - 60000);
    fs.utimesSync(lock, old, old);
    // Counts the looks at the lock: a stale one would go at the first.
    const takeOver = PersonalFile.prototype.takeOverStaleLock;
    t.after(() => (PersonalFile.prototype.takeOverStaleLock = takeOver));
    let looks = 0;
    let lookedThrice;
    const looked = new Promise((resolve) => (lookedThrice = resolve));
    PersonalFile.prototype.takeOverStaleLock = async function () {
      await takeOver.call(this);
      if (++looks === 3) lookedThrice();
    };
    const adding = service.addWord('wrod');
    await looked;
    assert.equal(fs.readFileSync(lock, 'utf8'), `${process.pid}\n${os.hostname()}\n`);
    assert.equal(fs.existsSync(file), false);
    fs.rmSync(lock); // its holder lets go
    await adding;
    assert.equal(fs.readFileSync(file, 'utf8'), 'wrod\n');
    assert.equal(fs.existsSync(lock), false);
  });

  test('a writer killed with SIGKILL at any instant leaves the old list or the new one', async (t) => {
    const file = path.join(folder(t), 'words.txt');
    // Each child adds and removes words without end, never the first one: every whole list
    // starts with "anchor" and holds w<number> words once each; a torn or emptied file does not.
    const child = `
      const { PersonalFile } = require(${JSON.stringify(path.join(__dirname, '..', '..', 'lib', 'words', 'personal-file'))});
      const list = new PersonalFile(process.argv[1]);
      (async () => {
        await list.add('anchor');
        process.send('ready');
        for (let i = 1; ; i++) {
          await list.add('w' + (i % 50));
          if (i % 3 === 2) await list.remove('w' + ((i - 1) % 50));
        }
      })();`;
    for (let round = 0; round < 15; round++) {
      const writer = spawn(process.execPath, ['-e', child, file], { stdio: ['ignore', 'ignore', 'inherit', 'ipc'] });
      await new Promise((resolve) => writer.once('message', resolve));
      await new Promise((resolve) => setTimeout(resolve, 5 + ((round * 7) % 30)));
      writer.kill('SIGKILL');
      await new Promise((resolve) => writer.once('exit', resolve));
      // The next writer would wait for the dead one's lock to go stale; let it go now.
      fs.rmSync(`${file}.lock`, { force: true });
      const words = parseWords(fs.readFileSync(file), file);
      assert.equal(words[0], 'anchor');
      assert.ok(words.slice(1).every((w) => /^w\d+$/.test(w)), words.join(' '));
      assert.equal(new Set(words).size, words.length);
    }
  });
});
