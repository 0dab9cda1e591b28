'use strict';
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const fs = require('node:fs');
const path = require('node:path');
const { addon, systemDictionaryDir, fixtureDictionary, hasSpellService } = require('./helpers');

const { Spellchecker } = addon;
const VARIABLE = 'SPELLCHECKER_PREFER_HUNSPELL';
const METHODS = [
  'isHunspell',
  'isMisspelled',
  'setDictionary',
  'add',
  'remove',
  'getAvailableDictionaries',
  'getCorrectionsForMisspelling',
];
const NEEDS_ARGUMENT = ['isMisspelled', 'setDictionary', 'add', 'remove', 'getCorrectionsForMisspelling'];

function loaded(t, words) {
  const dir = fixtureDictionary(t, 'xx_TEST', words);
  const checker = new Spellchecker(true);
  assert.equal(checker.setDictionary('xx_TEST', dir), true);
  return checker;
}

suite('class shape', () => {
  test('the prototype has the seven methods in order, writable, configurable, not enumerable', () => {
    const names = Object.getOwnPropertyNames(Spellchecker.prototype).filter((n) => n !== 'constructor');
    assert.deepEqual(names, METHODS);
    for (const name of METHODS) {
      const descriptor = Object.getOwnPropertyDescriptor(Spellchecker.prototype, name);
      assert.equal(typeof descriptor.value, 'function', name);
      assert.deepEqual(
        [descriptor.writable, descriptor.enumerable, descriptor.configurable],
        [true, false, true],
        name,
      );
    }
    assert.deepEqual(Object.getOwnPropertyNames(new Spellchecker(true)), []);
  });

  test('calling the class without new throws and leaves the environment alone', () => {
    process.env[VARIABLE] = 'untouched';
    assert.throws(() => Spellchecker(), {
      name: 'TypeError',
      message: "Class constructors cannot be invoked without 'new'",
    });
    assert.equal(process.env[VARIABLE], 'untouched');
    delete process.env[VARIABLE];
  });
});

suite('construction and the environment variable', () => {
  test('any argument, even false, selects Hunspell and sets the variable to "true"', () => {
    for (const argument of [true, false, undefined, null, 0, 'x', {}]) {
      delete process.env[VARIABLE];
      const checker = new Spellchecker(argument);
      assert.equal(checker.isHunspell(), true, String(argument));
      assert.equal(process.env[VARIABLE], 'true');
    }
  });

  test('no argument removes the variable, also when it was set before', () => {
    process.env[VARIABLE] = 'yes';
    const checker = new Spellchecker();
    assert.equal(VARIABLE in process.env, false);
    // The system's service where there is one (Windows), else Hunspell (Linux, and Wine).
    assert.equal(checker.isHunspell(), !hasSpellService);
    assert.equal(checker.isHunspell(1, 2, 3), !hasSpellService);
  });
});

suite('arguments', () => {
  test('methods that need a word throw a plain Error "Bad argument." when given none', () => {
    const checker = new Spellchecker(true);
    for (const name of NEEDS_ARGUMENT) {
      assert.throws(
        () => checker[name](),
        (error) => error.constructor === Error && error.message === 'Bad argument.' && error.code === undefined,
        name,
      );
    }
  });

  test('a value that is not a string is a TypeError from the host, not coerced', () => {
    const checker = new Spellchecker(true);
    for (const name of NEEDS_ARGUMENT) {
      for (const value of [42, undefined, null, {}, ['a'], Symbol('s')]) {
        assert.throws(() => checker[name](value), { name: 'TypeError', message: 'A string was expected' }, name);
      }
    }
    assert.throws(() => checker.setDictionary('en_US', 7), { name: 'TypeError', message: 'A string was expected' });
    assert.throws(() => checker.getAvailableDictionaries(7), { name: 'TypeError', message: 'A string was expected' });
  });

  test('extra arguments are ignored', (t) => {
    const checker = loaded(t);
    assert.equal(checker.isMisspelled('hello', 'extra', 3), false);
    assert.equal(checker.isMisspelled('helo', 'hello'), true);
    assert.equal(checker.add('spellshell', 1), undefined);
    assert.equal(checker.isMisspelled('spellshell'), false);
  });

  test('a method called on a foreign object throws the host error and reaches no backend', () => {
    const checker = new Spellchecker(true);
    const foreign = [{}, Object.create(Spellchecker.prototype), undefined, 42];
    for (const name of METHODS) {
      for (const that of foreign) {
        assert.throws(() => checker[name].call(that, 'word'), { name: 'TypeError', message: 'Illegal invocation' }, name);
      }
    }
  });
});

