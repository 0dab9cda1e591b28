'use strict';
const path = require('node:path');

// Document URIs to file paths, for the platform the server runs on (a parameter, so that the
// Windows mapping is tested everywhere). Editors send Windows paths as `file:///c%3A/Users/…`
// (colon escaped, drive letter in lowercase) or `file:///C:/Users/…`, and shares as
// `file://server/share/…`.

// The path of a `file:` URI, or null for any other scheme (`untitled:`, `git:`…) or a URI that
// names no path on this platform.
function uriToPath(uri, platform = process.platform) {
  const match = /^file:\/\/([^/?#]*)([^?#]*)/i.exec(uri);
  if (!match) return null;
  let host;
  let pathname;
  try {
    host = decodeURIComponent(match[1]);
    pathname = decodeURIComponent(match[2]);
  } catch {
    return null; // a lone % or bad UTF-8
  }
  if (pathname.includes('\0')) return null;
  if (platform !== 'win32') {
    return host === '' || host.toLowerCase() === 'localhost' ? pathname || '/' : null;
  }
  const backslashed = pathname.replace(/\//g, '\\');
  if (host !== '' && host.toLowerCase() !== 'localhost') return `\\\\${host}${backslashed}`;
  const drive = /^\\([a-zA-Z]):(\\|$)/.exec(backslashed);
  if (!drive) return null;
  return `${drive[1].toUpperCase()}:\\${backslashed.slice(4)}`;
}

// Whether `file` is `dir` or inside it (on Windows without regard to case).
function isInside(file, dir, platform = process.platform) {
  const p = platform === 'win32' ? path.win32 : path.posix;
  const relative = p.relative(dir, file);
  return relative === '' || (!relative.startsWith('..') && !p.isAbsolute(relative));
}

// Whether two paths name the same file (on Windows without regard to case).
function samePath(a, b, platform = process.platform) {
  return platform === 'win32' ? a.toLowerCase() === b.toLowerCase() : a === b;
}

module.exports = { uriToPath, isInside, samePath };
