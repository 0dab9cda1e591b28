'use strict';
// What a document tells about its words besides its code and its directives: the terms it
// repeats, text in a language the service was not given, names of manual pages and branches,
// terms it quotes from another language; against the system's en_US, de_DE and fr_FR
// dictionaries.
const assert = require('node:assert/strict');
const { after, before, suite, test } = require('node:test');
const { SpellService } = require('../..');
const { repeatedTerms } = require('../../lib/words/repeated-terms');
const { ForeignText, foreignParagraph, scriptOf } = require('../../lib/words/foreign-words');

const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const open = (languages) => SpellService.open({ languages, dictionaryDirs: [dictionaryDir], backend: 'hunspell', worker: false });

suite('the document’s repeated terms and foreign text', () => {
  let english;
  let englishFrench;
  before(async () => {
    english = await open(['en_US']);
    englishFrench = await open(['en_US', 'fr_FR']);
  });
  after(async () => {
    await english.close();
    await englishFrench.close();
  });
  const words = async (service, text, options) => (await service.check(text, options)).map((m) => m.word);

  test('a word written three times is one of the document’s terms; twice, or a known misspelling, it is not', async () => {
    // [what the row shows, text, reported]
    const rows = [
      ['three times, any case', 'Run zorpctl. Then Zorpctl again, and ZORPCTL once more.', []],
      ['twice', 'Run zorpctl. Then zorpctl again.', ['zorpctl', 'zorpctl']],
      ['a misspelling known as such', 'A cache, an aache, an aache and an aache.', ['aache', 'aache', 'aache']],
      ['counted per word', 'A zorp, a zorp, a zorp and a blimf.', ['blimf']],
    ];
    for (const [what, text, expected] of rows) assert.deepEqual(await words(english, text), expected, what);
    // The document's own words off: each use is reported.
    assert.deepEqual(await words(english, 'A zorp, a zorp, a zorp.', { ownWords: false }), ['zorp', 'zorp', 'zorp']);
    assert.deepEqual([...repeatedTerms(['Zorp', 'zorp', 'ZORP', 'blimf', 'aache', 'aache', 'aache'])], ['zorp']);
  });

  test('a paragraph in a language the service lacks is not judged; words of another script neither', async () => {
    const french = 'Ce paquet dépend des outils standards de développement dont on a besoin pour construire un paquet.';
    const english_ = 'This pakage depends on the standard developmnet tools one needs.';
    assert.deepEqual(await words(english, `${english_}\n\n${french}`), ['pakage', 'developmnet']);
    // With French among the languages, the paragraph is judged in French.
    assert.deepEqual(await words(englishFrench, `${english_}\n\n${french} Une erreurr.`), ['pakage', 'developmnet', 'erreurr']);
    assert.deepEqual(await words(english, 'Thanks to Мирослав Николић and Zorpa Blimfson.'), ['Zorpa', 'Blimfson']);
    // Technical English with few words a dictionary knows stays English.
    assert.deepEqual(await words(english, 'The zorp and the blimf of the frobnicator are de rigueur.'), ['zorp', 'blimf', 'frobnicator', 'rigueur']);
  });

  test('the rules that tell a foreign paragraph and a foreign script', () => {
    const foreign = new ForeignText(['en_US']);
    assert.deepEqual([foreign.otherCommon('les'), foreign.otherCommon('und'), foreign.otherCommon('the'), foreign.otherCommon('zorp')], [true, true, false, false]);
    assert.deepEqual([foreign.otherScript('Николић'), foreign.otherScript('Möller'), foreign.otherScript('Ελλάδα')], [true, false, true]);
    assert.deepEqual(['Möller', 'Николић', 'Ελλάδα', '123'].map(scriptOf), ['Latin', 'Cyrillic', 'Greek', undefined]);
    // [words, rejected, of them common words of another language, foreign?]
    for (const [all, rejected, common, expected] of [[10, 6, 3, true], [10, 6, 2, false], [24, 12, 3, false], [10, 3, 3, false]]) {
      assert.equal(foreignParagraph(all, rejected, common), expected, `${all} ${rejected} ${common}`);
    }
    // A language without a list of common words: nothing is known to be another's.
    assert.equal(new ForeignText(['xx_ONE']).otherCommon('les'), false);
  });

  test('manual pages and branch names are not words; alternatives with a slash are', async () => {
    assert.deepEqual(await words(english, 'See bash(1) and zorpctl(8) for (merge 1234 jh/topic-name later to maint) an and/or choise.'), ['maint', 'choise']);
  });

  test('a term quoted from another language is borrowed; a slip beside a quotation is not', async () => {
    const french = 'Ce paragraphe est écrit en français et ne dit pas grand-chose.';
    assert.deepEqual(await words(englishFrench, `${french} Le développement de « glob » et “diff”.`), []);
    assert.deepEqual(await words(englishFrench, `${french} Un detail “compte”.`), ['detail']);
  });
});

suite('repeated terms in the command line and the language server: the whole file counts', () => {
  const { setUp: setUpCli, spellshell, ONE } = require('./cli-helpers');
  const { setUp: setUpLsp } = require('./lsp/setup');

  test('the command line counts a file\'s uses across its parts', (t) => {
    // Three uses 300 Ki characters apart: in three parts of the file.
    const filler = `${'hello world '.repeat(26000)}\n\n`;
    const dir = setUpCli(t, { 'a.txt': `zorp\n\n${filler}zorp\n\n${filler}zorp blimf\n`, 'b.txt': 'zorp zorp blimf\n' });
    assert.deepEqual(spellshell(dir, [...ONE, 'a.txt', 'b.txt']), { status: 1, stdout: 'a.txt:9:6: blimf\nb.txt:1:1: zorp\nb.txt:1:6: zorp\nb.txt:1:11: blimf\n', stderr: '' });
  });

  test('the language server counts a document\'s uses over all its blocks, edit by edit', async (t) => {
    const { client, uri } = await setUpLsp(t);
    const doc = uri('terms.txt');
    client.open(doc, 'hello zorp\n\nworld zorp\n\nhello zorp blimf\n');
    assert.deepEqual((await client.diagnostics(doc)).map((d) => d.data), ['blimf']);
    // One use fewer: the word is a typo again, wherever it stands.
    client.change(doc, 2, [{ range: { start: { line: 2, character: 6 }, end: { line: 2, character: 10 } }, text: 'word' }]);
    assert.deepEqual((await client.diagnostics(doc, 2)).map((d) => d.data), ['zorp', 'zorp', 'blimf']);
  });
});
