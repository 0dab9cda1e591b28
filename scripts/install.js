'use strict';
// npm's install step for spellshell. Where a prebuilt binary under prebuilds/ loads, nothing
// here is needed: index.js finds that binary by itself, so installing with scripts disabled
// (`npm install --ignore-scripts`, pnpm's default) works as well. This step only decides
// whether the add-on must be built from source on this machine, and builds it.
//
// The build tools are not dependencies of the package, which would bring some 90 packages
// (13 MB) into every application for a build that normally never happens. A source build uses
// the ones installed next to the package (this repository's devDependencies), or else fetches
// them into a temporary folder for the one build, with `npm ci` of scripts/build-tools/: every
// package pinned, down to cmake-js's own dependencies, as this repository tested them (and
// installable from npm's cache, offline). cmake-js builds against node-api-headers: node-gyp is
// not used, and no Node headers are downloaded.
//
// `npm install --build-from-source` (npm_config_build_from_source=true) always builds, and so
// does `npm rebuild spellshell --build-from-source`.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const packageDir = path.join(__dirname, '..');

const buildToolsDir = path.join(__dirname, 'build-tools');
const BUILD_TOOLS = Object.entries(require('./build-tools/package.json').dependencies)
  .map(([name, version]) => `${name}@${version}`);

// Loading is the only reliable test of a match: the file name says platform, architecture and
// C library, but not whether this machine has what the binary needs (a new enough glibc and
// libstdc++). It runs in a child process so that a binary that fails badly cannot take npm down
// with it.
const PROBE = `
  try {
    require(process.argv[1])(process.argv[2]);
  } catch (error) {
    console.error(error.message.split('\\n')[0]);
    process.exit(1);
  }`;

function prebuildLoads() {
  const probe = spawnSync(
    process.execPath,
    ['-e', PROBE, require.resolve('node-gyp-build'), packageDir],
    { env: { ...process.env, PREBUILDS_ONLY: '1' }, encoding: 'utf8' },
  );
  if (probe.status === 0) return { loads: true };
  return { loads: false, reason: probe.stderr.trim() || `the probe ended with ${probe.signal || probe.status}` };
}

// Whether `program` (a name, or a path) names an executable file, as a shell would find it.
function runnable(program, env) {
  const executable = (file) => {
    try {
      fs.accessSync(file, fs.constants.X_OK);
      return fs.statSync(file).isFile();
    } catch {
      return false;
    }
  };
  if (program.includes(path.sep)) return executable(program);
  return (env.PATH || '').split(path.delimiter).some((dir) => dir && executable(path.join(dir, program)));
}

function pkgConfigHas(module, env) {
  return spawnSync('pkg-config', ['--exists', module], { env, stdio: 'ignore' }).status === 0;
}

// The Hunspell source tree that the build compiles in (cmake/hunspell_from_source.cmake looks in
// the same place); without one it links the system's libhunspell.
function hunspellSourceTreeCached(env) {
  const cache = env.SPELLSHELL_CACHE ||
    path.join(env.XDG_CACHE_HOME || path.join(env.HOME || os.homedir(), '.cache'), 'spellshell');
  const trees = path.join(cache, 'hunspell-src');
  try {
    return fs.readdirSync(trees).some((name) =>
      name.startsWith('hunspell-') && fs.existsSync(path.join(trees, name, 'src', 'hunspell', 'hunspell.hxx')));
  } catch {
    return false;
  }
}

// What a source build needs and this machine lacks, each with the Debian package that has it;
// an empty list when the build can be tried. On Windows the add-on is only cross-built.
function missingBuildNeeds(env = process.env, platform = process.platform) {
  if (platform !== 'linux') {
    return [{ what: `Linux: the add-on is built from source on Linux only, and this is ${platform}`, debian: null }];
  }
  const missing = [];
  const need = (present, what, debian) => present || missing.push({ what, debian });
  need(runnable('cmake', env), 'cmake (CMake 3.18 or later)', 'cmake');
  // CMake takes CXX when it is set (its first word: "ccache g++" runs ccache), else c++.
  const compiler = env.CXX ? env.CXX.trim().split(/\s+/)[0] : null;
  need(compiler ? runnable(compiler, env) : ['c++', 'g++', 'clang++'].some((name) => runnable(name, env)),
    compiler ? `the C++ compiler that CXX names (${env.CXX})` : 'a C++20 compiler (g++ 11 or later, or clang++)',
    'g++');
  need(runnable('make', env) || runnable('ninja', env), 'make or ninja', 'make');
  const pkgConfig = runnable('pkg-config', env);
  need(pkgConfig, 'pkg-config', 'pkg-config');
  if (pkgConfig) {
    need(hunspellSourceTreeCached(env) || pkgConfigHas('hunspell', env),
      'the Hunspell development files (pkg-config hunspell)', 'libhunspell-dev');
    need(pkgConfigHas('dbus-1 >= 1.12', env), 'the D-Bus development files (pkg-config dbus-1, 1.12 or later)',
      'libdbus-1-dev');
  }
  return missing;
}

