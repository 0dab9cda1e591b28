'use strict';
// The package as an application gets it: `npm pack` of this checkout, installed into empty
// folders. With the prebuilt binary nothing is compiled; with a prebuilt binary that does not
// load, the install step builds from source with cmake-js, without the network.
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { before, after, suite, test } = require('node:test');

const root = path.join(__dirname, '..', '..');
const systemDictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const windowsBuild = path.join(root, 'build-win', 'Release', 'spellshell.node');

// npm as a developer runs it: without the npm_* variables of the `npm test` around us, which
// would otherwise steer the inner npm (its prefix, its scripts, its configuration).
function npmEnv(extra = {}) {
  const env = Object.fromEntries(Object.entries(process.env).filter(([name]) => !/^npm_/i.test(name)));
  return { ...env, ...extra };
}

function npm(args, cwd, extra) {
  const run = spawnSync('npm', args, { cwd, env: npmEnv(extra), encoding: 'utf8' });
  assert.equal(run.status, 0, `npm ${args.join(' ')} failed:\n${run.stdout}\n${run.stderr}`);
  return run.stdout;
}

// Runs a short script in the folder, as the application would, and returns what it printed.
function node(cwd, source, args = []) {
  return execFileSync(process.execPath, ['-e', source, ...args], { cwd, encoding: 'utf8' });
}

// Which binary `require('spellshell')` loaded there, and whether it works.
const PROBE = `
  const addon = require('spellshell');
  const checker = new addon.Spellchecker(true);
  console.log(JSON.stringify({
    keys: Object.keys(addon),
    binaries: Object.keys(require.cache).filter((file) => file.endsWith('.node')),
    found: checker.setDictionary('en_US', process.argv[1]),
    misspelled: checker.isMisspelled('wrod'),
    corrections: checker.getCorrectionsForMisspelling('wrod').slice(0, 2),
  }));`;

const WORKING = {
  keys: ['Spellchecker', 'openAs', 'openProperties'],
  found: true,
  misspelled: true,
  corrections: ['word', 'rod'],
};

function probe(dir) {
  return JSON.parse(node(dir, PROBE, [systemDictionaryDir]));
}

function emptyFolder(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

function walk(dir) {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const file = path.join(dir, entry.name);
    return entry.isDirectory() ? walk(file) : [path.relative(root, file).split(path.sep).join('/')];
  });
}

suite('npm package', () => {
  const folders = [];
  let tarball;
  let packed;

  before(() => {
    const destination = emptyFolder('spellshell-pack-');
    folders.push(destination);
    [packed] = JSON.parse(npm(['pack', '--json', '--pack-destination', destination], root));
    tarball = path.join(destination, packed.filename);
  });

  after(() => {
    for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
  });

  test('the tarball holds the sources, loader, types, reference, install step and prebuilds only', () => {
    const expected = [
      'CMakeLists.txt',
      'README.md',
      'docs/api.md',
      'index.d.ts',
      'index.js',
      'package.json',
      'prebuilds/linux-x64/spellshell.glibc.node',
      'scripts/install.js',
      ...walk(path.join(root, 'src')),
      ...(fs.existsSync(path.join(root, 'cmake')) ? walk(path.join(root, 'cmake')) : []),
      ...(fs.existsSync(path.join(root, 'LICENSE')) ? ['LICENSE'] : []),
      ...(fs.existsSync(windowsBuild) ? ['prebuilds/win32-x64/spellshell.node'] : []),
    ].sort();
    assert.deepEqual(packed.files.map((file) => file.path).sort(), expected);
  });

  test('packing leaves no prebuilt binaries behind in the checkout', () => {
    assert.equal(fs.existsSync(path.join(root, 'prebuilds')), false);
  });

  test('the linux-x64 prebuild exports only the two entry points and needs no Node library', () => {
    const dir = emptyFolder('spellshell-unpacked-');
    folders.push(dir);
    execFileSync('tar', ['-xzf', tarball, '-C', dir]);
    const binary = path.join(dir, 'package', 'prebuilds', 'linux-x64', 'spellshell.glibc.node');
    const defined = execFileSync('nm', ['-D', '--defined-only', binary], { encoding: 'utf8' })
      .trim()
      .split('\n')
      .map((line) => line.split(' ').pop())
      .sort();
    assert.deepEqual(defined, ['napi_register_module_v1', 'node_api_module_get_api_version_v1']);
    const needed = execFileSync('readelf', ['-d', binary], { encoding: 'utf8' });
    assert.doesNotMatch(needed, /Shared library: \[[^\]]*(node|uv)[^\]]*\]/);
  });

  test('installed into an empty folder, it loads the prebuilt binary and compiles nothing', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', tarball], app);
    const installed = path.join(app, 'node_modules', 'spellshell');
    assert.equal(fs.existsSync(path.join(installed, 'build')), false, 'nothing was built');
    const result = probe(app);
    assert.deepEqual(result.binaries, [
      path.join(fs.realpathSync(installed), 'prebuilds', 'linux-x64', 'spellshell.glibc.node'),
    ]);
    assert.deepEqual({ ...result, binaries: undefined }, { ...WORKING, binaries: undefined });

    // The named exports work from an ES module, and the types resolve through package.json.
    const esm = execFileSync(
      process.execPath,
      ['--input-type=module', '-e', "import { Spellchecker, openAs, openProperties } from 'spellshell';" +
        'console.log(typeof Spellchecker, typeof openAs, typeof openProperties);'],
      { cwd: app, encoding: 'utf8' },
    );
    assert.equal(esm, 'function function function\n');
    fs.writeFileSync(
      path.join(app, 'app.ts'),
      "import { Spellchecker } from 'spellshell';\n" +
        "const corrections: string[] = new Spellchecker(true).getCorrectionsForMisspelling('wrod');\n" +
        'export { corrections };\n',
    );
    fs.writeFileSync(
      path.join(app, 'tsconfig.json'),
      JSON.stringify({ compilerOptions: { strict: true, noEmit: true, module: 'commonjs', types: [] }, files: ['app.ts'] }),
    );
    const tsc = spawnSync(process.execPath, [require.resolve('typescript/bin/tsc'), '-p', app], {
      cwd: app,
      encoding: 'utf8',
    });
    assert.equal(tsc.stdout + tsc.stderr, '');
    assert.equal(tsc.status, 0);
  });

  test('with a prebuilt binary that does not load, the install builds from source, offline', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', '--ignore-scripts', tarball], app);
    const installed = fs.realpathSync(path.join(app, 'node_modules', 'spellshell'));
    fs.writeFileSync(path.join(installed, 'prebuilds', 'linux-x64', 'spellshell.glibc.node'), 'not a binary');

    // Any attempt to download (Node headers, as node-gyp would) goes to a closed port.
    const closed = 'http://127.0.0.1:9';
    npm(['rebuild', '--foreground-scripts', 'spellshell'], app, {
      http_proxy: closed, https_proxy: closed, HTTP_PROXY: closed, HTTPS_PROXY: closed,
      npm_config_proxy: closed, npm_config_https_proxy: closed, npm_config_offline: 'true',
    });
    assert.ok(fs.existsSync(path.join(installed, 'build', 'CMakeCache.txt')), 'cmake-js configured the build');
    assert.equal(fs.existsSync(path.join(installed, 'build', 'config.gypi')), false, 'node-gyp was not run');
    const result = probe(app);
    assert.deepEqual(result.binaries, [path.join(installed, 'build', 'Release', 'spellshell.node')]);
    assert.deepEqual({ ...result, binaries: undefined }, { ...WORKING, binaries: undefined });
  });
});
