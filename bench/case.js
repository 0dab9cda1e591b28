'use strict';
// One benchmark case for one implementation, in a process of its own; prints one JSON object.
//   node --expose-gc case.js IMPL MODE DICTIONARY_DIR [INPUT] [LISTS_OUT]
//   node --expose-gc case.js IMPL load DICTIONARY_DIR [LANGUAGE]
// IMPL: spellshell | minimal (bench/minimal_binding.cc) | nspell | hunspell-asm
// MODE: load | running | distinct | fresh | suggest | construct | bare
// Every mode but load uses en_US; load takes the language (en_US by default).
const fs = require('node:fs');
const path = require('node:path');
const { performance } = require('node:perf_hooks');

const [impl, mode, dictionaryDir, input, listsOut] = process.argv.slice(2);
const language = mode === 'load' && input ? input : 'en_US';
const affPath = path.join(dictionaryDir, `${language}.aff`);
const dicPath = path.join(dictionaryDir, `${language}.dic`);

let factory = null;

// Each implementation's own calls in a tight loop: counting rejections keeps the work live.
const implementations = {
  async spellshell() {
    const { Spellchecker } = require('..');
    const checker = new Spellchecker(true);
    if (!checker.setDictionary(language, dictionaryDir)) throw new Error(`no ${language}`);
    return {
      rejectedIn(words, from = 0) {
        let n = 0;
        for (let i = from; i < words.length; i++) if (checker.isMisspelled(words[i])) n++;
        return n;
      },
      suggest: (word) => checker.getCorrectionsForMisspelling(word),
    };
  },
  // The floor: a plain function over one Hunspell object (no class, no cache, no guard).
  async minimal() {
    const minimal = require('../build/bench/bench/minimal_binding.node');
    minimal.load(affPath, dicPath);
    return {
      rejectedIn(words, from = 0) {
        let n = 0;
        for (let i = from; i < words.length; i++) if (!minimal.spell(words[i])) n++;
        return n;
      },
    };
  },
  async nspell() {
    const nspell = require('nspell');
    const speller = nspell({ aff: fs.readFileSync(affPath), dic: fs.readFileSync(dicPath) });
    return {
      rejectedIn(words, from = 0) {
        let n = 0;
        for (let i = from; i < words.length; i++) if (!speller.correct(words[i])) n++;
        return n;
      },
      suggest: (word) => speller.suggest(word),
    };
  },
  async 'hunspell-asm'() {
    const { loadModule } = require('hunspell-asm');
    // One WebAssembly instance per process; each load mounts the files and makes a new object.
    factory ||= await loadModule();
    const aff = factory.mountBuffer(fs.readFileSync(affPath), 'en_US.aff');
    const dic = factory.mountBuffer(fs.readFileSync(dicPath), 'en_US.dic');
    const hunspell = factory.create(aff, dic);
    return {
      rejectedIn(words, from = 0) {
        let n = 0;
        for (let i = from; i < words.length; i++) if (!hunspell.spell(words[i])) n++;
        return n;
      },
      suggest: (word) => hunspell.suggest(word),
    };
  },
};

// Timed passes of the fresh mode, each on a new object.
const FRESH_PASSES = 3;
const settle = async () => {
  for (let i = 0; i < 3; i++) {
    global.gc();
    await new Promise(setImmediate);
  }
};

const readWords = () => fs.readFileSync(input, 'utf8').split('\n').filter(Boolean);
const rssKiB = () => {
  global.gc();
  return process.memoryUsage().rss / 1024;
};

