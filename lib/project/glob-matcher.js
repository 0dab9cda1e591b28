'use strict';
// Tests of paths against the glob patterns of the command line and of project files, shared by
// the command line (which files of a folder it takes) and the language server (whether a
// project leaves an open document out, and the format it names for it).
const path = require('node:path');
const picomatch = require('picomatch');

// A test of paths against glob patterns written relative to `base`, in either separator. A
// pattern without a slash matches a file or folder of that name anywhere (as in .gitignore); one
// with a slash matches the path from `base`. `paths`: the path module of the paths' platform.
function globMatcher(patterns, base, paths = path) {
  const tests = patterns.map((given) => {
    let pattern = given.replace(/\\/g, '/').replace(/^\.\//, '');
    if (pattern.endsWith('/')) pattern = pattern.slice(0, -1);
    const anchored = pattern.includes('/');
    if (pattern.startsWith('/')) pattern = pattern.slice(1);
    const test = picomatch(pattern, { dot: true });
    return anchored ? (rel) => test(rel) : (rel) => test(rel.slice(rel.lastIndexOf('/') + 1));
  });
  return (file) => {
    if (tests.length === 0) return false;
    const rel = paths.relative(base, file).split(paths.sep).join('/');
    if (rel === '' || rel.startsWith('../') || rel === '..' || paths.isAbsolute(rel)) return false;
    return tests.some((test) => test(rel));
  };
}

// Whether `test` (a globMatcher's) matches the file or a folder between `base` and it: what a
// walk from `base` would have left out, for a file reached without one.
function leftOut(test, file, base, paths = path) {
  for (let at = file; ; at = paths.dirname(at)) {
    const rel = paths.relative(base, at);
    if (rel === '' || rel === '..' || rel.startsWith(`..${paths.sep}`) || paths.isAbsolute(rel)) return false;
    if (test(at)) return true;
  }
}

// The format a project's `formats` (glob -> format) names for a file, or undefined: that of the
// first glob that matches it.
function formatNamer(formats, base, paths = path) {
  const tests = Object.entries(formats ?? {}).map(([glob, format]) => [globMatcher([glob], base, paths), format]);
  return (file) => tests.find(([test]) => test(file))?.[1];
}

module.exports = { globMatcher, leftOut, formatNamer };
