'use strict';
// The service puts the word meant first: the typo model's weights by kind of slip, the ranking
// of real Hunspell lists on the installed en_US dictionary (Debian's hunspell-en-us) while the
// add-on's Spellchecker keeps Hunspell's order, the optional table of known misspellings (a
// fixture package in its format, found along NODE_PATH), the typo model alone for a language
// without commonness data (the installed fr_FR, Debian's hunspell-fr), and the compact word
// lists behind it.
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { addon, systemDictionaryDir, fixtureDictionary, seededRandom } = require('./helpers');
const { SpellService } = require('../..');
const { TypoCost } = require('../../lib/words/typo-cost');
const { SortedWords } = require('../../lib/words/sorted-words');
const { ArrowTable } = require('../../lib/words/arrow-table');
const { ConsonantIndex, consonantKey } = require('../../lib/words/consonant-index');
const { commonnessFor } = require('../../lib/words/commonness');
const { parseAffixHints } = require('../../lib/dictionaries/affix-hints');
const { Ranker } = require('../../lib/service/ranking');

const root = path.join(__dirname, '..', '..');
const hasFrench = fs.existsSync(path.join(systemDictionaryDir, 'fr_FR.dic'));

suite('typo cost by kind of slip', () => {
  const QWERTZ = 'qwertzuiop|asdfghjkl|yxcvbnm';
  // [kind, typo, word, hints, cost]
  const cases = [
    ['identical', 'word', 'word', {}, 0],
    ['neighbours swapped', 'teh', 'the', {}, 0.6],
    ['neighbours swapped, inside', 'recieve', 'receive', {}, 0.6],
    ['double letter typed once', 'begining', 'beginning', {}, 0.35],
    ['letter typed twice', 'untill', 'until', {}, 0.35],
    ['letter dropped', 'wrld', 'world', {}, 1],
    ['letter added', 'wortld', 'world', {}, 1],
    ['key beside it, same row', 'wprd', 'word', {}, 0.9],
    ['key beside it, row above (staggered)', 'qpple', 'apple', {}, 0.9],
    ['key beside it, row below (staggered)', 'zpple', 'apple', {}, 0.9],
    ['key far from it', 'wzrd', 'word', {}, 1],
    ['key beside it on the dictionary\'s keyboard only', 'teit', 'zeit', { keys: QWERTZ }, 0.9],
    ['same keys on QWERTY, not beside', 'teit', 'zeit', {}, 1],
    ['phonetic confusion from REP', 'fysics', 'physics', { rep: [['f', 'ph']] }, 0.55],
    ['REP anchored at the start, used there', 'fysics', 'physics', { rep: [['^f', 'ph']] }, 0.55],
    ['REP anchored at the start, not used inside', 'grafic', 'graphic', { rep: [['^f', 'ph']] }, 2],
    ['REP anchored at the end', 'existance', 'existence', { rep: [['ance$', 'ence']] }, 0.55],
    ['REP with _ for a space', 'alot', 'a lot', { rep: [['alot', 'a_lot']] }, 0.55],
    ['accent left out, MAP group', 'cafe', 'café', { map: ['eéèêë'] }, 0.3],
    ['accent left out, no MAP', 'cafe', 'café', {}, 1],
    ['capital for a small letter', 'amy', 'Amy', {}, 0.9],
    ['apostrophe left out', 'dont', "don't", {}, 0.35],
    ['split in two', 'alot', 'a lot', {}, 2],
    ['two slips add up', 'teh', 'then', {}, 1.6],
  ];
  for (const [kind, typo, word, hints, cost] of cases) {
    test(`${kind}: ${typo} → ${word} costs ${cost}`, () => {
      assert.equal(Math.round(new TypoCost(hints).cost(typo, word) * 1000) / 1000, cost);
    });
  }

  test('a dropped letter costs at most a plain edit, and a model scoring many typos in turn scores each as a new one would', () => {
    const model = new TypoCost({ rep: [['f', 'ph']] });
    const next = seededRandom(29);
    const letters = 'abcdefghijklmnopqrstuvwxyz';
    for (let i = 0; i < 200; i++) {
      const word = Array.from({ length: 4 + Math.floor(next() * 6) }, () => letters[Math.floor(next() * 26)]).join('');
      const at = Math.floor(next() * word.length);
      const typo = word.slice(0, at) + word.slice(at + 1);
      assert.ok(model.cost(typo, word) <= 1, `${typo} → ${word}`);
      assert.equal(model.cost(typo, word), new TypoCost({ rep: [['f', 'ph']] }).cost(typo, word), 'the kept typo changes nothing');
    }
  });
});

