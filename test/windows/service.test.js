'use strict';
// SpellService over the system backend: scripts/test-windows runs this file in the Windows
// node.exe under Wine with the fake spell service registered (languages en-US and fr-FR, see
// spell_service.test.js). The checkers live in the service's worker thread by default.
const assert = require('node:assert/strict');
const { suite, test } = require('node:test');
const { addon } = require('../js/helpers');

const { SpellService, findDictionaries } = addon;

for (const worker of [true, false]) {
  suite(`SpellService over the system service (worker: ${worker})`, () => {
    test('auto takes the system service for the languages it offers, and combines them', async (t) => {
      const service = await SpellService.open({ languages: ['en-US', 'fr'], worker });
      t.after(() => service.close());
      assert.deepEqual(service.languages, [
        { language: 'en_US', tag: 'en-US', dir: null, backend: 'system' },
        { language: 'fr_FR', tag: 'fr-FR', dir: null, backend: 'system' },
      ]);
      // Judged in the language of its text: English (hello) as much as French (bonjour), the first.
      assert.deepEqual(await service.check('hello bonjour wrod', { suggestions: 2 }), [
        { start: 14, end: 18, word: 'wrod', language: 'en_US', suggestions: ['world', 'word'] },
      ]);
    });

    test('personal words stay in the service: removeWord truly removes, the service keeps nothing', async (t) => {
      const service = await SpellService.open({ languages: ['en_US'], backend: 'system', worker });
      t.after(() => service.close());
      await service.addWord('wrod');
      assert.equal(await service.isMisspelled('wrod'), false);
      await service.removeWord('wrod');
      assert.equal(await service.isMisspelled('wrod'), true);
      const checker = new addon.Spellchecker();
      checker.setDictionary('en-US');
      assert.equal(checker.isMisspelled('wrod'), true, 'never added to the system service');
    });
  });
}

suite('the system service in findDictionaries and in errors', () => {
  test('findDictionaries lists the service\'s languages with no folder', () => {
    const system = findDictionaries().filter((d) => d.backend === 'system');
    assert.deepEqual(system, [
      { language: 'en_US', tag: 'en-US', dir: null, backend: 'system' },
      { language: 'fr_FR', tag: 'fr-FR', dir: null, backend: 'system' },
    ]);
  });

  test('backend system rejects a language the service lacks', async () => {
    await assert.rejects(SpellService.open({ languages: ['de'], backend: 'system' }), {
      name: 'Error',
      message: 'no system spell-checking service offers "de"',
    });
  });
});
