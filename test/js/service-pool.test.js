'use strict';
// The service's engines: the languages of a word and the words of a batch are computed side by
// side, with the same answers whatever the pool's size; changes reach every engine in call
// order; abort, close and a dying worker touch only the calls they concern; lists are prepared
// after a check and kept until a change; a timeout answers with what is ready.
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { addon, fixtureDictionary } = require('./helpers');
const { SpellService } = require('../..');
const { mergeSuggestions } = require('../../lib/service/engine');
const { KeptSuggestions } = require('../../lib/service/kept-suggestions');
const { Ranker } = require('../../lib/service/ranking');

const root = path.join(__dirname, '..', '..');
const ONE = ['hello', 'world', 'colour', 'help', 'yellow', 'held', 'hollow', 'word'];
const TWO = ['hallo', 'welt', 'farbe', 'helm', 'hell', 'wort', 'wald', 'holz'];
const MISSPELLED = ['helo', 'wrld', 'colur', 'holo', 'wrd', 'halo', 'yelow', 'welz', 'farb', 'hel'];

// Both fixture languages in one folder.
function twoLanguages(t) {
  const dir = fixtureDictionary(t, 'xx_ONE', ONE);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\nTRY esianrtolcdugmfphbyvkwz\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), `${TWO.length}\n${TWO.join('\n')}\n`);
  return dir;
}

// What a lone checker per language gives, ranked and merged as the service promises.
function expectedLists(dir, languages, words, limit) {
  const rankers = languages.map((language) => {
    const checker = new addon.Spellchecker(true);
    checker.setDictionary(language, dir);
    return [checker, new Ranker({ language, tag: language, dir, backend: 'hunspell' }, checker)];
  });
  return words.map((word) => mergeSuggestions(rankers.map(([c, ranker]) => ranker.rank(word, c.getCorrectionsForMisspelling(word))), limit));
}

// The union of the two languages: these tests are of the pool, whose lists a check merges in
// language order only then (judged paragraph by paragraph, a word's own language comes first).
const open = (dir, options) => SpellService.open({ languages: ['xx_ONE', 'xx_TWO'], dictionaryDirs: [dir], anyLanguage: true, ...options });

