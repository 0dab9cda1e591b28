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

// 5 MB of real Markdown (the READMEs of the installed npm packages) and of real HTML (Debian's
// HTML manuals), each file in path order, repeated until 5 MB.
const FIVE_MB = 5 * 1024 * 1024;
function makeFormatCorpus(name, roots, pattern) {
  const file = path.join(dataDir, name);
  if (fs.existsSync(file)) return file;
  const found = [];
  const walk = (dir, depth) => {
    let entries;
    try {
      entries = fs.readdirSync(dir, { withFileTypes: true });
    } catch {
      return;
    }
    for (const entry of entries.sort((a, b) => (a.name < b.name ? -1 : 1))) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory() && depth < 8) walk(full, depth + 1);
      else if (entry.isFile() && pattern.test(entry.name)) found.push(full);
    }
  };
  for (const root of roots) walk(root, 0);
  const texts = found.map((f) => fs.readFileSync(f, 'utf8'));
  if (texts.length === 0) throw new Error(`no ${name} sources under ${roots.join(', ')}`);
  let text = texts.join('\n\n');
  while (text.length < FIVE_MB) text += `\n\n${text}`;
  fs.mkdirSync(dataDir, { recursive: true });
  fs.writeFileSync(file, text.slice(0, FIVE_MB));
  return file;
}

function runCase(mode, languages, file = corpus, format = undefined) {
  const extra = format === undefined ? [] : [format];
  const out = execFileSync(process.execPath, [path.join(__dirname, 'service-case.js'), mode, languages, dictionaryDir, file, ...extra], {
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

  // The formats: check() as Markdown or HTML against check() of the same text as 'plain'.
  const root = path.join(__dirname, '..');
  const corpora = [
    ['markdown', makeFormatCorpus('service-markdown.md', ['/usr/share/nodejs', '/usr/lib/node_modules', path.join(root, 'node_modules')], /^readme\.md$/i)],
    ['html', makeFormatCorpus('service-html.html', ['/usr/share/doc'], /\.html$/)],
  ];
  const formatRows = [];
  for (const [format, file] of corpora) {
    const results = [];
    const lags = [];
    for (let i = 0; i < runs; i++) {
      results.push(runCase('format', 'en_US', file, format));
      if (format === 'markdown') lags.push(runCase('format-lag', 'en_US', file, format));
    }
    const plain = median(results.map((r) => r.plainWordsPerSecond));
    const formatted = median(results.map((r) => r.formatWordsPerSecond));
    const ratio = median(results.map((r) => r.formatWordsPerSecond / r.plainWordsPerSecond));
    formatRows.push([
      `${format}, 5 MB`,
      `${(plain / 1000).toFixed(0)} (${results[0].plainFlagged} flagged)`,
      `${(formatted / 1000).toFixed(0)} (${ratio.toFixed(2)}×; ${results[0].formatFlagged} flagged)`,
      lags.length ? `${median(lags.map((r) => r.maxLagMs)).toFixed(1)} (worst ${Math.max(...lags.map((r) => r.maxLagMs)).toFixed(1)})` : '-',
    ]);
  }
  const formatHeader = ['format (en_US)', "check() as 'plain' (k words/s)", 'check() as the format (k words/s, ratio)', 'max lag in the check (ms)'];
  const formatWidths = formatHeader.map((h, i) => Math.max(h.length, ...formatRows.map((r) => r[i].length)));
  const printFormat = (cells) => console.log(cells.map((c, i) => c.padEnd(formatWidths[i])).join(' | '));
  console.log('');
  printFormat(formatHeader);
  printFormat(formatWidths.map((w) => '-'.repeat(w)));
  formatRows.forEach(printFormat);
}

main();
