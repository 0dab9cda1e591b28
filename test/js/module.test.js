'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { Worker } = require('node:worker_threads');
const { addon, systemDictionaryDir, hasSpellService } = require('./helpers');

const addonPath = path.join(__dirname, '..', '..', 'build', 'Release', 'spellshell.node');

suite('exports', () => {
  test('the package gives the three exports of the add-on, then the service, the dictionary finder, the formats and the vocabularies', () => {
    assert.deepEqual(Object.keys(addon), ['Spellchecker', 'openAs', 'openProperties', 'SpellService', 'findDictionaries', 'FORMATS', 'formatForPath', 'formatForLanguageId', 'VOCABULARIES', 'vocabulariesFor', 'languageIdForPath']);
    const native = require(addonPath);
    assert.deepEqual(Object.keys(native), ['Spellchecker', 'openAs', 'openProperties']);
    for (const name of Object.keys(native)) assert.equal(addon[name], native[name], name);
    assert.equal(typeof addon.Spellchecker, 'function');
    assert.equal(addon.Spellchecker.name, 'Spellchecker');
  });

  test('the dialog functions have no name of their own', () => {
    assert.equal(addon.openAs.name, '');
    assert.equal(addon.openProperties.name, '');
  });
});

// The file this process loaded for the add-on (scripts may point the loader at another build).
function loadedAddonFile() {
  return process.report.getReport().sharedObjects.find((file) => /[\\/]spellshell\.node$/.test(file));
}

suite('binary', () => {
  if (process.platform === 'win32') {
    // nm and readelf read ELF files and run on Linux: there scripts/test-windows checks this PE
    // file's exports, imports and delay-imports with objdump (test/windows/binary.test.js).
    // What this process can tell: the add-on it loaded is a 64-bit x64 DLL.
    test('the loaded add-on is a PE DLL for x64', () => {
      const image = fs.readFileSync(loadedAddonFile());
      assert.equal(image.toString('latin1', 0, 2), 'MZ');
      const header = image.readUInt32LE(0x3c);
      assert.equal(image.toString('latin1', header, header + 4), 'PE\0\0');
      assert.equal(image.readUInt16LE(header + 4), 0x8664); // IMAGE_FILE_MACHINE_AMD64
      assert.equal(image.readUInt16LE(header + 22) & 0x2000, 0x2000); // IMAGE_FILE_DLL
      assert.equal(image.readUInt16LE(header + 24), 0x20b); // PE32+
    });
    return;
  }

  test('exports only the two entry points', () => {
    const defined = execFileSync('nm', ['-D', '--defined-only', addonPath], { encoding: 'utf8' })
      .split('\n')
      .filter(Boolean)
      .map((line) => line.split(' ').pop())
      .sort();
    assert.deepEqual(defined, ['napi_register_module_v1', 'node_api_module_get_api_version_v1']);
  });

  test('leaves Node-API and libuv to the hosting executable', () => {
    const dynamic = execFileSync('readelf', ['-d', addonPath], { encoding: 'utf8' });
    const needed = [...dynamic.matchAll(/\(NEEDED\)\s+Shared library: \[(.+)\]/g)].map((m) => m[1]);
    assert.ok(needed.length > 0);
    for (const library of needed) assert.doesNotMatch(library, /node|uv/, library);
    const undefinedSymbols = execFileSync('nm', ['-D', '--undefined-only', addonPath], { encoding: 'utf8' });
    assert.match(undefinedSymbols, / U napi_create_function\n/);
    assert.match(undefinedSymbols, / U napi_get_value_string_utf8\n/);
  });
});

// Each worker loads the add-on into its own environment and gets its own class.
function runWorker(source) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(source, { eval: true, workerData: { addonPath, systemDictionaryDir, hasSpellService } });
    let message;
    worker.on('message', (m) => (message = m));
    worker.on('error', reject);
    worker.on('exit', (code) => (code === 0 ? resolve(message) : reject(new Error(`worker exit ${code}`))));
  });
}

const WORKER_SOURCE = `
  const { parentPort, workerData } = require('node:worker_threads');
  const addon = require(workerData.addonPath);
  const results = [];
  for (let i = 0; i < 10; i++) {
    const checker = i % 2 ? new addon.Spellchecker() : new addon.Spellchecker(true);
    // Hunspell, or the system's service for the objects made without argument where there is one.
    results.push(checker.isHunspell() === !(i % 2 && workerData.hasSpellService));
    results.push(checker.setDictionary('en_US', workerData.systemDictionaryDir));
    results.push(checker.isMisspelled('wrod'), checker.getCorrectionsForMisspelling('wrod').length > 0);
  }
  parentPort.postMessage({ keys: Object.keys(addon), allTrue: results.every(Boolean) });
`;

suite('worker threads', () => {
  test('several workers load and use the add-on at once, each with its own class', async () => {
    const results = await Promise.all(Array.from({ length: 4 }, () => runWorker(WORKER_SOURCE)));
    for (const result of results) {
      assert.deepEqual(result.keys, ['Spellchecker', 'openAs', 'openProperties']);
      assert.equal(result.allTrue, true);
    }
  });

  test('workers started and terminated in a loop free their environments without crashing', async () => {
    for (let i = 0; i < 20; i++) {
      const worker = new Worker(
        `const { workerData } = require('node:worker_threads');
         const { Spellchecker } = require(workerData.addonPath);
         const c = new Spellchecker(true);
         c.setDictionary('en_US', workerData.systemDictionaryDir);
         setInterval(() => c.isMisspelled('wrod'), 1);`,
        { eval: true, workerData: { addonPath, systemDictionaryDir } },
      );
      await new Promise((resolve) => setTimeout(resolve, 20));
      await worker.terminate();
    }
  });
});