// Resolves once the service has nothing queued or running (background work included).
async function idle(service) {
  const pool = service._pool;
  while (pool.queue.length > 0 || pool.background.length > 0 || pool.slots.some((slot) => slot.task || slot.starting)) {
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
}

suite('SpellService pool', () => {
  test('merges the languages round-robin without repeats, the same for any pool size', async (t) => {
    const dir = twoLanguages(t);
    const expected = expectedLists(dir, ['xx_ONE', 'xx_TWO'], MISSPELLED, 5);
    for (const workers of [1, 2, 3]) {
      const service = await open(dir, { workers, backgroundSuggestions: false });
      try {
        const batch = await Promise.all(MISSPELLED.map((word) => service.suggest(word, { limit: 5 })));
        const oneByOne = [];
        for (const word of MISSPELLED) oneByOne.push(await service.suggest(word, { limit: 5 }));
        assert.deepEqual(batch, expected, `batch, ${workers} workers`);
        assert.deepEqual(oneByOne, expected, `one by one, ${workers} workers`);
      } finally {
        await service.close();
      }
    }
  });

  test('mergeSuggestions takes each list in turn, drops repeats and passes over missing lists', () => {
    const cases = [
      [[['a', 'b'], ['c']], 10, ['a', 'c', 'b']],
      [[['a', 'b'], ['b', 'a', 'd']], 10, ['a', 'b', 'd']],
      [[['a', 'b', 'c'], ['d']], 2, ['a', 'd']],
      [[undefined, ['x', 'y']], 10, ['x', 'y']],
      [[[], []], 10, []],
      [new Array(2), 10, []],
    ];
    for (const [lists, limit, merged] of cases) assert.deepEqual(mergeSuggestions(lists, limit), merged, JSON.stringify(lists));
  });

  test('check with suggestions gives each word the list suggest gives, for any pool size', async (t) => {
    const dir = twoLanguages(t);
    const text = `${MISSPELLED.join(' ')} hello ${MISSPELLED.slice(0, 3).join(' ')}`;
    const words = text.split(' ').filter((word) => !ONE.includes(word));
    const expected = expectedLists(dir, ['xx_ONE', 'xx_TWO'], words, 3);
    for (const workers of [1, 3]) {
      const service = await open(dir, { workers, backgroundSuggestions: false });
      try {
        const found = await service.check(text, { suggestions: 3 });
        assert.deepEqual(found.map((m) => m.word), words);
        assert.deepEqual(found.map((m) => m.suggestions), expected, `${workers} workers`);
      } finally {
        await service.close();
      }
    }
  });

  test('extra workers start only for suggestion work that waits, up to the number asked', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 3, backgroundSuggestions: false });
    t.after(() => service.close());
    await service.check(MISSPELLED.join(' '));
    await service.isMisspelled('helo');
    await service.suggest('helo'); // its two lists: one waits while the primary does the other
    assert.ok(service._pool.slots.length <= 2);
    await Promise.all(MISSPELLED.map((word) => service.suggest(word)));
    assert.equal(service._pool.slots.length, 3);
  });

  test('an extra worker without work ends, and starts again when work waits', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 2, backgroundSuggestions: false });
    t.after(() => service.close());
    // The idle time is cut short only once a batch is done: a busy machine that starves the
    // main thread past it mid-batch would retire the extra before it is counted.
    const pool = service._pool;
    await Promise.all(MISSPELLED.map((word) => service.suggest(word)));
    await idle(service);
    assert.equal(pool.slots.length, 2);
    const extra = pool.slots[1].host;
    pool.extraIdleMs = 50;
    pool.rest(pool.slots[1]);
    while (pool.slots.length > 1) await new Promise((resolve) => setTimeout(resolve, 10));
    assert.equal(extra.worker, null); // ended, not only let go
    pool.extraIdleMs = 30000;
    await Promise.all(MISSPELLED.map((word) => service.suggest(`${word}q`)));
    assert.equal(pool.slots.length, 2);
  });

  test('one language and one suggest at a time keep to one worker', async (t) => {
    const dir = twoLanguages(t);
    const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [dir], workers: 4 });
    t.after(() => service.close());
    for (const word of MISSPELLED) await service.suggest(word);
    await service.check(MISSPELLED.join(' '));
    await idle(service);
    assert.equal(service._pool.slots.length, 1);
  });

  test('every worker holds the personal words and languages of the calls made before', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 3, backgroundSuggestions: false });
    t.after(() => service.close());
    await Promise.all(MISSPELLED.map((word) => service.suggest(word)));
    const pool = service._pool;
    const added = service.addWord('wrld');
    const seen = service.isMisspelled('wrld');
    await added;
    assert.equal(await seen, false);
    // Every engine, asked directly, now accepts it.
    const verdicts = await Promise.all(pool.slots.map((slot) => pool.enqueue({ op: 'isMisspelled', args: ['wrld'], call: { aborted: false }, slot })));
    assert.deepEqual(verdicts, pool.slots.map(() => false));

    const switched = service.setLanguages(['xx_TWO']);
    const after = Promise.all(MISSPELLED.map((word) => service.suggest(word, { limit: 5 })));
    await switched;
    assert.deepEqual(await after, expectedLists(dir, ['xx_TWO'], MISSPELLED, 5));
  });

  test('an aborted check with suggestions rejects at once; its lists are not waited for', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 2, backgroundSuggestions: false });
    t.after(() => service.close());
    const controller = new AbortController();
    const checking = service.check(MISSPELLED.join(' '), { suggestions: 5, signal: controller.signal });
    setImmediate(() => controller.abort(new Error('stop')));
    await assert.rejects(checking, { message: 'stop' });
    assert.deepEqual(await service.suggest('helo', { limit: 5 }), expectedLists(dir, ['xx_ONE', 'xx_TWO'], ['helo'], 5)[0]);
  });

  test('close rejects every call of a batch still waiting', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 2 });
    const batch = MISSPELLED.map((word) => service.suggest(word).then(() => 'answered', (error) => error.message));
    await service.close();
    const results = await Promise.all(batch);
    assert.ok(results.every((result) => result === 'the spell service is closed'), JSON.stringify(results));
  });

  test('close resolves once every worker\'s thread has ended, a retired extra\'s too', async (t) => {
    for (const retire of [false, true, 'switch']) {
      const service = await open(twoLanguages(t), { workers: 3, backgroundSuggestions: false });
      await Promise.all(MISSPELLED.map((word) => service.suggest(word)));
      // A worker's 'exit' comes once its thread has been joined.
      const exited = new Set();
      const workers = service._pool.slots.map((slot) => slot.host.worker);
      for (const worker of workers) worker.once('exit', () => exited.add(worker));
      if (retire === 'switch') {
        await service.setLanguages(['xx_TWO', 'xx_ONE']); // ends the extras
      } else if (retire) {
        service._pool.extraIdleMs = 1;
        for (const slot of service._pool.slots) service._pool.rest(slot);
        while (service._pool.slots.length > 2) await new Promise((resolve) => setImmediate(resolve));
      }
      await service.close();
      assert.equal(exited.size, workers.length, `retire: ${retire}`);
    }
  });

  test('timeout 0 answers from the kept lists only, the rest empty', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1, backgroundSuggestions: false });
    t.after(() => service.close());
    const [full] = expectedLists(dir, ['xx_ONE', 'xx_TWO'], ['helo'], 10);
    assert.deepEqual(await service.suggest('helo', { timeout: 0 }), []);
    assert.deepEqual(await service.suggest('helo'), full);
    assert.deepEqual(await service.suggest('helo', { timeout: 0 }), full);
    const found = await service.check('helo wrld', { suggestions: 10, timeout: 0 });
    assert.deepEqual(found.map((m) => m.suggestions), [full, []]);
  });

  test('a timeout answers before the work ahead of it ends', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1, backgroundSuggestions: false });
    t.after(() => service.close());
    const order = [];
    // A long check keeps the one engine busy well past the timeout.
    const text = Array.from({ length: 300000 }, (_, i) => `q${i.toString(26).replace(/[0-9]/g, (d) => 'abcdefghij'[d])}`).join(' ');
    const checking = service.check(text).then(() => order.push('check'));
    const suggesting = service.suggest('helo', { timeout: 20 }).then((list) => order.push(`suggest ${list.length}`));
    await Promise.all([checking, suggesting]);
    assert.deepEqual(order, ['suggest 0', 'check']);
  });

  test('bad workers, backgroundSuggestions and timeout reject with TypeErrors', async (t) => {
    const dir = twoLanguages(t);
    for (const [options, message] of [
      [{ workers: 0 }, 'workers must be a positive integer'],
      [{ workers: 1.5 }, 'workers must be a positive integer'],
      [{ workers: '2' }, 'workers must be a positive integer'],
      [{ backgroundSuggestions: 1 }, 'backgroundSuggestions must be a boolean'],
    ]) {
      await assert.rejects(open(dir, options), { name: 'TypeError', message });
    }
    const service = await open(dir, { workers: 1 });
    t.after(() => service.close());
    for (const timeout of [-1, NaN, '5', null]) {
      await assert.rejects(service.suggest('helo', { timeout }), { name: 'TypeError', message: 'timeout must be a non-negative number' });
      await assert.rejects(service.check('helo', { timeout }), { name: 'TypeError', message: 'timeout must be a non-negative number' });
    }
  });
});