suite('ranking of Hunspell\'s lists (installed en_US)', () => {
  // [kind, typo, word meant, Hunspell's first]: Hunspell puts another word first; the service
  // puts the word meant first; the add-on's Spellchecker keeps Hunspell's order.
  const cases = [
    ['neighbours swapped', 'wiht', 'with', 'whit'],
    ['neighbours swapped', 'lsit', 'list', 'slit'],
    ['double letter typed once', 'folowing', 'following', 'flowing'],
    ['double letter typed once', 'isue', 'issue', 'sue'],
    ['letter dropped', 'fuction', 'function', 'fiction'],
    ['letter dropped', 'weght', 'weight', 'weft'],
    ['key beside it', 'wojld', 'would', 'wold'],
    ['key beside it', 'hrading', 'heading', 'grading'],
    ['phonetic', 'grammer', 'grammar', 'gammer'],
    ['phonetic', 'wich', 'which', 'wite'],
    ['a common word Hunspell misses', 'dissapear', 'disappear', 'dispensary'],
  ];

  test('the service puts the word meant first; Spellchecker keeps Hunspell\'s order', async (t) => {
    const checker = new addon.Spellchecker(true);
    assert.equal(checker.setDictionary('en_US', systemDictionaryDir), true);
    const service = await SpellService.open({ languages: ['en_US'], dictionaryDirs: [systemDictionaryDir], workers: 2, backgroundSuggestions: false });
    t.after(() => service.close());
    const lists = await Promise.all(cases.map(([, typo]) => service.suggest(typo, { limit: 5 })));
    const found = await service.check(cases.map(([, typo]) => typo).join(' '), { suggestions: 1 });
    cases.forEach(([kind, typo, meant, hunspellFirst], i) => {
      assert.equal(checker.getCorrectionsForMisspelling(typo)[0], hunspellFirst, `${kind}: Spellchecker, ${typo}`);
      assert.equal(lists[i][0], meant, `${kind}: suggest, ${typo}: ${lists[i].join(', ')}`);
      assert.deepEqual(found[i].suggestions, [meant], `${kind}: check, ${typo}`);
    });
  });

  test('Hunspell\'s candidates stay, only reordered, unless a close common word is added', () => {
    const checker = new addon.Spellchecker(true);
    checker.setDictionary('en_US', systemDictionaryDir);
    const ranker = new Ranker({ language: 'en_US', tag: 'en-US', dir: systemDictionaryDir, backend: 'hunspell' }, checker);
    for (const typo of ['wrod', 'teh', 'recieve', 'thes', 'begining', 'Recieve']) {
      const list = checker.getCorrectionsForMisspelling(typo);
      assert.deepEqual([...ranker.rank(typo, list)].sort(), [...list].sort(), typo);
    }
    assert.deepEqual(ranker.rank('Dissapear', checker.getCorrectionsForMisspelling('Dissapear'))[0], 'Disappear');
  });
});

