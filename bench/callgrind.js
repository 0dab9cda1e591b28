'use strict';
// Instruction counts, independent of machine noise: runs bench/callgrind-case.js (distinct
// words, each once) under callgrind, once through the add-on's isMisspelled and once through
// the minimal binding (bench/minimal_binding.cc), and prints per call the instructions inside
// each callback, inside Hunspell's spell, and the difference: what each binding adds to
// Hunspell. V8's own call trampoline is outside all of them.
// Usage: node bench/callgrind.js   (needs valgrind, bench/data and build/bench from npm run bench)
//        BENCH_WORDS=misspelled.txt node bench/callgrind.js   for the misspellings
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

function measure(impl, callbackPattern) {
  const out = path.join(os.tmpdir(), `spellshell-callgrind-${process.pid}-${impl}.out`);
  const stdout = execFileSync(
    'valgrind',
    ['--tool=callgrind', '--smc-check=all-non-file', `--callgrind-out-file=${out}`, process.execPath, path.join(__dirname, 'callgrind-case.js')],
    { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], env: { ...process.env, BENCH_IMPL: impl } },
  );
  const { calls } = JSON.parse(stdout.trim().split('\n').pop());
  const annotated = execFileSync('callgrind_annotate', ['--inclusive=yes', out], { encoding: 'utf8', maxBuffer: 1 << 28 });
  fs.rmSync(out);
  // Functions below callgrind_annotate's threshold are missing: they count as 0.
  const inclusive = (pattern) => {
    const line = annotated.split('\n').find((l) => pattern.test(l));
    return line ? Number(line.trim().split(/\s+/)[0].replace(/,/g, '')) : 0;
  };
  return { calls, callback: inclusive(callbackPattern) / calls, spell: inclusive(/Hunspell::spell\(/) / calls };
}

const ours = measure('spellshell', /Dispatch<&spellshell::Spellchecker::IsMisspelled>/);
const floor = measure('minimal', /\(anonymous namespace\)::Spell\(/);
console.log(`calls: ${ours.calls} (${process.env.BENCH_WORDS || 'correct.txt'})`);
for (const [name, m] of [['spellshell isMisspelled', ours], ['minimal binding spell', floor]]) {
  console.log(`${name.padEnd(24)} callback ${m.callback.toFixed(0)}, Hunspell spell ${m.spell.toFixed(0)}, overhead ${(m.callback - m.spell).toFixed(0)} instructions per call`);
}
console.log(`spellshell over the minimal binding: ${(ours.callback - ours.spell - (floor.callback - floor.spell)).toFixed(0)} instructions per call`);