suite('SpellService lists prepared after a check', () => {
  test('a check prepares its misspellings\' lists, which suggest then answers at once', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1 });
    t.after(() => service.close());
    await service.check(MISSPELLED.join(' '));
    await idle(service);
    const expected = expectedLists(dir, ['xx_ONE', 'xx_TWO'], MISSPELLED, 10);
    assert.deepEqual(await Promise.all(MISSPELLED.map((word) => service.suggest(word, { timeout: 0 }))), expected);
  });

  test('prepared lists are dropped when the personal words or the languages change', async (t) => {
    const dir = twoLanguages(t);
    for (const change of [(s) => s.addWord('zzz'), (s) => s.removeWord('zzz'), (s) => s.setLanguages(['xx_TWO', 'xx_ONE'])]) {
      const service = await open(dir, { workers: 1 });
      try {
        await service.check('helo wrld');
        await idle(service);
        assert.notDeepEqual(await service.suggest('helo', { timeout: 0 }), []);
        await change(service);
        assert.deepEqual(await service.suggest('helo', { timeout: 0 }), []);
      } finally {
        await service.close();
      }
    }
  });

  test('without backgroundSuggestions nothing is prepared', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1, backgroundSuggestions: false });
    t.after(() => service.close());
    await service.check('helo wrld');
    await idle(service);
    assert.deepEqual(await service.suggest('helo', { timeout: 0 }), []);
  });

  test('at most 32 words of a check are prepared, the first in the text', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1 });
    t.after(() => service.close());
    const words = Array.from({ length: 40 }, (_, i) => `helo${'abcdefghijklmnopqrstuvwxyz'[i % 26]}${'xyz'[Math.floor(i / 26)]}`);
    await service.check(words.join(' '));
    await idle(service);
    const kept = words.map((word) => service._pool.kept.has(word));
    assert.deepEqual(kept, words.map((_, i) => i < 32));
  });

  test('a check waits for at most one prepared list before it is sent', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 1 });
    t.after(() => service.close());
    const host = service._pool.primary.host;
    const sent = [];
    const request = host.request.bind(host);
    host.request = (op, args, call) => {
      sent.push(op);
      return request(op, args, call);
    };
    await service.check(MISSPELLED.join(' ')); // 10 words, 20 lists in the background
    await new Promise((resolve) => setImmediate(resolve));
    const before = sent.length;
    await service.check('helo');
    const between = sent.slice(before, sent.indexOf('check', before));
    assert.ok(between.length <= 1, JSON.stringify(between));
    assert.ok(sent.filter((op) => op === 'suggestIn').length < 20);
  });

  test('the kept lists stay under their memory cap, the least recently used going first', () => {
    const kept = new KeptSuggestions(4000, 2);
    for (let i = 0; i < 100; i++) {
      kept.set(`word${i}`, 0, ['alpha', 'beta', 'gamma']);
      kept.get('word0'); // used again and again: stays
    }
    assert.ok(kept.bytes <= 4000, String(kept.bytes));
    assert.ok(kept.get('word0'));
    assert.equal(kept.get('word1'), undefined);
    assert.ok(kept.get('word99'));
    assert.equal(kept.has('word99'), false); // one language of two
    kept.set('word99', 1, []);
    assert.equal(kept.has('word99'), true);
  });
});