suite('the table of known misspellings', () => {
  // A package in the optional table's format (two files: all English, and American spelling).
  function fixturePackage(t) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-table-'));
    t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
    const pkg = path.join(dir, 'node_modules', '@cspell', 'dict-en-common-misspellings');
    fs.mkdirSync(path.join(pkg, 'dict'), { recursive: true });
    fs.writeFileSync(path.join(pkg, 'package.json'), JSON.stringify({ name: '@cspell/dict-en-common-misspellings', version: '0.0.0', exports: { '.': './cspell-ext.json' } }));
    fs.writeFileSync(path.join(pkg, 'cspell-ext.json'), '{}');
    const definitions = (flagWords, suggestWords) => JSON.stringify({ dictionaryDefinitions: [{ name: 'fixture', flagWords, suggestWords }] });
    fs.writeFileSync(path.join(pkg, 'dict', 'dict-en.json'), definitions(['teh->the'], ['recieve->receive', 'thes->this', 'wrod->rod, wordd, word', 'alot->a lot', 'not an entry']));
    fs.writeFileSync(path.join(pkg, 'dict', 'dict-en-us.json'), definitions([], ['recieve->receiver', 'wiht->white']));
    return path.join(dir, 'node_modules');
  }

  // The first suggestions for `typos` from a service in a process whose NODE_PATH is `nodePath`.
  function suggestions(nodePath, typos) {
    const script = `
      const { SpellService } = require(${JSON.stringify(root)});
      SpellService.open({ languages: ['en_US'], dictionaryDirs: [${JSON.stringify(systemDictionaryDir)}], workers: 1 }).then(async (s) => {
        const lists = [];
        for (const typo of ${JSON.stringify(typos)}) lists.push(await s.suggest(typo, { limit: 3 }));
        await s.close();
        console.log(JSON.stringify(lists));
      });`;
    const env = { ...process.env, NODE_PATH: nodePath };
    return JSON.parse(execFileSync(process.execPath, ['-e', script], { env, encoding: 'utf8' }));
  }

  test('a typo it knows stays reported however often a text writes it (no term of the text\'s own)', (t) => {
    const script = `
      const { SpellService } = require(${JSON.stringify(root)});
      SpellService.open({ languages: ['en_US'], dictionaryDirs: [${JSON.stringify(systemDictionaryDir)}], worker: false }).then(async (s) => {
        console.log(JSON.stringify((await s.check('We recieve, they recieve, you recieve.')).map((m) => m.word)));
        await s.close();
      });`;
    const run = (nodePath) => JSON.parse(execFileSync(process.execPath, ['-e', script], { env: { ...process.env, NODE_PATH: nodePath }, encoding: 'utf8' }));
    assert.deepEqual(run(fixturePackage(t)), ['recieve', 'recieve', 'recieve']);
    assert.deepEqual(run(''), []);
  });

  test('answers first when it knows the typo: its words that the dictionary accepts, ranked among themselves, in the typo\'s case', (t) => {
    const typos = ['recieve', 'Recieve', 'RECIEVE', 'teh', 'thes', 'wrod', 'alot', 'wiht'];
    const [withTable, without] = [suggestions(fixturePackage(t), typos), suggestions('', typos)];
    assert.deepEqual(withTable.map((list) => list[0]), [
      'receive', // the entry for all English comes before the American file's
      'Receive',
      'RECEIVE',
      'the', // flagWords count too
      'this', // the ranking alone says "the"
      'word', // "wordd" is no word; "word" is a likelier slip than "rod"
      'a lot', // several words, each accepted
      'white', // the American file's own entry
    ]);
    assert.equal(without[typos.indexOf('thes')][0], 'the');
    assert.equal(without[typos.indexOf('wiht')][0], 'with');
    // The table's words come first, then the ranked list without repeats.
    assert.deepEqual(withTable[typos.indexOf('wrod')], ['word', 'rod', 'wood']);
  });

  test('a package in another shape, or none, leaves the ranking alone', (t) => {
    const nodePath = fixturePackage(t);
    fs.writeFileSync(path.join(nodePath, '@cspell', 'dict-en-common-misspellings', 'dict', 'dict-en.json'), '{"dictionaryDefinitions": 3}');
    fs.rmSync(path.join(nodePath, '@cspell', 'dict-en-common-misspellings', 'dict', 'dict-en-us.json'));
    assert.deepEqual(suggestions(nodePath, ['thes', 'wiht']), suggestions('', ['thes', 'wiht']));
  });
});

suite('a language without commonness data', () => {
  test('only English has commonness data, in its region\'s spelling', () => {
    assert.equal(commonnessFor('fr_FR'), null);
    assert.equal(commonnessFor('de'), null);
    assert.equal(commonnessFor('eo'), null);
    assert.deepEqual(commonnessFor('en').variants, ['english', 'american']);
    assert.deepEqual(commonnessFor('en-GB').variants, ['english', 'british']);
    assert.deepEqual(commonnessFor('en_ZA').variants, ['english', 'british']);
    assert.deepEqual(commonnessFor('en_CA').variants, ['english', 'canadian']);
    assert.equal(commonnessFor('en_US').level('the'), 10);
    assert.equal(commonnessFor('en_US').level('The'), 10);
    assert.equal(commonnessFor('en_US').level('color'), 10);
    assert.equal(commonnessFor('en_US').level('colour'), undefined);
    assert.equal(commonnessFor('en_GB').level('colour'), 10);
  });

  test('the typo model alone reorders only by cost, keeping Hunspell\'s order where costs tie', (t) => {
    const dir = fixtureDictionary(t, 'xx_TEST', ['hello', 'halo', 'help', 'hell']);
    const checker = new addon.Spellchecker(true);
    checker.setDictionary('xx_TEST', dir);
    const ranker = new Ranker({ language: 'xx_TEST', tag: 'xx-TEST', dir, backend: 'hunspell' }, checker);
    // hello: a double letter typed once (0.35); the rest one plain edit each, in the order given.
    assert.deepEqual(ranker.rank('helo', ['halo', 'help', 'hello', 'hell']), ['hello', 'halo', 'help', 'hell']);
    assert.deepEqual(ranker.rank('helo', ['hell', 'help', 'halo']), ['hell', 'help', 'halo']);
    // A cheaper slip moves up only when it is clearly cheaper: 0.1 per place.
    assert.deepEqual(ranker.rank('hlep', ['held', 'hemp', 'help']), ['help', 'held', 'hemp']);
  });

  test('fr_FR: the typo model alone puts the word meant first where Hunspell does not', { skip: !hasFrench && 'no fr_FR dictionary' }, async (t) => {
    const checker = new addon.Spellchecker(true);
    checker.setDictionary('fr_FR', systemDictionaryDir);
    const service = await SpellService.open({ languages: ['fr_FR'], dictionaryDirs: [systemDictionaryDir], workers: 1, backgroundSuggestions: false });
    t.after(() => service.close());
    // A double letter typed once: Hunspell offers a name first.
    assert.equal(checker.getCorrectionsForMisspelling('Cete')[0], 'Pete');
    assert.equal((await service.suggest('Cete'))[0], 'Cette');
    // Where Hunspell's first is the word meant, it stays first.
    for (const [typo, meant] of [['ecole', 'école'], ['tres', 'très'], ['fotographie', 'photographie']]) {
      assert.equal(checker.getCorrectionsForMisspelling(typo)[0], meant);
      assert.equal((await service.suggest(typo))[0], meant, typo);
    }
  });
});

