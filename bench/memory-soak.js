'use strict';
// How much the resident memory (RSS) grows while an application swaps dictionaries and makes
// services, with no collection forced: the collector runs only when the script heap or the
// external memory the add-on reports gives it a reason, as in an application. Target: at most
// 50 MB over each run.
//
//   node bench/memory-soak.js [switches] [cycles]
//
// switches: setLanguages between en_US and fr_FR on one service in a worker (default 60);
// cycles: SpellService.open and close with worker: false, en_US and fr_FR (default 100).
const path = require('node:path');
const { SpellService } = require(path.join(__dirname, '..'));

const MB = 1024 * 1024;
const dictionaryDirs = [process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell'];
const rss = () => process.memoryUsage().rss;

async function run(name, rounds, setUp, round) {
  const state = await setUp();
  const before = rss();
  let peak = before;
  for (let i = 0; i < rounds; i++) {
    await round(state, i);
    // An application returns to its event loop between such calls; finalisers run there.
    await new Promise((resolve) => setImmediate(resolve));
    peak = Math.max(peak, rss());
  }
  const after = rss();
  if (state?.close) await state.close();
  console.log(`${name}: ${rounds} rounds, RSS ${(before / MB).toFixed(0)} -> ${(after / MB).toFixed(0)} MB ` +
    `(growth ${((after - before) / MB).toFixed(0)} MB, peak +${((peak - before) / MB).toFixed(0)} MB)`);
}

async function main() {
  const switches = Number(process.argv[2] || 60);
  const cycles = Number(process.argv[3] || 100);
  // The worker's memory is the process's too: RSS covers both heaps and every dictionary.
  await run('setLanguages en_US <-> fr_FR (worker)', switches,
    () => SpellService.open({ languages: ['en_US'], dictionaryDirs, backend: 'hunspell' }),
    (service, i) => service.setLanguages([i % 2 ? 'en_US' : 'fr_FR']));
  await run('setLanguages en_US <-> fr_FR (worker: false)', switches,
    () => SpellService.open({ languages: ['en_US'], dictionaryDirs, backend: 'hunspell', worker: false }),
    (service, i) => service.setLanguages([i % 2 ? 'en_US' : 'fr_FR']));
  await run('open/close (worker: false)', cycles, () => null, async () => {
    const service = await SpellService.open({ languages: ['en_US', 'fr_FR'], dictionaryDirs, backend: 'hunspell', worker: false });
    await service.check('Helo wrold');
    await service.close();
  });
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
