'use strict';
// Starts a private D-Bus daemon and the fake desktop services (test/fakes/fake_desktop.py) on it,
// and points this process's DBUS_SESSION_BUS_ADDRESS at it until the test ends.
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');

const fakes = path.join(__dirname, '..', 'fakes');
// Debian's python3, which has the dbus and gi modules (another python3 may come first on PATH).
const python = process.env.SPELLSHELL_TEST_PYTHON || '/usr/bin/python3';

function firstLine(child, what) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`${what} did not start`)), 10000);
    readline.createInterface({ input: child.stdout }).once('line', (line) => {
      clearTimeout(timer);
      resolve(line);
    });
    child.once('exit', (code) => reject(new Error(`${what} exited with ${code}`)));
  });
}

// The environment without a preloaded sanitizer runtime and the add-on's test hooks: the bus and
// the fakes are no code of ours, and under the sanitizer they would only answer slower.
function plainEnvironment(extra = {}) {
  const env = { ...process.env, ...extra };
  for (const name of ['LD_PRELOAD', 'ASAN_OPTIONS', 'LSAN_OPTIONS', 'UBSAN_OPTIONS', 'NODE_OPTIONS', 'SPELLSHELL_ADDON']) delete env[name];
  return env;
}

async function startFakeDesktop(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-bus-'));
  const records = path.join(dir, 'calls.jsonl');
  fs.writeFileSync(records, '');
  const previous = process.env.DBUS_SESSION_BUS_ADDRESS;
  const daemon = spawn(
    'dbus-daemon',
    [`--config-file=${path.join(fakes, 'private-bus.conf')}`, '--nofork', '--print-address',
      `--address=unix:path=${path.join(dir, 'bus')}`],
    { stdio: ['ignore', 'pipe', 'ignore'], env: plainEnvironment() },
  );
  const address = await firstLine(daemon, 'dbus-daemon');
  const desktop = spawn(python, [path.join(fakes, 'fake_desktop.py'), records], {
    stdio: ['ignore', 'pipe', 'inherit'],
    env: plainEnvironment({ DBUS_SESSION_BUS_ADDRESS: address }),
  });
  await firstLine(desktop, 'fake desktop');
  process.env.DBUS_SESSION_BUS_ADDRESS = address;
  t.after(() => {
    if (previous === undefined) delete process.env.DBUS_SESSION_BUS_ADDRESS;
    else process.env.DBUS_SESSION_BUS_ADDRESS = previous;
    desktop.kill();
    daemon.kill();
    fs.rmSync(dir, { recursive: true, force: true });
  });
  return {
    dir,
    calls: () =>
      fs.readFileSync(records, 'utf8').split('\n').filter(Boolean).map((line) => JSON.parse(line)),
  };
}

module.exports = { startFakeDesktop };