// Runs `source` in a new Node process whose worker threads preload worker-exit-hook.js.
function run(source) {
  return execFileSync(process.execPath, ['--require', path.join(__dirname, 'worker-exit-hook.js'), '-e', source], { encoding: 'utf8', timeout: 60000 });
}

suite('SpellService pool: a worker that dies', () => {
  test('rejects only the calls whose lists it was computing; the others are answered', async (t) => {
    const dir = twoLanguages(t);
    const service = await open(dir, { workers: 2, backgroundSuggestions: false });
    t.after(() => service.close());
    await Promise.all(MISSPELLED.map((word) => service.suggest(word)));
    await idle(service); // both workers up
    const pool = service._pool;
    const extra = pool.slots[1];
    // The extra worker ends as its first task of the batch goes out to it.
    const request = extra.host.request.bind(extra.host);
    let killed = false;
    extra.host.request = (op, args, call) => {
      const reply = request(op, args, call);
      if (!killed) {
        killed = true;
        extra.host.worker.terminate();
      }
      return reply;
    };
    const batch = MISSPELLED.map((word) => service.suggest(`${word}q`).then(() => 'answered', (error) => error.message));
    const results = await Promise.all(batch);
    const died = results.filter((result) => result !== 'answered');
    assert.equal(died.length, 1, JSON.stringify(results));
    for (const message of died) assert.match(message, /worker stopped unexpectedly/);
    assert.deepEqual(await service.suggest('helo', { limit: 5 }), expectedLists(dir, ['xx_ONE', 'xx_TWO'], ['helo'], 5)[0]);
  });

  for (const [when, trigger] of [
    ['while the file is written', 'service._pool.primary.host.worker.postMessage({ exitForTest: 6 });'],
    ['as the change is sent to it', `
        const host = service._pool.primary.host;
        const post = host.worker.postMessage.bind(host.worker);
        host.worker.postMessage = (message) => {
          if (message.op === 'setPersonal') post({ exitForTest: 6 });
          post(message);
        };`],
  ]) {
    for (const op of ['addWord', 'removeWord']) {
      test(`${op}: a worker that dies ${when} leaves the change made everywhere, and says so`, (t) => {
        const dir = twoLanguages(t);
        const file = path.join(dir, 'words.txt');
        fs.writeFileSync(file, 'zzyzx\n');
        const word = op === 'addWord' ? 'wrld' : 'zzyzx';
        const out = run(`
          const fs = require('node:fs');
          const { SpellService } = require(${JSON.stringify(root)});
          const alive = setInterval(() => {}, 1000); // an idle worker does not hold the process
          (async () => {
            const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [${JSON.stringify(dir)}], personalDictionary: ${JSON.stringify(file)}, workers: 1 });
            const first = service._pool.primary.host.worker;
            const exited = new Promise((resolve) => first.once('exit', resolve));
            const changing = service.${op}(${JSON.stringify(word)}).then(() => 'resolved', (error) => error.message);
            ${trigger}
            const result = await changing;
            await exited;
            const misspelled = await service.isMisspelled(${JSON.stringify(word)});
            console.log(JSON.stringify({ result, misspelled, replaced: service._pool.primary.host.worker !== first,
              personal: service.personalWords(), file: fs.readFileSync(${JSON.stringify(file)}, 'utf8') }));
            clearInterval(alive);
            await service.close();
          })();`);
        const expected = op === 'addWord'
          ? { result: 'resolved', misspelled: false, replaced: true, personal: ['zzyzx', 'wrld'], file: 'zzyzx\nwrld\n' }
          : { result: 'resolved', misspelled: true, replaced: true, personal: [], file: '' };
        assert.deepEqual(JSON.parse(out), expected);
      });
    }
  }
});
