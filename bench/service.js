'use strict';
// The SpellService rows of `npm run bench`: check() throughput against the plain
// regex-and-isMisspelled loop on the same text in the same process, and the largest event-loop
// lag of the calling thread during a 5 MB check; with en_US alone and with en_US plus French
// (Debian's hunspell-fr). Every case in a process of its own, BENCH_RUNS runs (default 5),
// medians. Runs alone too: node bench/service.js
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const runs = Number(process.env.BENCH_RUNS || 5);
const dataDir = path.join(__dirname, 'data');
const corpus = path.join(dataDir, 'service-running.txt');

// Running English text: the licence texts and the packages' copyright files, in order, the
// first 100,000 words with what lies between them (inputs.js takes its running words from the
// same files).
function makeCorpus() {
  if (fs.existsSync(corpus)) return;
  const files = [];
  const licenses = '/usr/share/common-licenses';
  for (const name of fs.readdirSync(licenses).sort()) files.push(path.join(licenses, name));
  for (const name of fs.readdirSync('/usr/share/doc').sort()) files.push(path.join('/usr/share/doc', name, 'copyright'));
  const text = files
    .filter((file) => fs.existsSync(file) && fs.statSync(file).isFile())
    .map((file) => fs.readFileSync(file, 'utf8'))
    .join('\n');
  let words = 0;
  const pattern = /\p{L}+(?:'\p{L}+)*/gu;
  let end = text.length;
  for (const match of text.matchAll(pattern)) {
    if (++words === 100000) {
      end = match.index + match[0].length;
      break;
    }
  }
  fs.mkdirSync(dataDir, { recursive: true });
  fs.writeFileSync(corpus, text.slice(0, end));
}

function runCase(mode, languages) {
  const out = execFileSync(process.execPath, [path.join(__dirname, 'service-case.js'), mode, languages, dictionaryDir, corpus], {
    encoding: 'utf8',
    maxBuffer: 1 << 26,
  });
  return JSON.parse(out.trim().split('\n').pop());
}

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

function main() {
  makeCorpus();
  const setups = [['en_US', 'en_US'], ['en_US + fr_FR', 'en_US,fr_FR']];
  const rows = [];
  for (const [label, languages] of setups) {
    const throughput = [];
    const lag = [];
    for (let i = 0; i < runs; i++) {
      throughput.push(runCase('throughput', languages));
      lag.push(runCase('lag', languages));
    }
    const plain = median(throughput.map((r) => r.plainWordsPerSecond));
    const service = median(throughput.map((r) => r.serviceWordsPerSecond));
    const ratio = median(throughput.map((r) => r.serviceWordsPerSecond / r.plainWordsPerSecond));
    rows.push([
      label,
      `${(plain / 1000).toFixed(0)}`,
      `${(service / 1000).toFixed(0)} (${ratio.toFixed(2)}×)`,
      `${median(lag.map((r) => r.maxLagMs)).toFixed(1)} (worst ${Math.max(...lag.map((r) => r.maxLagMs)).toFixed(1)})`,
      `${median(lag.map((r) => r.checkMs)).toFixed(0)}`,
    ]);
  }
  const header = ['SpellService', 'plain loop (k words/s)', 'check() (k words/s, ratio)', 'max lag in 5 MB check (ms)', '5 MB check (ms)'];
  const widths = header.map((h, i) => Math.max(h.length, ...rows.map((r) => r[i].length)));
  const print = (cells) => console.log(cells.map((c, i) => c.padEnd(widths[i])).join(' | '));
  console.log(`\nmedians of ${runs} runs, ${os.cpus().length} processors, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  print(header);
  print(widths.map((w) => '-'.repeat(w)));
  rows.forEach(print);
}

main();
