'use strict';
// The command line's rows of `npm run bench`: a folder of many small files cold and with the
// cache (both strategies), one 50 MB file (time and peak memory), and 1 MB of documentation with suggestions,
// computed on the service's pool against one suggestion thread. Every run is a process of its
// own, as a user starts it; figures are medians of BENCH_CLI_RUNS runs (default 3), except the
// suggestion rows, which take minutes and run once. BENCH_CLI_ROWS=cache prints the folder and
// cache rows alone.
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { documentationText } = require('./inputs');

const root = path.join(__dirname, '..');
const bin = path.join(root, 'bin', 'spellshell.js');
const work = path.join(__dirname, 'data', 'cli');
const runs = Number(process.env.BENCH_CLI_RUNS || 3);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor((xs.length - 1) / 2)];

function makeInputs() {
  if (fs.existsSync(path.join(work, 'done'))) return;
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(path.join(work, 'tree'), { recursive: true });
  // Real English prose: the installed documentation.
  const prose = documentationText().slice(0, 4 * 1024 * 1024);
  // 2,000 files of 1-3 KB: Markdown, and JavaScript whose comments hold the prose.
  let at = 0;
  let all = '';
  for (let i = 0; i < 2000; i++) {
    const size = 1000 + ((i * 7919) % 2000);
    const piece = prose.slice(at, at + size);
    at += size;
    const folder = path.join(work, 'tree', `part${String(i % 40).padStart(2, '0')}`);
    fs.mkdirSync(folder, { recursive: true });
    const contents = i % 2 ? `# Notes ${i}\n\n${piece}\n` : `${piece.split('\n').map((l) => `// ${l}`).join('\n')}\nexport const n = ${i};\n`;
    fs.writeFileSync(path.join(folder, `file${i}.${i % 2 ? 'md' : 'js'}`), contents);
    all += contents;
  }
  fs.writeFileSync(path.join(work, 'all.txt'), all);
  fs.writeFileSync(path.join(work, 'docs-1mb.md'), prose.slice(0, 1024 * 1024));
  // 50 MB: the prose repeated, each copy a little different so the word cache is not all hits.
  const big = fs.openSync(path.join(work, 'big-50mb.txt'), 'w');
  for (let written = 0, copy = 0; written < 50 * 1024 * 1024; copy++) {
    const chunk = `${prose.slice(0, 4 * 1024 * 1024).replace(/\b(\w{5})(\w+)/g, (m, a, b) => (copy % 7 === 0 && a.length ? `${a}x${b}` : m))}\n`;
    fs.writeSync(big, chunk);
    written += Buffer.byteLength(chunk);
  }
  fs.closeSync(big);
  fs.writeFileSync(path.join(work, 'done'), '');
}

