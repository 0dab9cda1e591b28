'use strict';
// The type declarations against a usage sample (test/types/usage.ts), with tsc --noEmit: the
// sample must compile, and declarations with a wrong signature must make it fail.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');

const root = path.join(__dirname, '..', '..');
const tsc = require.resolve('typescript/bin/tsc');
const sample = path.join(root, 'test', 'types', 'usage.ts');

// tsc on the sample as it stands, against the package's index.d.ts.
function compile() {
  return spawnSync(process.execPath, [tsc, '-p', path.join(root, 'test', 'types')], { encoding: 'utf8', cwd: root });
}

// The same sample and options against other declarations, in a folder of their own.
function compileAgainst(t, declarations) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-types-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  fs.writeFileSync(path.join(dir, 'index.d.ts'), declarations);
  fs.copyFileSync(sample, path.join(dir, 'usage.ts'));
  const config = JSON.parse(fs.readFileSync(path.join(root, 'test', 'types', 'tsconfig.json'), 'utf8'));
  config.compilerOptions.paths = { spellshell: ['./index.d.ts'] };
  fs.writeFileSync(path.join(dir, 'tsconfig.json'), JSON.stringify(config));
  return spawnSync(process.execPath, [tsc, '-p', dir], { encoding: 'utf8', cwd: dir });
}

const declarations = fs.readFileSync(path.join(root, 'index.d.ts'), 'utf8');

// Replaces exactly one occurrence, so that a mutation never silently misses its target.
function mutate(from, to) {
  assert.equal(declarations.split(from).length, 2, `expected one "${from}" in index.d.ts`);
  return declarations.replace(from, to);
}

suite('type declarations', () => {
  test('package.json names index.d.ts as the types of the package', () => {
    const manifest = JSON.parse(fs.readFileSync(path.join(root, 'package.json'), 'utf8'));
    assert.equal(manifest.types, 'index.d.ts');
    assert.ok(manifest.files.includes('index.d.ts'));
  });

  test('the usage sample compiles with tsc --noEmit', () => {
    const result = compile();
    assert.equal(result.stdout + result.stderr, '');
    assert.equal(result.status, 0);
  });

  // Each wrong signature, with every error that tsc must give for it: the message, and a text
  // of the sample line that it must be reported on.
  const unused = "error TS2578: Unused '@ts-expect-error' directive.";
  const wrong = [
    ['a result widened to any', 'isMisspelled(word: string): boolean;', 'isMisspelled(word: string): any;',
      [['error TS2554: Expected 2 arguments, but got 1.', "hunspell.isMisspelled('wrod')"]]],
    ['an optional word', 'isMisspelled(word: string): boolean;', 'isMisspelled(word?: string): boolean;',
      [[unused, 'a word is required ("Bad argument.")']]],
    ['an optional directory that takes undefined',
      'setDictionary(language: string, directory: string): boolean;',
      'setDictionary(language: string, directory?: string): boolean;',
      [[unused, 'an explicit undefined directory is not a string']]],
    ['corrections typed as one string', 'getCorrectionsForMisspelling(word: string): string[];',
      'getCorrectionsForMisspelling(word: string): string;',
      [['error TS2554: Expected 2 arguments, but got 1.', "getCorrectionsForMisspelling('wrod')"]]],
    ['a path of any type', 'export declare function openAs(path: string): void;',
      'export declare function openAs(path: any): void;',
      [[unused, 'openAs takes a string path only']]],
    ['a missing function', 'export declare function openProperties(path: string): void;', '',
      [['error TS2305: Module \'"spellshell"\' has no exported member \'openProperties\'.',
        "import { Spellchecker, openAs, openProperties } from 'spellshell';"],
      [unused, 'openProperties needs a path'],
      [unused, 'openProperties takes a string path only']]],
  ];
  const sampleLines = fs.readFileSync(sample, 'utf8').split('\n');
  for (const [name, from, to, errors] of wrong) {
    test(`declarations with ${name} fail the sample`, (t) => {
      const result = compileAgainst(t, mutate(from, to));
      assert.equal(result.status, 2, result.stdout);
      const reported = result.stdout.trim().split('\n').map((report) => {
        const [, line, message] = report.match(/^usage\.ts\((\d+),\d+\): (.*)$/);
        return [message, sampleLines[line - 1]];
      });
      assert.equal(reported.length, errors.length, result.stdout);
      errors.forEach(([message, onLine], i) => {
        assert.equal(reported[i][0], message);
        assert.ok(reported[i][1].includes(onLine), `expected "${onLine}" on the line: ${reported[i][1]}`);
      });
    });
  }
});
