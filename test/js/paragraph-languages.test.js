'use strict';
// Several languages: each paragraph is judged in the language it is written in, a word only
// another language accepts is borrowed unless it looks like a slip, marks in the text win, and
// the union of the languages stays one option away. Uses the installed en_US, de_DE and fr_FR
// dictionaries (Debian's hunspell-en-us, hunspell-de-de, hunspell-fr).
const assert = require('node:assert/strict');
const path = require('node:path');
const { after, before, suite, test } = require('node:test');
const { SpellService } = require('../..');

const open = (languages, options = {}) => SpellService.open({ languages, backend: 'hunspell', worker: false, ...options });
const reported = async (service, text, options) => (await service.check(text, options)).map(({ word, language }) => `${word}:${language}`);

const EN = 'This paragraph is written in English and it says nothing much.';
const DE = 'Dieser Absatz ist auf Deutsch geschrieben und sagt nicht viel.';
const FR = 'Ce paragraphe est écrit en français et ne dit pas grand-chose.';

suite('paragraph languages', () => {
  let enDe;
  let enFr;
  before(async () => {
    enDe = await open(['en_US', 'de_DE']);
    enFr = await open(['en_US', 'fr_FR']);
  });
  after(async () => {
    await enDe.close();
    await enFr.close();
  });

  test('each block of each format is judged in its own language', async () => {
    // [format, text, misspellings as word:language]
    const rows = [
      ['plain', `${EN} The wrod.\n\n${DE} Das Wrot.`, ['wrod:en_US', 'Wrot:de_DE']],
      ['plain', `${EN} Do it oder not.\n\n${DE} Das word gut.`, ['oder:en_US', 'word:de_DE']],
      ['markdown', `# Heading\n\n${EN} A wrod.\n\n- ${DE} Ein Fehlr.\n- ${EN} One mroe.`, ['wrod:en_US', 'Fehlr:de_DE', 'mroe:en_US']],
      ['html', `<p>${EN} A wrod.</p><p>${DE} Ein Fehlr.</p><div>${EN} One mroe.</div>`, ['wrod:en_US', 'Fehlr:de_DE', 'mroe:en_US']],
      ['code:c', `// ${EN} A wrod.\nint x = 1;\n/* ${DE} Ein Fehlr. */\nputs("${EN} mroe");`, ['wrod:en_US', 'Fehlr:de_DE', 'mroe:en_US']],
      ['code:hash', `# ${DE} Ein Fehlr.\n# ${DE}\nx = 1\n# ${EN} A wrod.`, ['Fehlr:de_DE', 'wrod:en_US']],
    ];
    for (const [format, text, expected] of rows) assert.deepEqual(await reported(enDe, text, { format }), expected, `${format}: ${text}`);
  });

  test('a long paragraph is judged sentence by sentence', async () => {
    const english = `${EN} `.repeat(12);
    const german = `${DE} `.repeat(12);
    assert.deepEqual(await reported(enDe, `${english}Here is a wrod. ${german}Hier ist ein Fehlr. Ich sehe das oder.`), ['wrod:en_US', 'Fehlr:de_DE']);
  });

  test('a paragraph that tells nothing takes its neighbours’ language', async () => {
    // [what the row shows, text, misspellings]
    const rows = [
      ['the one before', `${DE}\n\nSoftware Server Wrod.\n\n${EN}`, ['Wrod:de_DE']],
      ['at the start, the first decided after it', `Software Server Wrod.\n\n${DE}\n\n${EN}`, ['Wrod:de_DE']],
      ['none decided: the first language', 'Software Server Wrod.', ['Wrod:en_US']],
    ];
    for (const [what, text, expected] of rows) assert.deepEqual(await reported(enDe, text), expected, what);
  });

  test('a word only another language accepts is borrowed unless it looks like a slip', async () => {
    // [what the row shows, service, text, misspellings]
    const rows = [
      ['borrowed terms and acronyms in German prose', 'enDe', `${DE} Das Upstream Projekt und der Installer nutzen KDE und GUI.`, []],
      ['a lower-case borrowed word used once is held against every word of the language', 'enDe', `${DE} Das house Verzeichnis.`, ['house:de_DE']],
      ['used twice, it is borrowed', 'enDe', `${DE} Das house Verzeichnis.\n\n${DE} Kein house Problem.`, []],
      ['a word of a vocabulary is held only against common and used words', 'enDe', `${DE} Das root Verzeichnis, das word.`, ['word:de_DE']],
      ['one edit from a common word of the paragraph’s language', 'enDe', `${EN} You can do this oder that.`, ['oder:en_US']],
      ['a phrase of the other language is borrowed whole; a name beside a slip makes none', 'enDe', `${DE} Das Buch Free Software Foundation ist gut. Das pie Debian Paket.`, ['pie:de_DE']],
      ['German prose: "word" for "wird"', 'enDe', `${DE} Das word morgen gemacht.`, ['word:de_DE']],
      ['German prose: "standard" for "Standard"', 'enDe', `${DE} Das ist der standard für alle.`, ['standard:de_DE']],
      ['French prose: "detail" for "détail"', 'enFr', `${FR} Un detail compte.`, ['detail:fr_FR']],
      ['a capitalised borrowed word (a name) is not held against every word', 'enFr', `${FR} Merci à Vera pour tout.`, []],
    ];
    const services = { enDe, enFr };
    for (const [what, service, text, expected] of rows) assert.deepEqual(await reported(services[service], text), expected, what);
  });

  test('marks in the text win over what its words say', async () => {
    const rows = [
      ['lang attributes on paragraphs that tell nothing', 'html', '<p lang="de">Software Wrod.</p><p lang="en">Software Wrod.</p>', ['Wrod:de_DE', 'Wrod:en_US']],
      ['an English sentence in a paragraph marked German is a phrase it borrows', 'html', `<p>${EN}</p><p lang="de">${EN} Wrod.</p>`, ['Wrod:de_DE']],
      ['lang on the html element, a paragraph in another', 'html', `<html lang="de"><body><p>Ein Fehlr.</p><p lang="en-GB">A wrod.</p>`, ['Fehlr:de_DE', 'wrod:en_US']],
      ['a language the service lacks is no mark', 'html', `<p lang="it">${DE} Fehlr.</p>`, ['Fehlr:de_DE']],
      ['a front matter lang', 'markdown', `---\nlang: de\n---\nWrod.`, ['Wrod:de_DE']],
      ['a language directive holds from where it stands to the next', 'markdown',
        `Software Wrod.\n\n<!-- spellshell:language de -->\n\nSoftware Wrot.\n\n<!-- cspell:locale en -->\n\nSoftware Wrdo.`, ['Wrod:en_US', 'Wrot:de_DE', 'Wrdo:en_US']],
      ['over an HTML lang; "auto" gives the choice back to the words', 'html',
        `<p lang="en">Software Wrod. <!-- spellshell:language de_DE --> Server Wrod.</p><!-- spellshell:language auto --><p>${DE} Wrot.</p>`, ['Wrod:en_US', 'Wrod:de_DE', 'Wrot:de_DE']],
      ['in code comments', 'code:c', `// spellshell:language de\n// Software Wrod.\nint x;\n// Server Wrot.`, ['Wrod:de_DE', 'Wrot:de_DE']],
    ];
    for (const [what, format, text, expected] of rows) assert.deepEqual(await reported(enDe, text, { format }), expected, what);
  });

  test("suggestions come from the language that judged the word first", async () => {
    const [english] = await enDe.check(`${EN} A wrod.`, { suggestions: 3 });
    const [german] = await enDe.check(`${DE} Das Wrot.`, { suggestions: 3 });
    assert.equal(english.language, 'en_US');
    assert.equal(german.language, 'de_DE');
    assert.deepEqual(english.suggestions, (await enDe.suggest('wrod', { limit: 10, language: 'en_US' })).slice(0, 3));
    assert.deepEqual(german.suggestions, (await enDe.suggest('Wrot', { limit: 10, language: 'de_DE' })).slice(0, 3));
    const solo = await open(['de_DE']);
    try {
      assert.deepEqual(german.suggestions, (await solo.suggest('Wrot', { limit: 3 })));
    } finally {
      await solo.close();
    }
  });

  test('detectLanguage ranks the languages with their share of the evidence', async () => {
    assert.deepEqual((await enDe.detectLanguage(DE)).map((r) => r.language), ['de_DE', 'en_US']);
    assert.deepEqual((await enDe.detectLanguage(EN)).map((r) => r.language), ['en_US', 'de_DE']);
    const [first, second] = await enFr.detectLanguage(`${FR} ${EN}`);
    assert.equal(first.score + second.score, 1);
    // Nothing tells them apart: equal shares, in the service's order.
    assert.deepEqual(await enDe.detectLanguage('Software Server 123'), [{ language: 'en_US', score: 0.5 }, { language: 'de_DE', score: 0.5 }]);
    assert.deepEqual(await enDe.detectLanguage('<p>Dieser Absatz</p>', { format: 'html' }).then((r) => r[0].language), 'de_DE');
    await assert.rejects(enDe.detectLanguage(42), { name: 'TypeError', message: 'text must be a string' });
  });

  test('anyLanguage keeps the union: a word any language accepts is accepted', async () => {
    const text = `${EN} You can do this oder that.\n\n${DE} Das word morgen gemacht. Ein Fehlr.`;
    assert.deepEqual(await reported(enDe, text, { anyLanguage: true }), ['Fehlr:undefined']);
    const union = await open(['en_US', 'de_DE'], { anyLanguage: true });
    try {
      assert.deepEqual(await union.check(text), [{ start: text.indexOf('Fehlr'), end: text.indexOf('Fehlr') + 5, word: 'Fehlr' }]);
      assert.deepEqual(await reported(union, text, { anyLanguage: false }), ['oder:en_US', 'word:de_DE', 'Fehlr:de_DE']);
    } finally {
      await union.close();
    }
    await assert.rejects(SpellService.open({ languages: ['en_US'], anyLanguage: 'yes' }), { name: 'TypeError', message: 'anyLanguage must be a boolean' });
  });

  test('a service with one language checks as before, without a language on its results', async () => {
    const solo = await open(['en_US']);
    try {
      const text = `${EN} A wrod, oder so.\n\n${DE}`;
      assert.deepEqual(await solo.check(text), await solo.check(text, { anyLanguage: true }));
      assert.ok((await solo.check(text)).every((entry) => !('language' in entry)));
      assert.deepEqual(await solo.detectLanguage(DE), [{ language: 'en_US', score: 1 }]);
    } finally {
      await solo.close();
    }
  });

  test('the verdicts are the same in a worker, and an added word counts in every language', async () => {
    const inWorker = await SpellService.open({ languages: ['en_US', 'de_DE'], backend: 'hunspell' });
    try {
      const text = `${EN} You can do this oder that.\n\n${DE} Das word morgen gemacht. Ein Fehlr.`;
      assert.deepEqual(await inWorker.check(text), await enDe.check(text));
      await inWorker.addWord('Fehlr');
      assert.deepEqual(await reported(inWorker, text), ['oder:en_US', 'word:de_DE']);
    } finally {
      await inWorker.close();
    }
  });
});