function describeMissing(missing) {
  const packages = missing.map((item) => item.debian).filter(Boolean);
  if (missing.some((item) => item.what === 'pkg-config')) packages.push('libhunspell-dev', 'libdbus-1-dev');
  return [
    'spellshell: cannot build the add-on from source here. Missing:',
    ...missing.map((item) => `  - ${item.what}`),
    ...(packages.length ? [`On Debian or Ubuntu: apt-get install ${[...new Set(packages)].join(' ')}`] : []),
  ].join('\n');
}

// The build tools installed next to the package (this repository's devDependencies, or an
// application's own), or null. cmake-js looks for node-addon-api from the package's folder too.
function localTools() {
  try {
    const cmakeJs = require.resolve('cmake-js/bin/cmake-js', { paths: [packageDir] });
    require.resolve('node-addon-api', { paths: [packageDir] });
    return { cmakeJs, nodePath: null };
  } catch {
    return null;
  }
}

// npm as it runs this step (npm_execpath), else the one on PATH; also under pnpm or Yarn, whose
// own command lines differ.
function npmCommand(args) {
  const npmCli = process.env.npm_execpath;
  return npmCli && /npm-cli\.c?js$/.test(npmCli) ? [process.execPath, [npmCli, ...args]] : ['npm', args];
}

// Installs the pinned tools into a fresh temporary folder; npm's own configuration (registry,
// proxy, cache, offline) applies as for any install, except where the packages go.
function fetchTools(toolsDir) {
  for (const file of ['package.json', 'package-lock.json']) {
    fs.copyFileSync(path.join(buildToolsDir, file), path.join(toolsDir, file));
  }
  const env = Object.fromEntries(Object.entries(process.env)
    .filter(([name]) => !/^npm_config_(global|location|prefix|local_prefix|omit|include|production|dry_run|workspaces?)$/i.test(name)));
  const [command, args] = npmCommand(['ci', '--ignore-scripts', '--no-audit', '--no-fund', '--loglevel=error']);
  console.log(`spellshell: fetching the build tools (${BUILD_TOOLS.join(', ')})`);
  const install = spawnSync(command, args, { cwd: toolsDir, env, stdio: 'inherit' });
  if (install.status !== 0) {
    console.error(`spellshell: could not fetch the build tools (${BUILD_TOOLS.join(', ')}) with npm`);
    return null;
  }
  const nodeModules = path.join(toolsDir, 'node_modules');
  return { cmakeJs: path.join(nodeModules, 'cmake-js', 'bin', 'cmake-js'), nodePath: nodeModules };
}

// Builds the add-on into build/Release; false (after saying why) when it cannot.
function buildFromSource() {
  const missing = missingBuildNeeds();
  if (missing.length > 0) {
    console.error(describeMissing(missing));
    return false;
  }
  let toolsDir = null;
  try {
    let tools = localTools();
    if (!tools) {
      toolsDir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-build-tools-'));
      tools = fetchTools(toolsDir);
      if (!tools) return false;
    }
    // cmake-js finds node-addon-api from the package's folder; NODE_PATH adds the fetched one.
    const env = { ...process.env };
    if (tools.nodePath) env.NODE_PATH = [tools.nodePath, env.NODE_PATH].filter(Boolean).join(path.delimiter);
    const build = spawnSync(process.execPath, [tools.cmakeJs, 'compile'], { cwd: packageDir, env, stdio: 'inherit' });
    if (build.status !== 0) {
      console.error('spellshell: building from source failed; the output above says why');
      return false;
    }
    return true;
  } finally {
    if (toolsDir) fs.rmSync(toolsDir, { recursive: true, force: true });
  }
}

// Whether the package ends up with a binary that loads.
function install() {
  if (process.env.npm_config_build_from_source === 'true') {
    console.log('spellshell: building from source, as asked');
    return buildFromSource();
  }
  if (!fs.existsSync(path.join(packageDir, 'prebuilds'))) {
    // A checkout of the repository: prebuilt binaries exist only in packed tarballs.
    console.log('spellshell: no prebuilt binaries here; building from source');
    return buildFromSource();
  }
  const prebuild = prebuildLoads();
  if (prebuild.loads) {
    console.log('spellshell: using the prebuilt binary, nothing to compile');
    return true;
  }
  console.log(`spellshell: no usable prebuilt binary (${prebuild.reason}); building from source`);
  return buildFromSource();
}

if (require.main === module && !install()) process.exitCode = 1;

module.exports = { BUILD_TOOLS, missingBuildNeeds, describeMissing };
