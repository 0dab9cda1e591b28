'use strict';
// SpellService over small fixture dictionaries, on a worker and on the calling thread: the
// words it flags, with several languages and personal words, its suggestions, its errors, and
// the order and aborting of calls.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { SpellService } = require('../..');
const { fixtureDictionary, hasSpellService } = require('./helpers');
const { dictionaryFolders } = require('../../lib/dictionaries/find-dictionaries');

// One folder with two languages: xx_ONE (with straight-apostrophe "don't" and "café") and xx_TWO.
function twoLanguages(t) {
  const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world', 'colour', 'cat', 'cot', 'café', "don't"]);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\nTRY esianrtolcdugmfphbyvkwé\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), '7\nbonjour\nmonde\ncolour\ncut\ncab\ncoat\ncat\n');
  return dir;
}

async function open(t, dir, options) {
  const service = await SpellService.open({ dictionaryDirs: [dir], ...options });
  t.after(() => service.close());
  return service;
}

const flagged = async (service, text) => (await service.check(text)).map((m) => m.word);

for (const worker of [true, false]) {
  suite(`SpellService (worker: ${worker})`, () => {
    test('a word is misspelled only when every language rejects it', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE', 'xx-two'], worker });
      assert.deepEqual(service.languages.map((l) => l.language), ['xx_ONE', 'xx_TWO']);
      assert.deepEqual(await flagged(service, 'hello bonjour colour wrod Monde'), ['wrod']);
      assert.equal(await service.isMisspelled('bonjour'), false);
      assert.equal(await service.isMisspelled('wrod'), true);
    });

    test('check gives offsets into the text as given, in text order', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      const text = '𝒜 helo, cafe\u0301 wrold!';
      const found = await service.check(text);
      assert.deepEqual(found, [
        { start: 0, end: 2, word: '𝒜' },
        { start: 3, end: 7, word: 'helo' },
        { start: 15, end: 20, word: 'wrold' },
      ]);
      for (const { start, end, word } of found) assert.equal(text.slice(start, end), word);
    });

    test('decomposed text matches composed dictionary words; ’ falls back to \'', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      assert.deepEqual(await flagged(service, 'cafe\u0301 café don’t don\'t won’t'), ['won’t']);
      assert.equal(await service.isMisspelled('cafe\u0301'), false);
      assert.equal(await service.isMisspelled('don’t'), false);
    });

    test('personal words: exact, and a lowercase one also Capitalised and ALL-CAPS', async (t) => {
      // (Without vocabularies: theirs know Shell, the company, which the fixture does not.)
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker, vocabularies: false });
      await service.addWord('spellshell');
      await service.addWord('iPhone');
      await service.addWord("l'eau");
      await service.addWord('𝒜bc'); // a surrogate pair is one character, not a lone surrogate
      const rows = [
        ['spellshell', false], ['Spellshell', false], ['SPELLSHELL', false], ['SpellShell', true], ['spellShell', true],
        ['iPhone', false], ['IPhone', true], ['IPHONE', true], ['iphone', true],
        ["l'eau", false], ['l’eau', false], ["L'eau", false], ['L’EAU', false],
      ];
      for (const [word, misspelled] of rows) assert.equal(await service.isMisspelled(word), misspelled, word);
      // In a text, an identifier that no list knows whole is judged by its parts (I is too short).
      assert.deepEqual(await flagged(service, 'Spellshell SpellShell iPhone IPhone'), ['Spell', 'Shell', 'Phone']);
      assert.deepEqual(service.personalWords(), ['spellshell', 'iPhone', "l'eau", '𝒜bc']);
    });

    test('removeWord truly removes, also a word the dictionary accepts again', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      await service.addWord('wrod');
      await service.addWord('hello');
      assert.equal(await service.isMisspelled('wrod'), false);
      await service.removeWord('wrod');
      await service.removeWord('hello');
      await service.removeWord('never-added');
      assert.equal(await service.isMisspelled('wrod'), true);
      assert.equal(await service.isMisspelled('hello'), false);
      assert.deepEqual(service.personalWords(), []);
    });

    test('suggest merges the languages round-robin without repeats, up to the limit', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE', 'xx_TWO'], worker });
      assert.deepEqual(await service.suggest('cit'), ['cot', 'cut', 'cat']);
      assert.deepEqual(await service.suggest('cit', { limit: 2 }), ['cot', 'cut']);
      assert.deepEqual(await service.suggest('cit', { limit: 0 }), []);
      const merged = await service.suggest('caat');
      assert.equal(new Set(merged).size, merged.length);
      assert.deepEqual(new Set(merged), new Set(['cat', 'café', 'coat']));
    });

    test('check with suggestions carries the suggest lists; without, no key', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE', 'xx_TWO'], worker });
      const found = await service.check('a cit, the cit', { suggestions: 2 });
      assert.deepEqual(found.map(({ start, end, word }) => [start, end, word]), [[0, 1, 'a'], [2, 5, 'cit'], [7, 10, 'the'], [11, 14, 'cit']]);
      for (const { word, suggestions, language } of found) assert.deepEqual(suggestions, await service.suggest(word, { limit: 2, language }));
      assert.deepEqual(found[1].suggestions, ['cot', 'cat']);
      found[1].suggestions.push('mine');
      assert.deepEqual(found[3].suggestions, ['cot', 'cat'], 'each entry has a list of its own');
      const [plain] = await service.check('cit');
      assert.equal('suggestions' in plain, false);
    });

    test('setLanguages switches, keeps the personal words, and keeps the old languages on error', async (t) => {
      const dir = twoLanguages(t);
      const service = await open(t, dir, { languages: ['xx_ONE'], worker });
      await service.addWord('wrod');
      await service.setLanguages(['xx_TWO']);
      assert.deepEqual(await flagged(service, 'hello bonjour wrod'), ['hello']);
      await assert.rejects(service.setLanguages(['xx_ONE', 'xx_NONE']), { message: /^no dictionary for "xx_NONE" \(searched: / });
      assert.deepEqual(service.languages.map((l) => l.language), ['xx_TWO']);
      assert.deepEqual(await flagged(service, 'hello bonjour wrod'), ['hello']);
    });

    test('a change waits for the calls made before it and holds back the calls made after', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      const order = [];
      const calls = [
        // (Without the document's own words, which would take a word written 50,000 times for one.)
        service.check('wrod '.repeat(50000), { ownWords: false }).then((found) => order.push(`check ${found.length}`)),
        service.addWord('wrod').then(() => order.push('add')),
        service.isMisspelled('wrod').then((v) => order.push(`isMisspelled ${v}`)),
        service.check('wrod helo').then((found) => order.push(`check ${found.length}`)),
        service.removeWord('wrod').then(() => order.push('remove')),
        service.isMisspelled('wrod').then((v) => order.push(`isMisspelled ${v}`)),
      ];
      await Promise.all(calls);
      // The two calls between the changes may come in either order.
      assert.deepEqual([...order.slice(0, 2), ...order.slice(2, 4).sort(), ...order.slice(4)],
        ['check 50000', 'add', 'check 1', 'isMisspelled false', 'remove', 'isMisspelled true']);
    });

    test('an aborted check rejects at once with the reason; the service goes on', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      const before = new AbortController();
      before.abort(new Error('not wanted'));
      await assert.rejects(service.check('wrod', { signal: before.signal }), { message: 'not wanted' });

      const during = new AbortController();
      const long = service.check('wrod helo '.repeat(400000), { signal: during.signal });
      const after = service.check('wrod');
      setImmediate(() => during.abort());
      await assert.rejects(long, { name: 'AbortError' });
      assert.deepEqual((await after).map((m) => m.word), ['wrod']);
      assert.equal(await service.isMisspelled('helo'), true);
    });

    test('an object shaped like an AbortSignal aborts as one does', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      // Only what the types ask of a signal: aborted, reason, and the two listener methods.
      const signalLike = (reason) => {
        const listeners = new Set();
        return {
          aborted: false,
          reason: undefined,
          addEventListener: (type, listener) => listeners.add(listener),
          removeEventListener: (type, listener) => listeners.delete(listener),
          abort() {
            this.aborted = true;
            this.reason = reason;
            for (const listener of [...listeners]) listener();
          },
          listeners,
        };
      };
      const before = signalLike(new Error('not wanted'));
      before.abort();
      await assert.rejects(service.check('wrod', { signal: before }), { message: 'not wanted' });

      const during = signalLike(undefined);
      const long = service.check('wrod helo '.repeat(400000), { signal: during });
      setImmediate(() => during.abort());
      await assert.rejects(long, { name: 'AbortError', message: 'This operation was aborted' });

      const unused = signalLike(new Error('never'));
      assert.deepEqual((await service.check('wrod', { signal: unused })).map((m) => m.word), ['wrod']);
      assert.equal(unused.listeners.size, 0, 'the listener is removed once the call is answered');
    });

    test('close rejects pending and later calls; a second close resolves', async (t) => {
      const service = await open(t, twoLanguages(t), { languages: ['xx_ONE'], worker });
      await service.addWord('mine');
      const pending = service.check('wrod '.repeat(100000));
      await service.close();
      await assert.rejects(pending, { message: 'the spell service is closed' });
      await assert.rejects(service.isMisspelled('wrod'), { message: 'the spell service is closed' });
      await assert.rejects(service.addWord('x'), { message: 'the spell service is closed' });
      await service.close();
      assert.deepEqual(service.personalWords(), ['mine']);
    });
  });
}

