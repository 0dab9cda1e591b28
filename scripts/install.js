'use strict';
// npm's install step for spellshell. A prebuilt binary under prebuilds/ that matches this
// platform, and that actually loads here, makes compiling unnecessary; otherwise the add-on is
// built from source with cmake-js into build/Release, where the loader looks first.
//
// This replaces node-gyp-build's own install command, which falls back to `node-gyp rebuild`:
// node-gyp downloads Node's headers, while cmake-js builds against the node-api-headers
// package and needs nothing from the network.
//
// `npm install --build-from-source` (or npm_config_build_from_source=true) always builds.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

const packageDir = path.join(__dirname, '..');

// Loading is the only reliable test of a match: the file name says platform, architecture and
// C library, but not whether this machine has the shared libraries the binary was linked to
// (libhunspell, libdbus, a new enough libstdc++). It runs in a child process so that a binary
// that fails badly cannot take npm down with it.
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

function buildFromSource() {
  const cmakeJs = require.resolve('cmake-js/bin/cmake-js');
  const build = spawnSync(process.execPath, [cmakeJs, 'compile'], { cwd: packageDir, stdio: 'inherit' });
  if (build.status !== 0) {
    console.error(
      'spellshell: building from source failed. It needs CMake 3.18+, a C++20 compiler, pkg-config\n' +
        'and the Hunspell and (on Linux) D-Bus development files; on Debian or Ubuntu:\n' +
        '  apt-get install cmake g++ make pkg-config libhunspell-dev libdbus-1-dev',
    );
    process.exit(build.status || 1);
  }
}

function main() {
  if (process.env.npm_config_build_from_source === 'true') {
    console.log('spellshell: building from source, as asked');
    buildFromSource();
    return;
  }
  if (!fs.existsSync(path.join(packageDir, 'prebuilds'))) {
    // A checkout of the repository: prebuilt binaries exist only in packed tarballs.
    console.log('spellshell: no prebuilt binaries here; building from source');
    buildFromSource();
    return;
  }
  const prebuild = prebuildLoads();
  if (prebuild.loads) {
    console.log('spellshell: using the prebuilt binary, nothing to compile');
    return;
  }
  console.log(`spellshell: no usable prebuilt binary (${prebuild.reason}); building from source`);
  buildFromSource();
}

main();
