'use strict';
// The Windows add-on as a file, read on Linux with mingw-w64's objdump (the ELF checks of
// test/js/module.test.js, for the PE DLL). scripts/test-windows runs it with Linux node after
// scripts/build-windows.
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');

const addonPath = path.join(__dirname, '..', '..', 'build-win', 'Release', 'spellshell.node');
const objdump = process.env.MINGW_OBJDUMP || 'x86_64-w64-mingw32-objdump';
const headers = execFileSync(objdump, ['-p', addonPath], { encoding: 'utf8', maxBuffer: 64 << 20 });

// The ordinary import table: { 'KERNEL32.dll': ['CloseHandle', ...], ... }.
function ordinaryImports() {
  const imports = {};
  let current = null;
  for (const line of headers.split('\n')) {
    const dll = line.match(/^\tDLL Name: (.+)$/);
    if (dll) {
      current = imports[dll[1]] = [];
    } else if (current && /^\s*$/.test(line)) {
      current = null;
    } else if (current) {
      const member = line.match(/^\t[0-9a-f]+\s+\d+\s+(\S+)/);
      if (member) current.push(member[1]);
    }
  }
  return imports;
}

// The bytes of a section, by name.
function sectionBytes(name) {
  const table = execFileSync(objdump, ['-h', addonPath], { encoding: 'utf8' });
  const row = table.split('\n').find((line) => line.trim().split(/\s+/)[1] === name);
  assert.ok(row, `no ${name} section`);
  const [, , size, , , offset] = row.trim().split(/\s+/);
  return fs.readFileSync(addonPath).subarray(parseInt(offset, 16), parseInt(offset, 16) + parseInt(size, 16));
}

suite('the Windows binary', () => {
  test('exports only the two entry points', () => {
    const table = headers.split('[Ordinal/Name Pointer] Table')[1];
    assert.ok(table, 'no export table');
    const names = [...table.matchAll(/^\t\[\s*\d+\] (\S+)$/gm)].map((m) => m[1]);
    assert.deepEqual(names.sort(), ['napi_register_module_v1', 'node_api_module_get_api_version_v1']);
  });

  test('imports only system libraries; the C and C++ runtimes are inside', () => {
    const dlls = Object.keys(ordinaryImports()).map((dll) => dll.toLowerCase()).sort();
    assert.deepEqual(dlls, ['kernel32.dll', 'msvcrt.dll', 'ole32.dll', 'shell32.dll']);
  });

  test('takes Node-API and the host mutex from "node.exe", delay-loaded only', () => {
    // Nothing of the host is bound when the DLL loads...
    for (const [dll, members] of Object.entries(ordinaryImports())) {
      assert.doesNotMatch(dll, /node|uv/i);
      assert.deepEqual(members.filter((m) => /^(napi_|node_api_|uv_)/.test(m)), [], dll);
    }
    // ...but the delay-import descriptors name the library and the functions. GNU ld leaves the
    // delay-import data directory empty (the loader never reads it; the helper in the DLL does),
    // so objdump -p does not list them, and the names are read from the import section itself.
    const idata = sectionBytes('.idata').toString('latin1');
    for (const name of ['node.exe', 'napi_create_function', 'napi_get_value_string_utf8',
      'napi_throw', 'uv_mutex_init', 'uv_mutex_lock', 'uv_mutex_unlock', 'uv_mutex_destroy']) {
      assert.ok(idata.includes(`${name}\0`), name);
    }
  });
});