suite('SpellService arguments and errors', () => {
  // [call, error type, message]: every one rejects, none throws.
  const ARGUMENTS = [
    [(s) => s.check(42), TypeError, 'text must be a string'],
    [(s) => s.check('x', { suggestions: -1 }), TypeError, 'suggestions must be a non-negative integer'],
    [(s) => s.check('x', { suggestions: 1.5 }), TypeError, 'suggestions must be a non-negative integer'],
    [(s) => s.check('x', { signal: {} }), TypeError, 'signal must be an AbortSignal'],
    [(s) => s.check('x', { signal: { aborted: 'no', addEventListener() {}, removeEventListener() {} } }), TypeError, 'signal must be an AbortSignal'],
    [(s) => s.check('x', { signal: { aborted: false, addEventListener() {} } }), TypeError, 'signal must be an AbortSignal'],
    [(s) => s.check('x', 'options'), TypeError, 'options must be an object'],
    [(s) => s.isMisspelled(''), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('two words'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('tab\there'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('nul\0'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('bell\u0007'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('nbsp\u00a0x'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled(7), TypeError, 'word must be a single word'],
    [(s) => s.suggest('x', { limit: '3' }), TypeError, 'limit must be a non-negative integer'],
    [(s) => s.addWord('line\nbreak'), TypeError, 'word must be a single word'],
    [(s) => s.addWord('\uD800'), TypeError, 'word must be a single word'],
    [(s) => s.isMisspelled('lone\uDC00low'), TypeError, 'word must be a single word'],
    [(s) => s.removeWord(undefined), TypeError, 'word must be a single word'],
    [(s) => s.setLanguages([]), TypeError, 'languages must be a non-empty array of strings'],
    [(s) => s.setLanguages('xx_ONE'), TypeError, 'languages must be a non-empty array of strings'],
    [(s) => s.setLanguages(['xx_ONE', 3]), TypeError, 'languages must be a non-empty array of strings'],
  ];
  test('bad arguments reject with TypeErrors that name the argument', async (t) => {
    const service = await open(t, fixtureDictionary(t, 'xx_ONE'), { languages: ['xx_ONE'] });
    for (const [call, type, message] of ARGUMENTS) {
      let promise;
      assert.doesNotThrow(() => {
        promise = call(service);
      });
      await assert.rejects(promise, (error) => error instanceof type && error.message === message, message);
    }
  });

  const OPEN = [
    [undefined, TypeError, 'options must be an object'],
    [{}, TypeError, 'languages must be a non-empty array of strings'],
    [{ languages: 'en_US' }, TypeError, 'languages must be a non-empty array of strings'],
    [{ languages: ['xx_ONE'], dictionaryDirs: 'dir' }, TypeError, 'dictionaryDirs must be an array of strings'],
    [{ languages: ['xx_ONE'], backend: 'com' }, TypeError, 'backend must be "auto", "hunspell" or "system"'],
    [{ languages: ['xx_ONE'], worker: 'yes' }, TypeError, 'worker must be a boolean'],
    [{ languages: ['xx_ONE'], personalDictionary: '' }, TypeError, 'personalDictionary must be a file path'],
  ];
  for (const [options, type, message] of OPEN) {
    test(`open rejects ${JSON.stringify(options)}: ${message}`, async () => {
      await assert.rejects(SpellService.open(options), (error) => error instanceof type && error.message === message);
    });
  }

  test('an unknown language names itself as given and the folders searched', async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE');
    const previous = process.env.DICPATH;
    process.env.DICPATH = '';
    t.after(() => (previous === undefined ? delete process.env.DICPATH : (process.env.DICPATH = previous)));
    const xdg = path.join(process.env.XDG_DATA_HOME || path.join(require('node:os').homedir(), '.local', 'share'), 'hunspell');
    const searched = process.platform === 'win32'
      ? dictionaryFolders({ dirs: [dir] }).join(', ')
      : `${dir}, ${xdg}, /usr/local/share/hunspell, /usr/share/hunspell, /usr/share/myspell, /usr/share/myspell/dicts`;
    await assert.rejects(SpellService.open({ languages: ['xx_ONE', 'xx-yy'], dictionaryDirs: [dir] }), {
      name: 'Error',
      message: `no dictionary for "xx-yy" (searched: ${searched})`,
    });
  });

  test('without a system service, the system backend offers nothing and auto means Hunspell', { skip: hasSpellService }, async (t) => {
    const dir = fixtureDictionary(t, 'xx_ONE');
    await assert.rejects(SpellService.open({ languages: ['en-US'], backend: 'system' }), {
      name: 'Error',
      message: 'no system spell-checking service offers "en-US"',
    });
    const service = await open(t, dir, { languages: ['xx_ONE'], backend: 'auto' });
    assert.equal(service.languages[0].backend, 'hunspell');
  });

  test('the service cannot be made with new', () => {
    assert.throws(() => new SpellService(), { name: 'TypeError', message: 'use SpellService.open(options) to make a SpellService' });
  });
});