async function main() {
  const load = implementations[impl];
  if (!load) throw new Error(`unknown implementation ${impl}`);
  if (mode === 'load') {
    if (impl === 'spellshell') require('..'); // the library itself is not the dictionary
    if (impl === 'nspell') require('nspell');
    if (impl === 'hunspell-asm') require('hunspell-asm');
    // What an application waits for before its first answer: the dictionary loaded and one word
    // checked (for the add-on, new Spellchecker, setDictionary and the first isMisspelled; the
    // C++ loop times new Hunspell and its first spell).
    // Processor time too: the wall time takes in the spells when the machine's other work holds
    // the processor.
    const words = ['keep'];
    const before = rssKiB();
    const processor = process.cpuUsage();
    const start = performance.now();
    const checker = await load();
    const rejected = checker.rejectedIn(words);
    const loadMs = performance.now() - start;
    const { user, system } = process.cpuUsage(processor);
    const memoryKiB = rssKiB() - before;
    return { loadMs, loadCpuMs: (user + system) / 1000, memoryKiB, rejected };
  }
  const checker = await load();
  if (mode === 'distinct') {
    // Each timed word is one the checker has not seen in this process.
    const words = readWords();
    const warm = Math.floor(words.length / 10);
    // Three passes over the first tenth, so that the timed loop runs compiled, not compiling.
    for (let pass = 0; pass < 3; pass++) checker.rejectedIn(words.slice(0, warm));
    const start = performance.now();
    const rejected = checker.rejectedIn(words, warm);
    return { wordsPerSecond: (words.length - warm) / ((performance.now() - start) / 1000), rejected };
  }
  if (mode === 'fresh') {
    // As an application meets words: each once, on a checker just made and loaded. Every timed
    // pass gets a new object (its making and loading not timed), after one untimed pass that
    // lets the loop compile.
    const words = readWords();
    let rejected = checker.rejectedIn(words);
    let ms = 0;
    for (let pass = 0; pass < FRESH_PASSES; pass++) {
      await settle(); // the previous objects go before the next one loads
      const next = await load();
      const start = performance.now();
      rejected = next.rejectedIn(words);
      ms += performance.now() - start;
    }
    return { wordsPerSecond: (words.length * FRESH_PASSES) / (ms / 1000), rejected };
  }
  if (mode === 'running') {
    // An editor's text, each pass on a checker just made and loaded (not timed), until half a
    // second of checking has gone; the first pass lets the loop compile.
    const words = readWords();
    let rejected = checker.rejectedIn(words);
    let passes = 0;
    let ms = 0;
    do {
      await settle();
      const next = await load();
      const start = performance.now();
      rejected = next.rejectedIn(words);
      ms += performance.now() - start;
      passes++;
    } while (ms < 500);
    return { wordsPerSecond: (words.length * passes) / (ms / 1000), rejected };
  }
  if (mode === 'suggest') {
    const latenciesUs = [];
    const lists = [];
    for (const word of readWords()) {
      const start = performance.now();
      const list = checker.suggest(word);
      latenciesUs.push((performance.now() - start) * 1000);
      lists.push(JSON.stringify(list));
    }
    if (listsOut) fs.writeFileSync(listsOut, lists.join('\n') + '\n');
    return { latenciesUs };
  }
  if (mode === 'bare' && impl === 'spellshell') {
    // The boundary alone: a method that unwraps nothing but its receiver and reads no argument.
    const { Spellchecker } = require('..');
    const checker = new Spellchecker(true);
    const calls = 2000000;
    let yes = 0;
    for (let i = 0; i < calls / 10; i++) if (checker.isHunspell()) yes++;
    const start = performance.now();
    for (let i = 0; i < calls; i++) if (checker.isHunspell()) yes++;
    return { nsPerCall: ((performance.now() - start) * 1e6) / calls, yes };
  }
  if (mode === 'construct' && impl === 'spellshell') {
    // Construction and collection: the cost of one, and whether memory keeps growing. The host
    // runs the finalizers only on a later turn, so the objects are made in rounds of 100,000
    // with a pause between them; the first round raises the heaps to their working size, and
    // growth is measured over the three after it.
    const { Spellchecker } = require('..');
    const rounds = 100000;
    let before = 0;
    let ms = 0;
    for (let round = 0; round < 4; round++) {
      const start = performance.now();
      for (let i = 0; i < rounds; i++) new Spellchecker(true).isHunspell();
      if (round > 0) ms += performance.now() - start;
      await settle();
      if (round === 0) before = process.memoryUsage().rss / 1024;
    }
    const nsPerConstruction = (ms * 1e6) / (3 * rounds);
    return { nsPerConstruction, growthKiB: process.memoryUsage().rss / 1024 - before };
  }
  throw new Error(`unknown mode ${mode} for ${impl}`);
}

main().then(
  (result) => console.log(JSON.stringify(result)),
  (error) => {
    console.error(error.stack);
    process.exit(1);
  },
);
