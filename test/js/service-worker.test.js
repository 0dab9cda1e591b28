'use strict';
// The service's worker thread: a worker that dies is reported to the call it was answering and
// replaced at the next call with the same languages and personal words; an idle service does
// not keep the process alive.
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const path = require('node:path');
const { suite, test } = require('node:test');
const { fixtureDictionary } = require('./helpers');

const root = path.join(__dirname, '..', '..');

// Runs `source` in a new Node process whose worker threads preload worker-exit-hook.js (a
// message { exitForTest } makes a worker run process.exit inside itself); returns its output.
function run(source, preload = true) {
  const args = preload ? ['--require', path.join(__dirname, 'worker-exit-hook.js')] : [];
  return execFileSync(process.execPath, [...args, '-e', source], { encoding: 'utf8', timeout: 60000 });
}

suite('SpellService worker', () => {
  test('a worker that exits rejects the call it was answering; the calls behind it go on in a new one', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const out = run(`
      const { SpellService } = require(${JSON.stringify(root)});
      const settled = (promise) => promise.then((value) => 'answered', (error) => error.message);
      (async () => {
        const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}] });
        await service.addWord('wrod');
        const first = service._pool.primary.host.worker;
        // Distinct misspellings, each a real call into Hunspell: the check outlasts the message.
        const text = Array.from({ length: 200000 }, (_, i) => 'q' + i.toString(26).replace(/[0-9]/g, (d) => 'abcdefghij'[d])).join(' ');
        const pending = [service.check(text), service.isMisspelled('helo'), service.suggest('helo')].map(settled);
        await new Promise((resolve) => setImmediate(resolve));
        first.postMessage({ exitForTest: 3 });
        const results = await Promise.all(pending);
        const after = (await service.check('hello helo wrod')).map((m) => m.word);
        console.log(JSON.stringify({ results, after, replaced: service._pool.primary.host.worker !== first, personal: service.personalWords() }));
        await service.close();
      })();`);
    const stopped = "the spell service's worker stopped unexpectedly (exit code 3); a new one starts with the next call";
    assert.deepEqual(JSON.parse(out), { results: [stopped, 'answered', 'answered'], after: ['helo'], replaced: true, personal: ['wrod'] });
  });

  test('a worker that dies while a long text is still going out in parts only rejects that check', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const out = run(`
      const { SpellService } = require(${JSON.stringify(root)});
      (async () => {
        const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}] });
        // 8 M characters: dozens of parts, one per turn, long after the worker is gone.
        const checking = service.check('hello '.repeat(1400000));
        service._pool.primary.host.worker.postMessage({ exitForTest: 4 });
        const result = await checking.then(() => 'answered', (error) => error.message);
        console.log(JSON.stringify({ result, after: await service.isMisspelled('helo') }));
        await service.close();
      })();`);
    const stopped = "the spell service's worker stopped unexpectedly (exit code 4); a new one starts with the next call";
    assert.deepEqual(JSON.parse(out), { result: stopped, after: true });
  });

  test('a worker that exits while idle is replaced at the next call', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const out = run(`
      const { SpellService } = require(${JSON.stringify(root)});
      (async () => {
        const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}] });
        await service.addWord('wrod');
        const alive = setInterval(() => {}, 1000); // an idle worker does not hold the process
        const exited = new Promise((resolve) => service._pool.primary.host.worker.once('exit', resolve));
        service._pool.primary.host.worker.postMessage({ exitForTest: 0 });
        await exited;
        console.log(JSON.stringify(await service.check('hello helo wrod')));
        clearInterval(alive);
        await service.close();
      })();`);
    assert.deepEqual(JSON.parse(out), [{ start: 6, end: 10, word: 'helo' }]);
  });

  test('a check aborted while a new worker starts is never sent to it', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const out = run(`
      const threads = require('node:worker_threads');
      let made;
      const sent = [];
      threads.Worker = class extends threads.Worker {
        constructor(...args) {
          super(...args);
          if (made) made();
        }
        postMessage(message) {
          sent.push(message.op ?? Object.keys(message)[0]);
          return super.postMessage(message);
        }
      };
      const { SpellService } = require(${JSON.stringify(root)});
      (async () => {
        const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}] });
        const alive = setInterval(() => {}, 1000); // an idle worker does not hold the process
        const exited = new Promise((resolve) => service._pool.primary.host.worker.once('exit', resolve));
        service._pool.primary.host.worker.postMessage({ exitForTest: 0 });
        await exited;
        sent.length = 0;
        const controller = new AbortController();
        const replaced = new Promise((resolve) => (made = resolve));
        const checking = service.check('wrod '.repeat(1000), { signal: controller.signal }).catch((error) => error.message);
        await replaced; // the check waits for the new worker to load
        controller.abort(new Error('not wanted'));
        const message = await checking;
        const after = await service.isMisspelled('helo');
        console.log(JSON.stringify({ message, after, sent }));
        clearInterval(alive);
        await service.close();
      })();`);
    assert.deepEqual(JSON.parse(out), { message: 'not wanted', after: true, sent: ['isMisspelled'] });
  });

  test('close() during addWord rejects it, and the file write that goes on starts no worker', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const file = path.join(dir, 'words.txt');
    // A lock held by someone else keeps the addWord inside its file change until the lock goes,
    // which is after close(). Every worker made is counted; only the one open() starts may be.
    const out = run(`
      const fs = require('node:fs');
      const threads = require('node:worker_threads');
      let started = 0;
      threads.Worker = class extends threads.Worker {
        constructor(...args) {
          super(...args);
          started++;
        }
      };
      const { SpellService } = require(${JSON.stringify(root)});
      const file = ${JSON.stringify(file)};
      let message;
      process.on('exit', () => console.log(JSON.stringify({ message, started, file: fs.readFileSync(file, 'utf8') })));
      (async () => {
        const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}], personalDictionary: file });
        fs.writeFileSync(file + '.lock', '1\\n');
        const adding = service.addWord('wrod').catch((error) => (message = error.message));
        await new Promise((resolve) => setImmediate(resolve)); // the change waits for the lock
        await service.close();
        await adding;
        fs.rmSync(file + '.lock');
      })();`, false);
    assert.deepEqual(JSON.parse(out), { message: 'the spell service is closed', started: 1, file: 'wrod\n' });
  });

  test('an idle service lets the process end without close()', (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const out = run(`
      const { SpellService } = require(${JSON.stringify(root)});
      SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}] })
        .then((s) => s.check('hello helo')).then((r) => console.log(r.map((m) => m.word).join()));`, false);
    assert.equal(out, 'helo\n');
  });
});
