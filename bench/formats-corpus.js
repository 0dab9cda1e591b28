'use strict';
// How many reports each format saves on real documents, and whether it still finds the typos.
//   node bench/formats-corpus.js            (not run by the tests; takes a minute or two)
// Collects from what this machine has installed (nothing written here): npm packages' READMEs,
// Debian's HTML manuals, C headers and JavaScript sources, FILES of each kind (seeded random
// choice). Seeds SEEDED typos into the prose of each file (a word that the reference parser
// calls text, or that stands in a comment, and occurs once in the file), writes the files to
// bench/data/corpus/, and counts the reports of:
//   - this package before the formats (the merge base with main, checked out to a temporary
//     folder), 'plain';
//   - this package now, 'plain' and in the file's format;
//   - hunspell -l, hunspell -H -l, and aspell list in the mode for the kind (markdown, html,
//     ccpp), when installed (apt-get install hunspell aspell aspell-en).
// A seeded typo counts as found when a report covers it (the tools: when their list names it).
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const commonmark = require('commonmark');
const parse5 = require('parse5');
const { random } = require('./inputs');

const root = path.join(__dirname, '..');
const FILES = Number(process.env.CORPUS_FILES || 25);
const SEEDED = Number(process.env.CORPUS_SEEDED || 3);
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const outDir = path.join(__dirname, 'data', 'corpus');

// Whether a path names another language than English: a folder (`/fr/`, `/pt_BR/`) or the part
// of the name before its extension (`faq.de.html`).
function translated(file) {
  const code = /^[a-z]{2}(?:[-_][a-z]{2})?$/i;
  const parts = file.split('/');
  const name = /\.([^./]+)\.html?$/i.exec(parts.pop());
  return [...parts, name?.[1] ?? ''].some((part) => code.test(part) && part.toLowerCase().slice(0, 2) !== 'en');
}

function walk(dir, test, found = [], depth = 0) {
  let entries;
  try {
    entries = fs.readdirSync(dir, { withFileTypes: true });
  } catch {
    return found;
  }
  for (const entry of entries.sort((a, b) => (a.name < b.name ? -1 : 1))) {
    const file = path.join(dir, entry.name);
    if (entry.isDirectory() && depth < 10) walk(file, test, found, depth + 1);
    else if (entry.isFile() && test(file)) found.push(file);
  }
  return found;
}

const sized = (file) => {
  const size = fs.statSync(file).size;
  return size >= 2000 && size <= 150000;
};

// The words of the prose of each kind, by the reference parsers where there is one.
function markdownProse(text) {
  const walker = new commonmark.Parser().parse(text).walker();
  const parts = [];
  let event;
  while ((event = walker.next())) {
    const node = event.node;
    if (event.entering && node.type === 'text' && !(node.parent.type === 'link' && node.parent.destination.endsWith(node.literal))) parts.push(node.literal);
  }
  return parts.join('\n');
}

const SKIPPED = new Set(['script', 'style', 'code', 'pre', 'kbd', 'samp', 'var', 'template', 'noscript', 'svg', 'math', 'a']);
function htmlProse(text) {
  const parts = [];
  const visit = (node) => {
    if (node.nodeName === '#text') parts.push(node.value);
    else if (!SKIPPED.has(node.nodeName)) for (const child of node.childNodes ?? []) visit(child);
  };
  visit(parse5.parse(text));
  return parts.join('\n');
}

