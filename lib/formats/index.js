'use strict';
// The formats a text can be checked as, and the choice of one by file name. (A small table for
// now: the command line's folder walk takes the files it names.)
const path = require('node:path');

const FORMATS = ['plain', 'markdown', 'html', 'code:c', 'code:hash'];

// Lowercased extension (or whole file name) -> format.
const BY_NAME = new Map([
  ...['.md', '.markdown', '.mdown', '.mkd'].map((e) => [e, 'markdown']),
  ...['.html', '.htm', '.xhtml'].map((e) => [e, 'html']),
  ...['.c', '.h', '.cc', '.cpp', '.cxx', '.hpp', '.hh', '.cs', '.java', '.js', '.mjs', '.cjs', '.jsx', '.ts',
    '.mts', '.cts', '.tsx', '.go', '.rs', '.swift', '.kt', '.kts', '.scala', '.css', '.scss', '.less', '.m', '.mm']
    .map((e) => [e, 'code:c']),
  ...['.sh', '.bash', '.zsh', '.py', '.rb', '.pl', '.pm', '.yml', '.yaml', '.toml', '.cmake', '.r', '.ps1',
    'makefile', 'gnumakefile', 'cmakelists.txt', 'dockerfile'].map((e) => [e, 'code:hash']),
]);

function formatForPath(filePath) {
  const name = path.basename(String(filePath)).toLowerCase();
  return BY_NAME.get(name) ?? BY_NAME.get(path.extname(name)) ?? 'plain';
}

module.exports = { FORMATS, formatForPath };