suite('the word lists behind the ranking', () => {
  test('SortedWords finds exactly the words it holds, read from JSON as shipped or from entries in any order', () => {
    const next = seededRandom(2029);
    for (let round = 0; round < 20; round++) {
      const words = new Set();
      while (words.size < 200) words.add(Array.from({ length: 1 + Math.floor(next() * 7) }, () => 'abcé’'[Math.floor(next() * 5)]).join(''));
      const sorted = [...words].sort();
      const probes = Array.from({ length: 300 }, () => Array.from({ length: 1 + Math.floor(next() * 7) }, () => 'abcé’'[Math.floor(next() * 5)]).join(''));
      for (const list of [SortedWords.fromJsonArray(JSON.stringify(sorted)), SortedWords.fromJsonArray(JSON.stringify([...words])), SortedWords.fromEntries([...words])]) {
        assert.equal(list.size, words.size);
        for (const probe of [...probes, ...sorted]) assert.equal(list.has(probe), words.has(probe), probe);
        for (let i = 0; i < list.size; i++) assert.equal(list.at(i), sorted[i]);
      }
    }
  });

  test('SortedWords reads escapes through JSON.parse', () => {
    const escaped = SortedWords.fromJsonArray('["caf\\u00e9", "a\\"b", "zed"]');
    assert.deepEqual([escaped.has('café'), escaped.has('a"b'), escaped.has('zed'), escaped.has('caf')], [true, true, true, false]);
  });

  test('ArrowTable finds every entry in place, those out of order in the file too, in UTF-8 and through escapes', () => {
    const entries = ['abc->abbey', 'Abc->ABC', 'naïve->naive', 'café->cafe, caffè', 'zz->z', 'с->c', 'a b->ab', 'noarrow', 'abd->abide', 'ab-c->abc', 'x->'];
    // File order as the package ships it: case-insensitive, so capitals and other scripts sit
    // among the lower-case entries.
    const json = (list) => JSON.stringify({ dictionaryDefinitions: [{ flagWords: list.slice(0, 2), suggestWords: list.slice(2) }] }, null, 1);
    for (const text of [json(entries), json(entries).replace(/ï/g, '\\u00ef')]) {
      const table = ArrowTable.read(Buffer.from(text, 'utf8'));
      const expected = {
        abc: ['abbey'], Abc: ['ABC'], 'naïve': ['naive'], 'café': ['cafe', 'caffè'], zz: ['z'], 'с': ['c'],
        abd: ['abide'], 'ab-c': ['abc'], 'a b': undefined, noarrow: undefined, x: undefined, ab: undefined, abcd: undefined,
      };
      for (const [typo, words] of Object.entries(expected)) assert.deepEqual(table.lookup(typo), words, typo);
    }
    assert.equal(ArrowTable.read(Buffer.from('{"dictionaryDefinitions": 3}')), null);
  });

  test('ConsonantIndex finds the listed words written with the same consonants', () => {
    assert.equal(consonantKey('disappear'), 'dspr');
    assert.equal(consonantKey('Dissapear'), 'dspr');
    const index = new ConsonantIndex([SortedWords.fromEntries(['disappear', 'despair', 'dispel', 'sergeant']), SortedWords.fromEntries(['desperado'])]);
    assert.deepEqual(index.find('dissapear'), ['despair', 'disappear']);
    assert.deepEqual(index.find('sargant'), ['sergeant']);
    assert.deepEqual(index.find('xyz'), []);
  });

  test('the .aff hints: REP with anchors, MAP without its sequences, KEY, in the file\'s encoding', () => {
    const aff = Buffer.from('SET ISO8859-1\nTRY abc\nREP 3\nREP ^f ph\nREP ance$ ence\nREP a_b c\nMAP 2\nMAP e\xe9\xe8\nMAP (ss)(\xdf)s\nKEY qwertz|asdf\nREP broken\n', 'latin1');
    assert.deepEqual(parseAffixHints(aff), {
      rep: [['^f', 'ph'], ['ance$', 'ence'], ['a_b', 'c']],
      map: ['eéè', 's'],
      keys: 'qwertz|asdf',
    });
  });
});