// Comments, found without knowing the strings: a word is seeded only if it occurs once in the
// whole file, so a comment marker inside a string can at worst make a word ineligible.
function commentRanges(text) {
  const ranges = [];
  for (const match of text.matchAll(/\/\/[^\n]*|\/\*[\s\S]*?\*\//g)) ranges.push([match.index, match.index + match[0].length]);
  return ranges;
}

const KINDS = [
  {
    name: 'markdown',
    format: 'markdown',
    extension: '.md',
    aspellMode: 'markdown',
    files: () => [...new Set([
      ...walk('/usr/lib/node_modules', (f) => /^readme\.md$/i.test(path.basename(f))),
      ...walk('/usr/share/nodejs', (f) => /^readme\.md$/i.test(path.basename(f))),
      ...walk(path.join(root, 'node_modules'), (f) => /^readme\.md$/i.test(path.basename(f))),
    ])],
    prose: markdownProse,
  },
  {
    name: 'html',
    format: 'html',
    extension: '.html',
    aspellMode: 'html',
    // English pages only: a translation (`faq.fr.html`, `…/de/index.html`) is checked in the
    // translation's language, not this corpus's.
    files: () => walk('/usr/share/doc', (f) => f.endsWith('.html') && !translated(f)),
    prose: htmlProse,
  },
  {
    name: 'C headers',
    format: 'code:c',
    extension: '.h',
    aspellMode: 'ccpp',
    files: () => fs.readdirSync('/usr/include').filter((f) => f.endsWith('.h')).map((f) => path.join('/usr/include', f)),
    comments: true,
  },
  {
    name: 'JavaScript',
    format: 'code:c',
    extension: '.js',
    aspellMode: 'ccpp',
    // Minified files (very long lines) are no one's source.
    files: () => [
      ...walk('/usr/lib/node_modules', (f) => f.endsWith('.js') && !f.endsWith('.min.js')),
      ...walk('/usr/share/nodejs', (f) => f.endsWith('.js') && !f.endsWith('.min.js')),
    ].filter((f) => {
      const text = fs.readFileSync(f, 'utf8');
      return text.length / (text.split('\n').length) < 100 && /\/\/|\/\*/.test(text);
    }),
    comments: true,
  },
];

function misspell(word, next) {
  const letters = 'abcdefghijklmnopqrstuvwxyz';
  const i = 1 + Math.floor(next() * (word.length - 2));
  const letter = letters[Math.floor(next() * letters.length)];
  switch (Math.floor(next() * 4)) {
    case 0: return word.slice(0, i) + word.slice(i + 1);
    case 1: return word.slice(0, i) + letter + word.slice(i);
    case 2: return word.slice(0, i) + letter + word.slice(i + 1);
    default: return word.slice(0, i) + word[i + 1] + word[i] + word.slice(i + 2);
  }
}

// Chooses the files and seeds the typos; returns [{ file, format, seeded: [{ start, word }] }].
function makeCorpus(kind, checker, next) {
  const seen = new Set();
  const candidates = kind.files().filter(kind.sized ?? sized).filter((file) => {
    const hash = crypto.createHash('sha1').update(fs.readFileSync(file)).digest('hex');
    if (seen.has(hash)) return false;
    seen.add(hash);
    return true;
  });
  // A seeded shuffle, then the first FILES that take SEEDED typos (a kind that takes a whole
  // folder takes every file, with as many typos as each takes, and keeps its names).
  for (let i = candidates.length - 1; kind.whole ? false : i > 0; i--) {
    const j = Math.floor(next() * (i + 1));
    [candidates[i], candidates[j]] = [candidates[j], candidates[i]];
  }
  const dir = path.join(outDir, kind.name.replace(/\W+/g, '-'));
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  const made = [];
  for (const source of candidates) {
    if (!kind.whole && made.length === FILES) break;
    let text = fs.readFileSync(source, 'utf8');
    if (text.includes('\uFFFD')) continue; // not UTF-8
    const ranges = kind.comments ? commentRanges(text) : null;
    const prose = kind.comments ? ranges.map(([a, b]) => text.slice(a, b)).join('\n') : kind.prose(text);
    const words = [...new Set(prose.match(/(?<![\p{L}\p{N}_.'-])[a-z]{5,12}(?![\p{L}\p{N}_'-])/gu) ?? [])];
    const chosen = [];
    while (words.length > 0 && chosen.length < SEEDED) {
      const word = words.splice(Math.floor(next() * words.length), 1)[0];
      if (checker.isMisspelled(word)) continue;
      const occurrences = [...text.matchAll(new RegExp(`(?<![\\p{L}\\p{N}_'-])${word}(?![\\p{L}\\p{N}_'-])`, 'gu'))];
      if (occurrences.length !== 1) continue;
      const start = occurrences[0].index;
      if (ranges && !ranges.some(([a, b]) => start > a && start < b)) continue;
      // Not on a line that a list or table or heading might make code-like: any line will do,
      // but the word must stand between spaces or punctuation of prose.
      if (!/[\s(>*"]/.test(text[start - 1] ?? ' ') || !/[\s.,;:!?)<*"]/.test(text[start + word.length] ?? ' ')) continue;
      let typo = misspell(word, next);
      for (let tries = 0; tries < 10 && (!checker.isMisspelled(typo) || text.includes(typo)); tries++) typo = misspell(word, next);
      if (!checker.isMisspelled(typo) || text.includes(typo)) continue;
      chosen.push({ start, word, typo });
    }
    if (chosen.length < (kind.whole ? 0 : SEEDED)) continue;
    chosen.sort((a, b) => b.start - a.start);
    const seeded = [];
    for (const { start, word, typo } of chosen) {
      text = text.slice(0, start) + typo + text.slice(start + word.length);
      seeded.push({ start, word: typo, delta: typo.length - word.length });
    }
    // Offsets after the edits: each earlier edit shifts the later typos.
    seeded.reverse();
    let shift = 0;
    for (const typo of seeded) {
      typo.start += shift;
      shift += typo.delta;
    }
    const file = kind.whole
      ? path.join(dir, path.relative(kind.whole, source))
      : path.join(dir, `${String(made.length + 1).padStart(2, '0')}-${path.basename(source).replace(/\.[^.]*$/, '')}${kind.extension}`);
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, text);
    made.push({ file, source, format: kind.format, seeded });
  }
  return made;
}

// The package as it was before the formats: the merge base with main, in a temporary folder
// beside which the built add-on and the modules are linked.
function packageBefore() {
  const base = execFileSync('git', ['merge-base', 'HEAD', 'main'], { cwd: root, encoding: 'utf8' }).trim();
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-before-'));
  const archive = execFileSync('git', ['archive', base, 'lib', 'index.js', 'package.json'], { cwd: root, maxBuffer: 1 << 26 });
  execFileSync('tar', ['-x', '-C', dir], { input: archive });
  fs.symlinkSync(path.join(root, 'build'), path.join(dir, 'build'));
  fs.symlinkSync(path.join(root, 'node_modules'), path.join(dir, 'node_modules'));
  return { dir, base };
}

function toolList(command, args, file) {
  try {
    const out = execFileSync(command, args, { input: fs.readFileSync(file), encoding: 'utf8', maxBuffer: 1 << 26, stdio: ['pipe', 'pipe', 'ignore'] });
    return out.split('\n').filter(Boolean);
  } catch {
    return null;
  }
}

const has = (command) => {
  try {
    execFileSync('sh', ['-c', `command -v ${command}`], { stdio: 'ignore' });
    return true;
  } catch {
    return false;
  }
};

async function main() {
  const now = require('..');
  const before = packageBefore();
  const old = require(before.dir);
  const checker = new now.Spellchecker(true);
  if (!checker.setDictionary('en_US', dictionaryDir)) throw new Error(`no en_US in ${dictionaryDir}`);
  const open = (pkg) => pkg.SpellService.open({ languages: ['en_US'], dictionaryDirs: [dictionaryDir], backend: 'hunspell' });
  const service = await open(now);
  const oldService = await open(old);
  const tools = { hunspell: has('hunspell'), aspell: has('aspell') };
  const rows = [];
  try {
    for (const kind of KINDS) {
      // Each kind its own seeded choice, so that one kind's files do not change another's.
      const next = random([...kind.name].reduce((sum, c) => sum * 31 + c.charCodeAt(0), 19) | 0);
      const corpus = makeCorpus(kind, checker, next);
      const count = { files: corpus.length, seeded: 0 };
      const found = {};
      const perFile = []; // { key: [reports, seeded found] } per file
      let current = null;
      const add = (key, reports, seeded) => {
        count[key] = (count[key] ?? 0) + reports;
        found[key] = (found[key] ?? 0) + seeded;
        current[key] = [reports, seeded];
      };
      for (const { file, format, seeded } of corpus) {
        const text = fs.readFileSync(file, 'utf8');
        count.seeded += seeded.length;
        current = { seeded: seeded.length };
        perFile.push(current);
        const covers = (list) => seeded.filter((typo) => list.some((m) => m.start <= typo.start && m.end >= typo.start + typo.word.length)).length;
        const listed = (list) => (list === null ? 0 : seeded.filter((typo) => list.includes(typo.word)).length);
        const beforeList = await oldService.check(text);
        add('before', beforeList.length, covers(beforeList));
        const plain = await service.check(text);
        add('plain', plain.length, covers(plain));
        const formatted = await service.check(text, { format });
        add('format', formatted.length, covers(formatted));
        if (process.env.CORPUS_DEBUG) {
          for (const typo of seeded) {
            if (!formatted.some((m) => m.start <= typo.start && m.end >= typo.start + typo.word.length)) {
              console.error(`missed in ${file}: ${typo.word} in ${JSON.stringify(text.slice(typo.start - 80, typo.start + 40))}`);
            }
          }
        }
        if (tools.hunspell) {
          const plainList = toolList('hunspell', ['-d', path.join(dictionaryDir, 'en_US'), '-l'], file);
          add('hunspell', plainList.length, listed(plainList));
          const htmlList = toolList('hunspell', ['-d', path.join(dictionaryDir, 'en_US'), '-H', '-l'], file);
          add('hunspell -H', htmlList.length, listed(htmlList));
        }
        if (tools.aspell) {
          const list = toolList('aspell', ['--lang=en_US', `--mode=${kind.aspellMode}`, 'list'], file);
          add(`aspell ${kind.aspellMode}`, list === null ? 0 : list.length, listed(list));
        }
      }
      rows.push({ kind: kind.name, count, found, perFile });
    }
  } finally {
    await service.close();
    await oldService.close();
    fs.rmSync(before.dir, { recursive: true, force: true });
  }

  console.log(`corpus: bench/data/corpus/ (${FILES} files of each kind, ${SEEDED} seeded typos each); before: ${before.base.slice(0, 10)}`);
  for (const { kind, count, found, perFile } of rows) {
    const toolKeys = Object.keys(count).filter((k) => k.startsWith('hunspell') || k.startsWith('aspell'));
    const best = toolKeys.length ? toolKeys.reduce((a, b) => (count[a] <= count[b] ? a : b)) : null;
    console.log(`\n${kind}: ${count.files} files, ${count.seeded} seeded typos`);
    for (const key of ['before', 'plain', 'format', ...toolKeys]) {
      const ratio = best && key === 'format' ? `  (${(count.format / count[best]).toFixed(2)}× ${best})` : '';
      console.log(`  ${key.padEnd(16)} ${String(count[key]).padStart(7)} reports, ${found[key]}/${count.seeded} seeded found${ratio}`);
    }
    // A tool that stops reading a file (it then misses the typos seeded there) reports little
    // on it: compared again on the files where it found every seeded typo.
    for (const key of toolKeys) {
      const fair = perFile.filter((file) => file[key][1] === file.seeded);
      const ours = fair.reduce((sum, file) => sum + file.format[0], 0);
      const theirs = fair.reduce((sum, file) => sum + file[key][0], 0);
      console.log(`  on the ${fair.length} files where ${key} found every seeded typo: format ${ours}, ${key} ${theirs} (${(ours / theirs).toFixed(2)}×)`);
    }
  }
}

if (require.main === module) {
  main().catch((error) => {
    console.error(error.stack);
    process.exit(1);
  });
}

module.exports = { KINDS, makeCorpus, walk, sized, outDir };
