'use strict';
// The kinds of argument a script can hand the add-on, shared by the script-boundary fuzzer and
// the bad-input table (docs/bad-input.md). Each kind has a name for the table and a `make`
// that builds a fresh value, so that no call can change what a later one is given.

const TEN_MB = 10 * 1024 * 1024;

// A proxy whose every trap throws: any attempt to look into it, convert it or call it shows
// up as this error instead of a clean TypeError from the add-on.
function throwingProxy(target) {
  const trap = (name) => () => {
    throw new Error(`proxy trap ${name} was invoked`);
  };
  const handler = {};
  for (const name of ['get', 'set', 'has', 'deleteProperty', 'ownKeys', 'getOwnPropertyDescriptor',
    'defineProperty', 'getPrototypeOf', 'setPrototypeOf', 'isExtensible', 'preventExtensions',
    'apply', 'construct']) {
    handler[name] = trap(name);
  }
  return new Proxy(target, handler);
}

// In the table's order. `none` stands for an argument that is not given at all.
const ARGUMENT_KINDS = [
  { name: 'none', none: true },
  { name: '`undefined`', make: () => undefined },
  { name: '`null`', make: () => null },
  { name: '`true`', make: () => true },
  { name: '`false`', make: () => false },
  { name: '`42`', make: () => 42 },
  { name: '`NaN`', make: () => NaN },
  { name: '`12345678901234567890n` (BigInt)', make: () => 12345678901234567890n },
  { name: "`Symbol('word')`", make: () => Symbol('word') },
  { name: '`{ toString() { return "word" } }`', make: () => ({ toString: () => 'word' }) },
  { name: "`['word']`", make: () => ['word'] },
  { name: '`() => "word"`', make: () => () => 'word' },
  { name: 'a proxy whose traps throw', make: () => throwingProxy({}) },
  { name: "`'hello'` (a plain word)", make: () => 'hello' },
  { name: "`'wo\\0rd'` (NUL inside)", make: () => 'wo\0rd' },
  { name: "`'\\ud800word'` (lone surrogate)", make: () => '\ud800word' },
  { name: 'a 10 MB string', make: () => 'x'.repeat(TEN_MB) },
];

module.exports = { ARGUMENT_KINDS, throwingProxy, TEN_MB };
