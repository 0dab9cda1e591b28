'use strict';
// How long a check of a long text holds up the calling thread at a stretch: the longest gap
// between turns of its event loop while SpellService.check runs, for texts of 5 and 50 MB (one
// word in twelve misspelled), in a worker and with `worker: false`. Target: 20 ms at
// any size.
//
//   node bench/stall.js [megabytes ...]
const path = require('node:path');
const { performance } = require('node:perf_hooks');
const { SpellService } = require(path.join(__dirname, '..'));

const dictionaryDirs = [process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell'];
// One word in twelve misspelled.
const WORDS = ['the', 'quick', 'brown', 'fox', 'jumps', 'over', 'lazy', 'dog', 'wrold', 'and', 'then', 'some'];

// A text of about `bytes` characters, in one piece as a file's contents are. (A text built by
// concatenation is a rope that the engine flattens, in one go, the first time anything reads
// it: at 50 MB that alone takes 100 to 300 ms, whoever reads it first.)
function makeText(bytes) {
  let line = '';
  for (let i = 0; line.length < 4096; i++) line += `${WORDS[(i * 7) % WORDS.length]} `;
  line += '\n';
  return Buffer.from(line.repeat(Math.ceil(bytes / line.length))).toString('latin1');
}

// Runs `work` while a timer looks at the clock every millisecond; resolves to the longest gap.
async function longestGap(work) {
  let last = performance.now();
  let longest = 0;
  const timer = setInterval(() => {
    const now = performance.now();
    longest = Math.max(longest, now - last);
    last = now;
  }, 1);
  try {
    last = performance.now();
    await work();
    longest = Math.max(longest, performance.now() - last);
  } finally {
    clearInterval(timer);
  }
  return longest;
}

async function main() {
  const sizes = process.argv.slice(2).map(Number);
  for (const megabytes of sizes.length ? sizes : [5, 50]) {
    for (const worker of [true, false]) {
      const service = await SpellService.open({ languages: ['en_US'], dictionaryDirs, backend: 'hunspell', worker });
      await service.check('warm up');
      const text = makeText(megabytes * 1024 * 1024);
      let found = 0;
      const gap = await longestGap(async () => {
        found = (await service.check(text)).length;
      });
      console.log(`${megabytes} MB, ${worker ? 'worker' : 'worker: false'}: longest stall ${gap.toFixed(1)} ms (${found} misspellings)`);
      await service.close();
    }
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
