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
const { fixtureDictionary, systemDictionaryDir } = require('./helpers');

// For the loads that must not be cut short: under the sanitizer, on a busy machine, en_US and
// fr_FR together take several seconds.
const ROOMY = 120000;

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
      const service = await SpellService.open({ languages: ['xx_BAD'], dictionaryDirs: [${JSON.stringify(dir)}], backend: 'hunspell', worker: ${worker}, loadTimeout: ${ROOMY} });
      const found = await service.check('Helo wrold, walks', { suggestions: 3 });
      console.log(JSON.stringify(found.map((m) => m.word)));
      await service.close();
    })();`;
  return spawnSync(process.execPath, ['-e', script], { encoding: 'utf8', timeout: 2 * ROOMY });
}

// Words whose hash collides in Hunspell's table: every pair "ba" may be "cA" instead (the two
// changes cancel in its linear hash), so 2^pairs words share one bucket.
function collidingWordList(pairs) {
  const words = [];
  for (let bits = 0; bits < 2 ** pairs; bits++) {
    let word = 'zzzz';
    for (let i = 0; i < pairs; i++) word += (bits >> i) & 1 ? 'cA' : 'ba';
    words.push(word);
  }
  return `${words.length + 1}\nhello\n${words.join('\n')}\n`;
}

const hunspellDir = systemDictionaryDir;

describe('corrupt dictionaries', () => {
  // [what is wrong, affix file, word list]
  const CRASHES = [
    ['a PHONE entry of one field', 'SET UTF-8\nTRY esianrtolcdugmfphbyvkw\nPHONE 1\nPHONE A\n', '3\nhello\nworld\nwalk\n'],
    ['PHONE entries of one field each', 'PHONE 2\nPHONE A\nPHONE B\n', '3\nhello\nworld\nwalk\n'],
    ['a PHONE entry without its keyword', 'PHONE 2\nPHONE A B\nFOO a b\n', '3\nhello\nworld\nwalk\n'],
    ['a PHONE entry of the keyword alone', 'SET UTF-8\nPHONE 1\nPHONE\n', '3\nhello\nworld\nwalk\n'],
    ['200,000 lines of "/"', 'SET UTF-8\n', `200000\n${'/\n'.repeat(200000)}`],
    ['one word on 200,000 lines', 'SET UTF-8\n', `200001\nhello\n${'world\n'.repeat(200000)}`],
    ['32,768 words made to share a bucket', 'SET UTF-8\n', collidingWordList(15)],
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

  // No file known to load slowly is left: the bound is brought down to 1 ms, below what any real
  // dictionary takes (Debian's en_US and fr_FR load in 35 and 50 ms).
  test('dictionaries that load too slowly make open reject, naming them', async () => {
    const named = ['en_US', 'fr_FR'].map((language) => `${language} (${path.join(hunspellDir, `${language}.dic`)})`);
    await assert.rejects(SpellService.open({ languages: ['en_US', 'fr_FR'], dictionaryDirs: [hunspellDir], backend: 'hunspell', loadTimeout: 1 }),
      { message: `the dictionaries ${named.join(', ')} did not load within 1 ms` });
  });

  test('a language switch that loads too slowly rejects, naming it, and the service goes on with the languages of before', async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const service = await SpellService.open({ languages: ['xx_ONE'], dictionaryDirs: [dir, hunspellDir], backend: 'hunspell', loadTimeout: ROOMY });
    t.after(() => service.close());
    service._pool.primary.host.loadTimeout = 1; // the start above must not be cut short, the switch must
    await assert.rejects(service.setLanguages(['fr_FR']), {
      message: `the dictionary fr_FR (${path.join(hunspellDir, 'fr_FR.dic')}) did not load within 1 ms`,
    });
    service._pool.primary.host.loadTimeout = ROOMY;
    assert.deepEqual(service.languages.map((info) => info.language), ['xx_ONE']);
    assert.equal(await service.isMisspelled('hello'), false);
    assert.deepEqual((await service.check('hello wrold')).map((m) => m.word), ['wrold']);
    await service.addWord('wrold');
    assert.equal(await service.isMisspelled('wrold'), false);
  });

  test('a worker let go in a load, at a start or a switch, is not waited for by close', async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE', ['hello']);
    const service = await SpellService.open({ languages: ['en_US', 'fr_FR'], dictionaryDirs: [dir, hunspellDir], backend: 'hunspell', loadTimeout: ROOMY });
    const host = service._pool.primary.host;
    host.loadTimeout = 1;
    const exited = new Promise((resolve) => host.worker.once('exit', resolve));
    host.worker.terminate(); // dies: the next call starts a worker, which loads both again
    await exited;
    await assert.rejects(service.check('hello'), { message: /did not load within 1 ms$/ });
    assert.equal(host.ending.size, 0, 'after a start');
    host.loadTimeout = ROOMY;
    await service.isMisspelled('hello');
    host.loadTimeout = 1;
    await assert.rejects(service.setLanguages(['fr_FR', 'en_US']), { message: /did not load within 1 ms$/ });
    assert.equal(host.ending.size, 0, 'after a switch');
    await service.close();
  });

  test('loadTimeout must be a positive integer', async () => {
    for (const loadTimeout of [0, -1, 1.5, '100', null, Infinity]) {
      await assert.rejects(SpellService.open({ languages: ['en_US'], loadTimeout }), { name: 'TypeError', message: 'loadTimeout must be a positive integer' });
    }
  });
});
