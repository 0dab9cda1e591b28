'use strict';
// The Windows backend through the script class, over real COM: scripts/test-windows runs this
// file in the Windows node.exe under Wine after registering the fake spell service
// (test/fakes/com_server_win) under the class of the system's spell checker factory. Its
// languages are en-US and fr-FR, over the word lists in fake_spell_server.cc; it suggests the
// listed words within two edits, nearest first.
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const { addon } = require('../js/helpers');

const { Spellchecker } = addon;
const VARIABLE = 'SPELLCHECKER_PREFER_HUNSPELL';

function english() {
  const checker = new Spellchecker();
  assert.equal(checker.setDictionary('en_US'), true);
  return checker;
}

suite('backend selection with a spell service', () => {
  test('no argument takes the service, any argument Hunspell, and the variable follows', () => {
    process.env[VARIABLE] = 'yes';
    assert.equal(new Spellchecker().isHunspell(), false);
    assert.equal(VARIABLE in process.env, false);
    assert.equal(new Spellchecker(false).isHunspell(), true);
    assert.equal(process.env[VARIABLE], 'true');
    assert.equal(new Spellchecker().isHunspell(), false);
  });
});

suite('dictionaries of the service', () => {
  test('getAvailableDictionaries gives the service tags unchanged, whatever the directory', () => {
    const checker = new Spellchecker();
    assert.deepEqual(checker.getAvailableDictionaries(), ['en-US', 'fr-FR']);
    assert.deepEqual(checker.getAvailableDictionaries('C:\\nowhere'), ['en-US', 'fr-FR']);
  });

  test('setDictionary turns "_" into "-" and ignores the directory', () => {
    const checker = new Spellchecker();
    assert.equal(checker.setDictionary('en_US', 'C:\\nowhere'), true);
    assert.equal(checker.isMisspelled('wrod'), true);
    assert.equal(checker.setDictionary('fr-FR'), true);
    assert.equal(checker.isMisspelled('bonjour'), false);
  });

  test('before any dictionary, and after an unsupported one, every answer is empty', () => {
    const checker = new Spellchecker();
    const empty = () => [checker.isMisspelled('wrod'), checker.getCorrectionsForMisspelling('wrod'),
      checker.add('wrod')];
    assert.deepEqual(empty(), [false, [], undefined]);
    assert.equal(checker.setDictionary('en_US'), true);
    assert.equal(checker.setDictionary('de_DE'), false);
    assert.deepEqual(empty(), [false, [], undefined]);
    // The add above reached no service: with a dictionary again the word is still wrong.
    assert.equal(checker.setDictionary('en_US'), true);
    assert.equal(checker.isMisspelled('wrod'), true);
  });

  test('setting the same language twice keeps working', () => {
    const checker = english();
    assert.equal(checker.setDictionary('en-US'), true);
    assert.equal(checker.isMisspelled('wrod'), true);
    assert.equal(checker.isMisspelled('word'), false);
  });
});

suite('words through the service', () => {
  test('isMisspelled is true when the service reports any error in the text', () => {
    const checker = english();
    assert.deepEqual(
      ['hello', 'Hello', 'wrod', 'hello wrod', 'hello world', "it's", ''].map((w) => checker.isMisspelled(w)),
      [false, false, true, true, false, false, false], // the service refuses an empty text
    );
  });

  test('a word reaches the service up to its first NUL', () => {
    const checker = english();
    assert.equal(checker.isMisspelled('hello\0wrod'), false);
    assert.equal(checker.isMisspelled('wrod\0hello'), true);
  });

  test("corrections are the service's, in its order; none for a correct or empty word", () => {
    const checker = english();
    assert.deepEqual(checker.getCorrectionsForMisspelling('wrod'), ['world', 'word']);
    assert.deepEqual(checker.getCorrectionsForMisspelling('helo'), ['hello']);
    // Suggest answers S_FALSE for a correct word, with the word itself, which is not read.
    assert.deepEqual(checker.getCorrectionsForMisspelling('hello'), []);
    assert.deepEqual(checker.getCorrectionsForMisspelling(''), []);
    assert.deepEqual(checker.getCorrectionsForMisspelling('qqqqqqqq'), []);
  });

  test('non-ASCII words and suggestions cross UTF-8 and UTF-16 intact', () => {
    const checker = new Spellchecker();
    assert.equal(checker.setDictionary('fr_FR'), true);
    assert.deepEqual([checker.isMisspelled('élève'), checker.isMisspelled('eleve')], [false, true]);
    assert.deepEqual(checker.getCorrectionsForMisspelling('eleve'), ['élève']);
    assert.deepEqual(checker.getCorrectionsForMisspelling('garcon'), ['garçon']);
  });

  test('add hands the word to the service, which keeps it; remove changes nothing', () => {
    const checker = english();
    assert.equal(checker.isMisspelled('spellshell'), true);
    assert.equal(checker.add('spellshell'), undefined);
    assert.equal(checker.isMisspelled('spellshell'), false);
    assert.equal(checker.remove('spellshell'), undefined);
    assert.equal(checker.isMisspelled('spellshell'), false);
    // The service's word, not this object's: another checker of the language has it too.
    assert.equal(english().isMisspelled('spellshell'), false);
    assert.equal(checker.add(''), undefined); // refused by the service, quietly
  });
});