suite('dictionaries', () => {
  test('the directory defaults to the working directory', (t) => {
    const dir = fixtureDictionary(t, 'xx_CWD');
    const previous = process.cwd();
    process.chdir(dir);
    // Back before the folder is removed, which an after hook would do too late: Windows cannot
    // remove a process's working directory.
    try {
      const checker = new Spellchecker(true);
      assert.equal(checker.setDictionary('xx-CWD'), true);
      assert.equal(checker.isMisspelled('colour'), false);
      assert.deepEqual(checker.getAvailableDictionaries(), []);
    } finally {
      process.chdir(previous);
    }
  });

  // On Windows the path goes to the C runtime and to Hunspell as UTF-16 (a narrow path would be
  // read in the ANSI code page). The word list's words prove it was read, the suggestion
  // "café" for "cafe" that the affix file was (it comes from its TRY line).
  test('a folder named with accented letters and CJK, however it is written', (t) => {
    const dir = fixtureDictionary(t, 'xx_TEST', undefined, 'Données ñ 日本語 ');
    const previous = process.cwd();
    const checker = new Spellchecker(true);
    const answers = () => [checker.isMisspelled('hello'), checker.isMisspelled('helo'),
      checker.getCorrectionsForMisspelling('cafe')];
    assert.equal(checker.setDictionary('xx_TEST', dir), true);
    assert.deepEqual(answers(), [false, true, ['café']]);
    // Forward slashes, which Windows also accepts (on Linux the same path).
    assert.equal(checker.setDictionary('xx_TEST', dir.replaceAll('\\', '/')), true);
    assert.deepEqual(answers(), [false, true, ['café']]);
    process.chdir(path.dirname(dir));
    try {
      assert.equal(checker.setDictionary('xx_TEST', path.basename(dir)), true);
      assert.deepEqual(answers(), [false, true, ['café']]);
      assert.equal(checker.setDictionary('xx_TEST', path.join('.', path.basename(dir), '..', path.basename(dir))), true);
      assert.deepEqual(answers(), [false, true, ['café']]);
      assert.equal(checker.setDictionary('xx_NONE', path.basename(dir)), false);
    } finally {
      process.chdir(previous);
    }
  });

  test('device names are never dictionaries, and reading one is never tried', (t) => {
    // Windows maps these names to devices in any folder; a console read would wait for ever.
    const dir = fixtureDictionary(t);
    const checker = new Spellchecker(true);
    for (const name of ['CON', 'NUL', 'AUX', 'COM1', 'CONIN$']) {
      assert.equal(checker.setDictionary(name, dir), false, name);
    }
  });

  test('a dictionary more than 260 characters deep', (t) => {
    const dir = fixtureDictionary(t);
    let deep = dir;
    for (let i = 0; i < 5; i++) deep = path.join(deep, `${i}-ü-${'x'.repeat(54)}`);
    assert.ok(deep.length > 300);
    fs.mkdirSync(deep, { recursive: true });
    for (const file of ['xx_TEST.aff', 'xx_TEST.dic']) fs.copyFileSync(path.join(dir, file), path.join(deep, file));
    const checker = new Spellchecker(true);
    assert.equal(checker.setDictionary('xx_TEST', deep), true);
    assert.deepEqual([checker.isMisspelled('hello'), checker.isMisspelled('helo')], [false, true]);
    assert.deepEqual(checker.getCorrectionsForMisspelling('cafe'), ['café']);
  });

  test('a failed setDictionary returns false and drops the dictionary', (t) => {
    const checker = loaded(t);
    assert.equal(checker.isMisspelled('nonsenseword'), true);
    assert.equal(checker.setDictionary('zz_NONE', '/nonexistent'), false);
    assert.equal(checker.isMisspelled('nonsenseword'), false);
    assert.deepEqual(checker.getCorrectionsForMisspelling('helo'), []);
  });

  test('add and remove return undefined and change the verdict', (t) => {
    const checker = loaded(t);
    assert.equal(checker.remove('world'), undefined);
    assert.equal(checker.isMisspelled('world'), true);
    assert.equal(checker.add('world'), undefined);
    assert.equal(checker.isMisspelled('world'), false);
  });

  test('getAvailableDictionaries is an empty array for Hunspell', (t) => {
    const checker = loaded(t);
    assert.deepEqual(checker.getAvailableDictionaries(systemDictionaryDir), []);
  });

  test('suggestions from the installed en_US dictionary', () => {
    const checker = new Spellchecker(true);
    assert.equal(checker.setDictionary('en_US', systemDictionaryDir), true);
    const corrections = checker.getCorrectionsForMisspelling('wrod');
    assert.ok(Array.isArray(corrections));
    assert.ok(corrections.includes('word'), corrections.join(','));
    assert.equal(checker.isMisspelled('word'), false);
    assert.equal(checker.isMisspelled('wrod'), true);
  });
});

suite('strings', () => {
  test('a word with a NUL inside is checked up to the NUL', (t) => {
    const checker = loaded(t);
    assert.equal(checker.isMisspelled('hello\0zzzz'), false);
    assert.equal(checker.isMisspelled('zzzz\0hello'), true);
  });

  test('non-ASCII words cross the boundary intact', (t) => {
    const checker = loaded(t);
    assert.equal(checker.isMisspelled('café'), false);
    assert.ok(checker.getCorrectionsForMisspelling('cafe').includes('café'));
  });

  test('a 100,000-character word is answered without harm', (t) => {
    const checker = loaded(t);
    const word = 'a'.repeat(100000);
    assert.equal(typeof checker.isMisspelled(word), 'boolean');
    assert.ok(Array.isArray(checker.getCorrectionsForMisspelling(word)));
    checker.add(word);
    checker.remove(word);
  });

  test('lone surrogates become replacement characters, not a crash', (t) => {
    const checker = loaded(t);
    assert.equal(checker.isMisspelled('\ud800abc'), true);
  });
});
