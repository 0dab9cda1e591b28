'use strict';
// Dictionaries as a broken download or a hostile folder leave them: loading one never crashes
// the application, and one that would take minutes to load is refused in time. The crash cases
// run in a process of their own: a native crash would end the test runner too.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, test } = require('node:test');
const { SpellService } = require('../..');
const { fixtureDictionary } = require('./helpers');

function folder(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-corrupt-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

// Opens a service over the folder's xx_BAD, checks and asks for suggestions, in a child process
// on `worker` (true) or the calling thread; its exit status and output.
function useInChild(dir, worker) {
  const script = `
    const { SpellService } = require(${JSON.stringify(path.join(__dirname, '..', '..'))});
    (async () => {
      const service = await SpellService.open({ languages: ['xx_BAD'], dictionaryDirs: [${JSON.stringify(dir)}], backend: 'hunspell', worker: ${worker} });
      const found = await service.check('Helo wrold, walks', { suggestions: 3 });
      console.log(JSON.stringify(found.map((m) => m.word)));
      await service.close();
    })();`;
  return spawnSync(process.execPath, ['-e', script], { encoding: 'utf8', timeout: 30000 });
}

// Words whose hash collides in Hunspell's table: every pair "ba" may be "cA" instead (the two
// changes cancel in its hash), so 2^pairs words share one bucket and loading them is quadratic.
// 2^14 words take about a second to load; the mended lists never hold such a thing.
function collidingWordList(pairs) {
  const words = [];
  for (let bits = 0; bits < 2 ** pairs; bits++) {
    let word = 'zzzz';
    for (let i = 0; i < pairs; i++) word += (bits >> i) & 1 ? 'cA' : 'ba';
    words.push(word);
  }
  return `${words.length}\n${words.join('\n')}\n`;
}

// A folder with the slow dictionary xx_SLOW (and xx_ONE). Removed only when the process ends:
// the worker that was let go goes on loading for a second or so.
function slowDictionaryFolder(t) {
  const dir = fixtureDictionary(t, 'xx_ONE', ['hello'], 'spellshell-slow-');
  const kept = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-slow-'));
  process.on('exit', () => fs.rmSync(kept, { recursive: true, force: true }));
  for (const name of fs.readdirSync(dir)) fs.copyFileSync(path.join(dir, name), path.join(kept, name));
  fs.writeFileSync(path.join(kept, 'xx_SLOW.aff'), 'SET UTF-8\n');
  fs.writeFileSync(path.join(kept, 'xx_SLOW.dic'), collidingWordList(14));
  return kept;
}

describe('corrupt dictionaries', () => {
  // [what is wrong, affix file, word list]
  const CRASHES = [
    ['a PHONE entry of one field', 'SET UTF-8\nTRY esianrtolcdugmfphbyvkw\nPHONE 1\nPHONE A\n', '3\nhello\nworld\nwalk\n'],
    ['PHONE entries of one field each', 'PHONE 2\nPHONE A\nPHONE B\n', '3\nhello\nworld\nwalk\n'],
    ['a PHONE entry without its keyword', 'PHONE 2\nPHONE A B\nFOO a b\n', '3\nhello\nworld\nwalk\n'],
    ['a PHONE entry of the keyword alone', 'SET UTF-8\nPHONE 1\nPHONE\n', '3\nhello\nworld\nwalk\n'],
    ['200,000 lines of "/"', 'SET UTF-8\n', `200000\n${'/\n'.repeat(200000)}`],
    ['one word on 200,000 lines', 'SET UTF-8\n', `200001\nhello\n${'world\n'.repeat(200000)}`],
    ['a count of 1 over 100,000 words', 'SET UTF-8\n', `1\nhello\n${Array.from({ length: 100000 }, (_, i) => `w${i.toString(36)}x`).join('\n')}\n`],
  ];
  for (const [name, affix, wordList] of CRASHES) {
    for (const worker of [true, false]) {
      test(`${name}: loads and answers (${worker ? 'in a worker' : 'on the calling thread'})`, (t) => {
        const dir = folder(t);
        fs.writeFileSync(path.join(dir, 'xx_BAD.aff'), affix);
        fs.writeFileSync(path.join(dir, 'xx_BAD.dic'), wordList);
        const run = useInChild(dir, worker);
        assert.equal(run.signal, null, `killed by ${run.signal}: ${run.stderr}`);
        assert.equal(run.status, 0, run.stderr);
        assert.deepEqual(JSON.parse(run.stdout), ['Helo', 'wrold', 'walks']);
      });
    }
  }

  test('a dictionary that loads too slowly makes open reject, naming it', { timeout: 20000 }, async (t) => {
    const dir = slowDictionaryFolder(t);
    const dic = path.join(dir, 'xx_SLOW.dic');
    await assert.rejects(SpellService.open({ languages: ['xx_SLOW'], dictionaryDirs: [dir], backend: 'hunspell', loadTimeout: 100 }),
      { message: `the dictionary xx_SLOW (${dic}) did not load within 100 ms` });
  });

  test('a language switch that loads too slowly rejects, naming it, and the service goes on with the languages of before', { timeout: 20000 }, async (t) => {
    const dir = slowDictionaryFolder(t);
    const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [dir], backend: 'hunspell', loadTimeout: 100 });
    t.after(() => service.close());
    await assert.rejects(service.setLanguages(['xx_ONE', 'xx_SLOW']), {
      message: `the dictionaries xx_ONE (${path.join(dir, 'xx_ONE.dic')}), xx_SLOW (${path.join(dir, 'xx_SLOW.dic')}) did not load within 100 ms`,
    });
    assert.deepEqual(service.languages.map((info) => info.language), ['xx_ONE']);
    assert.equal(await service.isMisspelled('hello'), false);
    assert.deepEqual((await service.check('hello wrold')).map((m) => m.word), ['wrold']);
    await service.addWord('wrold');
    assert.equal(await service.isMisspelled('wrold'), false);
  });

  test('loadTimeout must be a positive integer', async () => {
    for (const loadTimeout of [0, -1, 1.5, '100', null, Infinity]) {
      await assert.rejects(SpellService.open({ languages: ['en_US'], loadTimeout }), { name: 'TypeError', message: 'loadTimeout must be a positive integer' });
    }
  });
});