// One run: { seconds, peakMiB, stdout }. Exit 1 (misspellings found) is a normal end here.
function runOnce(args, env) {
  const timeFile = path.join(work, 'time.txt');
  const command = ['-f', '%M %U %S', '-o', timeFile, process.execPath, bin, '--lang', 'en_US', '--no-config', '--no-personal', '--no-gitignore', ...args];
  const start = process.hrtime.bigint();
  let stdout;
  try {
    stdout = execFileSync('/usr/bin/time', command, { cwd: work, env: { ...process.env, ...env }, maxBuffer: 1 << 30, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
  } catch (error) {
    if (error.status !== 1) throw error;
    stdout = error.stdout;
  }
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  const [peakKiB, user, system] = fs.readFileSync(timeFile, 'utf8').trim().split('\n').pop().split(' ').map(Number);
  return { seconds, cpu: user + system, peakMiB: peakKiB / 1024, stdout };
}

function measure(args, env = {}, before = () => {}, count = runs) {
  const results = [];
  for (let i = 0; i < count; i++) {
    before();
    results.push(runOnce(args, env));
  }
  return { seconds: median(results.map((r) => r.seconds)), cpu: median(results.map((r) => r.cpu)), peakMiB: median(results.map((r) => r.peakMiB)), stdout: results[0].stdout };
}

// Whether two runs printed the same lists; Hunspell bounds the time of one suggestion, so on a
// busy machine a word's list can come out shorter in one run.
function listsCompared(a, b) {
  if (a === b) return 'lists identical';
  const left = a.split('\n');
  const right = b.split('\n');
  const differ = left.filter((line, i) => line !== right[i]).length;
  return `lists DIFFER on ${differ} of ${left.length} lines`;
}

function main() {
  if (!fs.existsSync('/usr/bin/time')) throw new Error('the command line rows need /usr/bin/time (Debian package time)');
  makeInputs();
  const mib = (file) => fs.statSync(path.join(work, file)).size / (1024 * 1024);
  const treeMiB = mib('all.txt');
  const rows = [];
  const row = (name, value, note) => rows.push([name, value, note]);

  const cache = path.join(work, 'cache.json');
  const cold = measure(['--suggest', '0', 'tree'], {}, () => fs.rmSync(cache, { force: true }));
  const one = measure(['--suggest', '0', 'all.txt']);
  row('folder of 2,000 files, cold', `${(2000 / cold.seconds).toFixed(0)} files/s, ${(treeMiB / cold.seconds).toFixed(2)} MB/s`,
    `${cold.seconds.toFixed(2)} s; the same text as one file: ${one.seconds.toFixed(2)} s (${(one.seconds / cold.seconds).toFixed(2)}x)`);
  // The warm cache, per strategy: content reads and hashes every file; metadata only looks at
  // each file's size, time and inode.
  for (const strategy of ['content', 'metadata']) {
    const args = ['--suggest', '0', '--cache-location', cache, '--cache-strategy', strategy, 'tree'];
    fs.rmSync(cache, { force: true });
    runOnce(args, {});
    const warm = measure(args);
    // Processor time too: the machine's load changes it less than the wall's.
    row(`the same folder, warm cache (${strategy})`, `${warm.seconds.toFixed(2)} s`,
      `${(warm.seconds / cold.seconds).toFixed(2)}x the cold run${strategy === 'metadata' ? ' (target <= 0.1x)' : ''}; processor time ${warm.cpu.toFixed(2)} s, ${(warm.cpu / cold.cpu).toFixed(2)}x the cold run's ${cold.cpu.toFixed(2)} s`);
    if (warm.stdout !== cold.stdout) row('  warm output differs from cold', 'FAIL', '');
  }
  const node = measure(['--version']);
  row('  for scale: spellshell --version', `${node.seconds.toFixed(2)} s`, `starting Node and the command; processor time ${node.cpu.toFixed(2)} s`);
  if (process.env.BENCH_CLI_ROWS === 'cache') return print(rows);

  const big = measure(['--suggest', '0', 'big-50mb.txt']);
  row('50 MB file, --suggest 0', `${big.seconds.toFixed(2)} s, peak ${big.peakMiB.toFixed(0)} MiB`, `target <= ${(3 * mib('big-50mb.txt') + 100).toFixed(0)} MiB`);

  // Minutes each: one run.
  const pool = measure(['--suggest', '5', 'docs-1mb.md'], {}, undefined, 1);
  const oneWorker = `--require ${JSON.stringify(path.join(__dirname, 'one-worker.js'))}`;
  const single = measure(['--suggest', '5', 'docs-1mb.md'], { NODE_OPTIONS: `${process.env.NODE_OPTIONS ?? ''} ${oneWorker}` }, undefined, 1);
  row('1 MB of documentation, --suggest 5', `${pool.seconds.toFixed(2)} s`,
    `one suggestion thread: ${single.seconds.toFixed(2)} s (${(pool.seconds / single.seconds).toFixed(2)}x, target <= 0.6x); ${listsCompared(pool.stdout, single.stdout)}`);

  return print(rows);
}

function print(rows) {
  const width = Math.max(...rows.map((r) => r[0].length));
  console.log(`\ncommand line (${runs} runs each, medians)`);
  for (const [name, value, note] of rows) console.log(`${name.padEnd(width)}  ${value}  ${note}`);
}

main();
