#!/usr/bin/env node
'use strict';
// The script boundary under random use: every export and method, called with random argument
// lists of every kind a script can make (fuzz/argument-kinds.js), on live objects, on foreign
// `this` values, through subclasses and odd `new.target`s, with objects dropped and collected
// along the way. Every call must return a value of its method's type or throw one of the
// add-on's own errors; any other outcome is printed and fails the run. The process must end
// normally: a crash, an abort or a sanitizer report is the finding.
//
//   node --expose-gc fuzz/script-fuzzer.js [--seed N] [--calls N]
//
// The test command runs a short fixed-seed run (test/js/hardening-fuzz.test.js); by hand it runs
// as long as wanted, with a new seed each time. The dialogs are pointed at a bus that does not
// exist, so no desktop is ever asked anything.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { ARGUMENT_KINDS, throwingProxy } = require('./argument-kinds');

process.env.DBUS_SESSION_BUS_ADDRESS = 'unix:path=/nonexistent/spellshell-fuzz-bus';
process.env.XDG_RUNTIME_DIR = '/nonexistent';

const addon = require('..');

const { Spellchecker, openAs, openProperties } = addon;
const METHODS = ['isHunspell', 'isMisspelled', 'setDictionary', 'add', 'remove',
  'getAvailableDictionaries', 'getCorrectionsForMisspelling'];

// What each call may give back, checked on every result.
const isBoolean = (v) => typeof v === 'boolean';
const isUndefined = (v) => v === undefined;
const isStringArray = (v) => Array.isArray(v) && v.every((s) => typeof s === 'string');
const RESULT_CHECKS = {
  isHunspell: (v) => v === true,
  isMisspelled: isBoolean,
  setDictionary: isBoolean,
  add: isUndefined,
  remove: isUndefined,
  getAvailableDictionaries: (v) => isStringArray(v) && v.length === 0,
  getCorrectionsForMisspelling: isStringArray,
  openAs: isUndefined,
  openProperties: isUndefined,
};

// The add-on's errors and the host's, exactly; nothing else may come out of a call (a proxy
// trap's error would mean that an argument was looked into or converted).
const EXPECTED_ERRORS = new Set([
  'TypeError: A string was expected',
  'Error: Bad argument.',
  "TypeError: Class constructors cannot be invoked without 'new'",
  'TypeError: Illegal invocation',
]);

function parseArguments(argv) {
  const options = { seed: 1, calls: 2000 };
  for (let i = 0; i < argv.length; i += 2) {
    const value = Number(argv[i + 1]);
    if (argv[i] === '--seed' && Number.isInteger(value)) options.seed = value;
    else if (argv[i] === '--calls' && Number.isInteger(value) && value > 0) options.calls = value;
    else throw new Error(`usage: script-fuzzer.js [--seed N] [--calls N] (got ${argv.slice(i).join(' ')})`);
  }
  return options;
}

// mulberry32: small, fast, and the same sequence for the same seed everywhere.
function random(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function fixtureFolder() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-script-fuzz-'));
  fs.writeFileSync(path.join(dir, 'xx_TEST.aff'), 'SET UTF-8\nTRY esianrtolcdugmfphbyvkw\u00e9\n');
  fs.writeFileSync(path.join(dir, 'xx_TEST.dic'), '4\nhello\nworld\ncolour\ncaf\u00e9\n');
  return dir;
}

function main() {
  const { seed, calls } = parseArguments(process.argv.slice(2));
  const next = random(seed);
  const pick = (list) => list[Math.floor(next() * list.length)];
  const dir = fixtureFolder();
  process.on('exit', () => fs.rmSync(dir, { recursive: true, force: true }));

  // Besides the argument kinds, strings that make calls succeed, so that loaded dictionaries
  // are exercised too.
  const usefulStrings = ['xx_TEST', 'xx-TEST', 'en_US', dir, '/usr/share/hunspell', '.', '', 'hello',
    'wrod', 'caf\u00e9', "don't", 'a'.repeat(300), '\u65e5\u672c', `${dir}/xx_TEST.dic`];
  const makeArgument = () => {
    if (next() < 0.4) return pick(usefulStrings);
    const kind = pick(ARGUMENT_KINDS.filter((k) => !k.none));
    return kind.make();
  };
  const makeArguments = () => Array.from({ length: Math.floor(next() * 4) }, makeArgument);

  class Subclass extends Spellchecker {}
  const newTargets = [function Plain() {}, class Other {}, Subclass, Spellchecker];
  const foreignThis = () => pick([undefined, null, 42, 'text', {}, [], Object.create(Spellchecker.prototype),
    throwingProxy({}), new Proxy(new Spellchecker(true), {}), () => {}]);
  let checkers = [new Spellchecker(true), new Spellchecker()];

  const operations = [
    ['new Spellchecker', 3, (args) => {
      const made = new Spellchecker(...args);
      if (!(made instanceof Spellchecker)) return 'not a Spellchecker';
      checkers.push(made);
      if (checkers.length > 6) checkers = checkers.slice(-4);  // the rest become garbage
      return null;
    }],
    ['Spellchecker without new', 1, (args) => { Spellchecker(...args); return 'did not throw'; }],
    ['Reflect.construct', 1, (args) => {
      const made = Reflect.construct(Spellchecker, args, pick(newTargets));
      return typeof made.isHunspell === 'function' && made.isHunspell() !== true ? 'bad object' : null;
    }],
    ['new Subclass', 1, (args) => (new Subclass(...args).isHunspell() === true ? null : 'bad subclass')],
    ['method', 20, (args) => {
      const name = pick(METHODS);
      const result = pick(checkers)[name](...args);
      return RESULT_CHECKS[name](result) ? null : `${name} returned ${String(result)}`;
    }],
    ['method on a foreign this', 3, (args) => {
      const name = pick(METHODS);
      const result = Spellchecker.prototype[name].apply(foreignThis(), args);
      return RESULT_CHECKS[name](result) ? null : `${name} returned ${String(result)}`;
    }],
    ['dialog', 2, (args) => {
      const [name, f] = pick([['openAs', openAs], ['openProperties', openProperties]]);
      return RESULT_CHECKS[name](f(...args)) ? null : `${name} returned a value`;
    }],
    ['collect garbage', 1, () => {
      if (global.gc) global.gc();
      return null;
    }],
  ];
  const weighted = operations.flatMap((operation) => Array(operation[1]).fill(operation));

  const tally = { returned: 0, threw: 0 };
  const failures = [];
  for (let i = 0; i < calls; i++) {
    const [name, , operation] = pick(weighted);
    const args = makeArguments();
    let problem;
    try {
      problem = operation(args);
      tally.returned++;
    } catch (error) {
      tally.threw++;
      const text = error instanceof Error ? `${error.constructor.name}: ${error.message}` : `non-error ${String(error)}`;
      if (!EXPECTED_ERRORS.has(text) || error.code !== undefined) problem = `threw ${text}`;
    }
    if (problem) failures.push(`call ${i} (${name}, ${args.length} arguments): ${problem}`);
  }

  console.log(`script fuzzer: seed ${seed}, ${calls} calls, ${tally.returned} returned, ${tally.threw} threw the expected errors`);
  if (failures.length > 0) {
    console.log(failures.slice(0, 20).join('\n'));
    process.exitCode = 1;
  }
}

main();
