'use strict';
// Running the spellshell command as a user runs it (bin/spellshell.js in a process of its own),
// in a folder with small dictionaries and the files a test writes.
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { fixtureDictionary } = require('./helpers');

const bin = path.join(__dirname, '..', '..', 'bin', 'spellshell.js');

// Writes `files` ({ 'sub/name': contents }) under `dir`, making folders as needed.
function writeFiles(dir, files) {
  for (const [name, contents] of Object.entries(files)) {
    const file = path.join(dir, ...name.split('/'));
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, contents);
  }
}

// A folder with the dictionaries xx_ONE and xx_TWO and the files of `files`.
function setUp(t, files = {}) {
  const dir = fixtureDictionary(t, 'xx_ONE', ['hello', 'world', 'word', 'lord']);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), '1\nbonjour\n');
  writeFiles(dir, files);
  return dir;
}

// A plain environment: no locale, no DICPATH, and a per-user config folder of the test's own, so
// that the user's personal word file stays out of it.
function environment(dir, env) {
  const base = Object.fromEntries(Object.entries(process.env).filter(([name]) => !/^(LC_|LANG$|DICPATH$)/.test(name)));
  return { ...base, XDG_CONFIG_HOME: path.join(dir, '.user-config'), APPDATA: path.join(dir, '.user-config'), ...env };
}

// Runs the command in `dir`; -> { status, stdout, stderr }.
function spellshell(dir, args, { input, env = {} } = {}) {
  const run = spawnSync(process.execPath, [bin, ...args], { cwd: dir, input, encoding: 'utf8', env: environment(dir, env) });
  return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

// Starts the command in `dir` with piped stdio; for tests that act on its streams.
function startSpellshell(dir, args, options = {}) {
  return spawn(process.execPath, [bin, ...args], { cwd: dir, env: environment(dir, options.env ?? {}), ...options });
}

// The xx_ONE arguments most tests use.
const ONE = ['--lang', 'xx_ONE', '--dict-dir', '.'];

module.exports = { bin, setUp, writeFiles, spellshell, startSpellshell, environment, ONE };
