'use strict';
// Personal word lists and locks that are not what they should be: links that point nowhere,
// devices, FIFOs. Nothing may hang, and nothing but a regular file (or a link to one) is ever
// read or replaced.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, test } = require('node:test');
const { SpellService } = require('../..');
const { PersonalFile } = require('../../lib/words/personal-file');
const { fixtureDictionary } = require('./helpers');

// POSIX file kinds; Wine reports links on its drive Z: as plain files.
const skip = process.platform === 'win32' ? 'links, FIFOs and devices are POSIX here' : false;

function folder(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-hostile-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

function mkfifo(file) {
  const made = spawnSync('mkfifo', [file]);
  assert.equal(made.status, 0, `mkfifo: ${made.stderr}`);
}

async function open(t, personalDictionary) {
  const dictionaryDirs = [fixtureDictionary(t, 'xx_ONE', ['hello'])];
  const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs, personalDictionary, worker: false });
  t.after(() => service.close());
  return service;
}

describe('hostile personal files', { skip }, () => {
  // [what the lock is, how to make it]
  const LOCKS = [
    ['a link that points nowhere', (lock) => fs.symlinkSync(path.join(path.dirname(lock), 'nowhere', 'x'), lock)],
    ['a link to a folder', (lock) => fs.symlinkSync(os.tmpdir(), lock)],
    ['a FIFO', (lock) => mkfifo(lock)],
    ['a folder', (lock) => fs.mkdirSync(lock)],
  ];
  for (const [name, make] of LOCKS) {
    test(`a lock that is ${name} is taken over at once, and addWord finishes`, { timeout: 60000 }, async (t) => {
      const file = path.join(folder(t), 'words.txt');
      make(`${file}.lock`);
      const service = await open(t, file);
      await service.addWord('foo');
      assert.equal(fs.readFileSync(file, 'utf8'), 'foo\n');
      assert.equal(fs.existsSync(`${file}.lock`), false);
      assert.deepEqual(fs.readdirSync(path.dirname(file)), ['words.txt']);
    });
  }

  test('a list that is a link to a device is refused, naming it, and the device stays', async (t) => {
    if (process.getuid?.() !== 0) return t.skip('making a device node needs root');
    const dir = folder(t);
    const device = path.join(dir, 'null');
    // A device of our own (the one /dev/null is), so that a fault replaces nothing of the system.
    assert.equal(spawnSync('mknod', [device, 'c', '1', '3']).status, 0);
    const file = path.join(dir, 'words.txt');
    fs.symlinkSync(device, file);
    const message = `cannot read the personal dictionary ${file}: it is a device, not a regular file`;
    await assert.rejects(open(t, file), { message });
    await assert.rejects(new PersonalFile(file).add('foo'), { message });
    await assert.rejects(new PersonalFile(file).remove('foo'), { message });
    assert.ok(fs.statSync(device).isCharacterDevice());
    assert.equal(fs.readlinkSync(file), device);
    assert.deepEqual(fs.readdirSync(dir).sort(), ['null', 'words.txt']);
  });

  test('a list that is a link to nowhere stays a link: its target is written', async (t) => {
    const dir = folder(t);
    fs.mkdirSync(path.join(dir, 'synced'));
    const file = path.join(dir, 'words.txt');
    fs.symlinkSync(path.join('synced', 'chain'), file);
    fs.symlinkSync('real.txt', path.join(dir, 'synced', 'chain'));
    const service = await open(t, file);
    assert.deepEqual(service.personalWords(), []);
    await service.addWord('foo');
    await service.addWord('bar');
    assert.equal(fs.readlinkSync(file), path.join('synced', 'chain'));
    assert.equal(fs.readFileSync(path.join(dir, 'synced', 'real.txt'), 'utf8'), 'foo\nbar\n');
    assert.equal(await service.isMisspelled('foo'), false);
  });

  test('a list in a loop of links is refused, naming it', async (t) => {
    const dir = folder(t);
    const file = path.join(dir, 'words.txt');
    fs.symlinkSync('other.txt', file);
    fs.symlinkSync('words.txt', path.join(dir, 'other.txt'));
    await assert.rejects(open(t, file), (error) => error.message.startsWith(`cannot read the personal dictionary ${file}: `));
  });

  test('a list that is a FIFO makes open reject at once, and no thread of the pool stays blocked', { timeout: 60000 }, async (t) => {
    const dir = folder(t);
    const file = path.join(dir, 'words.txt');
    mkfifo(file);
    const message = `cannot read the personal dictionary ${file}: it is a FIFO, not a regular file`;
    // More opens than the pool has threads (4): a blocked read would hold them all.
    const opens = Array.from({ length: 6 }, () => open(t, file));
    for (const opening of opens) await assert.rejects(opening, { message });
    fs.writeFileSync(path.join(dir, 'plain.txt'), 'x');
    assert.equal(await fs.promises.readFile(path.join(dir, 'plain.txt'), 'utf8'), 'x');
    assert.ok(fs.lstatSync(file).isFIFO());
  });

  test('the command line refuses a personal list that is a FIFO at once, exit 2', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const file = path.join(dir, 'words.txt');
    mkfifo(file);
    const run = spawnSync(process.execPath, [path.join(__dirname, '..', '..', 'bin', 'spellshell.js'), '--lang', 'xx_ONE', '--dict-dir', dir, '--personal', file, '-'],
      { input: 'hello\n', encoding: 'utf8', timeout: 60000 });
    assert.deepEqual([run.status, run.stdout, run.stderr], [2, '', `spellshell: cannot read the personal dictionary ${file}: it is a FIFO, not a regular file\n`]);
  });
});
