'use strict';
// Instruction counts, independent of machine noise: runs bench/callgrind-case.js (distinct
// correct words through isMisspelled, each once) under callgrind and prints, per call, the
// instructions inside the add-on's isMisspelled callback, inside Hunspell's spell, and the
// difference (what the boundary and the cache add). V8's own call trampoline is outside both.
// Usage: node bench/callgrind.js   (needs valgrind and bench/data from npm run bench)
//        BENCH_WORDS=misspelled.txt node bench/callgrind.js   for the misspellings
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const out = path.join(os.tmpdir(), `spellshell-callgrind-${process.pid}.out`);
const stdout = execFileSync(
  'valgrind',
  ['--tool=callgrind', '--smc-check=all-non-file', `--callgrind-out-file=${out}`, process.execPath, path.join(__dirname, 'callgrind-case.js')],
  { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] },
);
const { calls } = JSON.parse(stdout.trim().split('\n').pop());
const annotated = execFileSync('callgrind_annotate', ['--inclusive=yes', out], { encoding: 'utf8', maxBuffer: 1 << 28 });
fs.rmSync(out);
// Functions below callgrind_annotate's threshold are missing: they count as 0.
const inclusive = (pattern) => {
  const line = annotated.split('\n').find((l) => pattern.test(l));
  return line ? Number(line.trim().split(/\s+/)[0].replace(/,/g, '')) : 0;
};
const callback = inclusive(/Dispatch<&spellshell::Spellchecker::IsMisspelled>/) / calls;
const spell = inclusive(/Hunspell::spell\(/) / calls;
const unwrap = inclusive(/:napi_unwrap /) / calls;
console.log(`calls: ${calls}`);
console.log(`instructions per isMisspelled callback: ${callback.toFixed(0)}`);
console.log(`instructions per Hunspell spell:         ${spell.toFixed(0)}`);
console.log(`overhead per call:                       ${(callback - spell).toFixed(0)} (of which napi_unwrap ${unwrap.toFixed(0)})`);
