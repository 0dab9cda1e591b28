'use strict';
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { suite, test } = require('node:test');
const { addon } = require('./helpers');
const { startFakeDesktop } = require('./fake_desktop');

const { openAs, openProperties } = addon;
const STRING_EXPECTED = { name: 'TypeError', message: 'A string was expected' };

// The system's libdbus file, as the dynamic loader finds it, or null.
function systemLibdbus() {
  const cache = spawnSync('ldconfig', ['-p'], { encoding: 'utf8' });
  const match = /\slibdbus-1\.so\.3 \(libc6,x86-64\) => (\S+)/.exec(cache.stdout || '');
  return match ? fs.realpathSync(match[1]) : null;
}

// Hiding libdbus from one child process takes a mount namespace of its own: root and unshare.
function whyLibdbusCannotBeHidden() {
  if (process.platform !== 'linux') return 'Linux only';
  if (process.getuid() !== 0) return 'needs root, to mount over libdbus in a private namespace';
  if (spawnSync('unshare', ['--mount', 'true']).status !== 0) return 'needs unshare --mount';
  if (!systemLibdbus()) return 'libdbus-1.so.3 is not installed, so there is nothing to hide';
  return false;
}

function fileUri(p) {
  return 'file://' + [...Buffer.from(p, 'utf8')]
    .map((b) => (/[A-Za-z0-9\-._~/]/.test(String.fromCharCode(b)) ? String.fromCharCode(b) : `%${b.toString(16).toUpperCase().padStart(2, '0')}`))
    .join('');
}

suite('openAs and openProperties', () => {
  test('a missing or non-string path is a TypeError and asks the desktop nothing', async (t) => {
    // The fake desktop on a private D-Bus records what Linux is asked; the Windows shell keeps
    // no record, so there only the errors are checked.
    const desktop = process.platform === 'win32' ? null : await startFakeDesktop(t);
    assert.throws(() => openAs(), STRING_EXPECTED);
    assert.throws(() => openAs(42), STRING_EXPECTED);
    assert.throws(() => openProperties(null), STRING_EXPECTED);
    assert.throws(() => openProperties(undefined, 'later arguments are never read'), STRING_EXPECTED);
    if (desktop) assert.deepEqual(desktop.calls(), []);
  });

  if (process.platform === 'win32') {
    // The Windows shell instead of the D-Bus services of the tests below. Under Wine,
    // SHOpenWithDialog is a stub and SHObjectProperties returns at once, so both calls come
    // back; a hang would stop the whole run, which scripts/test-windows bounds and reports. On a
    // Windows desktop they open real dialogs (the Open-with chooser is modal) that wait for a
    // person, so there the test does not run.
    const underWine = process.env.SPELLSHELL_WINE === '1';
    test('both return undefined and come back, whatever the path names',
      { skip: !underWine && 'opens real dialogs on a Windows desktop: run it under Wine (scripts/test-windows)' },
      () => {
        const paths = [__filename, __dirname, path.join(__dirname, 'missing é 日本 𝒜.txt'), '', 'before\0after'];
        for (const name of paths) {
          assert.equal(openAs(name, 'ignored', 3), undefined);
          assert.equal(openProperties(name, 1, 2), undefined);
        }
      });
    return;
  }

  test('openAs hands the portal a read-only descriptor of the file and asks for the chooser', async (t) => {
    const desktop = await startFakeDesktop(t);
    const file = path.join(desktop.dir, 'report 1 é.txt');
    fs.writeFileSync(file, 'text');
    assert.equal(openAs(file, 'ignored', 3), undefined);
    const [call] = desktop.calls();
    assert.deepEqual(
      { method: call.method, path: call.path, access: call.access, parent: call.parent_window, options: call.options },
      { method: 'OpenFile', path: file, access: 'read', parent: '', options: { ask: true } },
    );
  });

  test('openProperties sends one file URI, percent-encoded, cut at a NUL', async (t) => {
    const desktop = await startFakeDesktop(t);
    const names = ['with space', 'café', '日本', '𝒜lpha'];
    for (const name of names) assert.equal(openProperties(path.join(desktop.dir, name), 1, 2), undefined);
    assert.equal(openProperties(path.join(desktop.dir, 'before\0after')), undefined);
    const uris = desktop.calls().map((call) => call.uris);
    assert.deepEqual(uris, [...names, 'before'].map((name) => [fileUri(path.join(desktop.dir, name))]));
  });

  // A machine without libdbus, like a slim container: the add-on loads there all the same, and
  // both calls do nothing, silently. libdbus is hidden from one child process by mounting an
  // empty file over it; the fake desktop, outside, would answer any call that came.
  test('without libdbus on the machine both return undefined, say nothing and ask nothing',
    { skip: whyLibdbusCannotBeHidden() }, async (t) => {
      const desktop = await startFakeDesktop(t);
      const file = path.join(desktop.dir, 'no libdbus.txt');
      fs.writeFileSync(file, 'text');
      const script = `
        const { openAs, openProperties } = require(process.argv[1]);
        const results = [openAs(process.argv[2]), openProperties(process.argv[2])].map((r) => typeof r);
        const maps = require('fs').readFileSync('/proc/self/maps', 'utf8');
        console.log(JSON.stringify({ results, libdbusMapped: maps.includes('libdbus') }));`;
      const child = spawnSync('unshare', ['--mount', '--propagation', 'private', 'sh', '-c',
        'mount --bind /dev/null "$0" && exec "$@"', systemLibdbus(),
        process.execPath, '-e', script, path.join(__dirname, '..', '..'), file], { encoding: 'utf8' });
      assert.equal(child.stderr, '');
      assert.equal(child.stdout, '{"results":["undefined","undefined"],"libdbusMapped":false}\n');
      assert.equal(child.status, 0);
      assert.deepEqual(desktop.calls(), []);
    });

  test('with no desktop at all both return undefined', (t) => {
    const previous = process.env.DBUS_SESSION_BUS_ADDRESS;
    t.after(() => {
      if (previous === undefined) delete process.env.DBUS_SESSION_BUS_ADDRESS;
      else process.env.DBUS_SESSION_BUS_ADDRESS = previous;
    });
    process.env.DBUS_SESSION_BUS_ADDRESS = 'unix:path=/nonexistent/spellshell-bus';
    assert.equal(openAs(__filename), undefined);
    assert.equal(openProperties(__filename), undefined);
    assert.equal(openAs(''), undefined);
  });
});