suite('paragraph languages in the command line and the language server', () => {
  const { setUp: setUpCli, spellshell } = require('./cli-helpers');
  const { setUp: setUpLsp } = require('./lsp/setup');
  const TWO = ['--lang', 'xx_ONE,xx_TWO', '--dict-dir', '.'];
  const TEXT = 'hello world hord bonjour\n\nbonjour bonjoru bonjour\n';

  test('--json names the language that judged each word; --any-language and the config keep the union', (t) => {
    const dir = setUpCli(t, { 'a.md': TEXT, 'union/.spellshell.json': JSON.stringify({ anyLanguage: true }), 'union/a.md': TEXT });
    const lines = (run) => run.stdout.trim().split('\n').map((line) => JSON.parse(line));
    assert.deepEqual(lines(spellshell(dir, [...TWO, '--json', '--suggest', '1', 'a.md'])), [
      { file: 'a.md', line: 1, column: 13, word: 'hord', language: 'xx_ONE', suggestions: ['lord'] },
      { file: 'a.md', line: 3, column: 9, word: 'bonjoru', language: 'xx_TWO', suggestions: ['bonjour'] },
    ]);
    const union = [{ file: 'a.md', line: 1, column: 13, word: 'hord', suggestions: [] }, { file: 'a.md', line: 3, column: 9, word: 'bonjoru', suggestions: [] }];
    assert.deepEqual(lines(spellshell(dir, [...TWO, '--json', '--any-language', 'a.md'])), union);
    assert.deepEqual(lines(spellshell(path.join(dir, 'union'), ['--lang', 'xx_ONE,xx_TWO', '--dict-dir', dir, '--json', 'a.md'])), union);
  });

  test('--detect-language ranks each file\'s languages', (t) => {
    const dir = setUpCli(t, { 'one.txt': 'hello world lord', 'two.txt': 'bonjour bonjour world' });
    assert.deepEqual(spellshell(dir, [...TWO, '--detect-language', 'one.txt', 'two.txt']), {
      status: 0, stdout: 'one.txt: xx_ONE 1.00, xx_TWO 0.00\ntwo.txt: xx_TWO 0.67, xx_ONE 0.33\n', stderr: '',
    });
  });

  test('a diagnostic names the language and its replacements come from it first', async (t) => {
    const { client, uri } = await setUpLsp(t, { languages: ['xx_ONE', 'xx_TWO'], suggestions: 2 });
    const doc = uri('mixed.txt');
    client.open(doc, 'hello world\n\nbonjour mond\n');
    const [diagnostic] = await client.diagnostics(doc);
    assert.equal(diagnostic.message, '"mond" is misspelled (xx_TWO)');
    assert.deepEqual(diagnostic.data, { word: 'mond', language: 'xx_TWO' });
    const actions = await client.result('textDocument/codeAction', { textDocument: { uri: doc }, range: diagnostic.range, context: { diagnostics: [diagnostic] } });
    assert.deepEqual(actions.filter((a) => a.title.startsWith('Replace')).map((a) => a.title), ['Replace with "monde"', 'Replace with "second"']);
  });
});
