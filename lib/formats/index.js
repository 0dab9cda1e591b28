'use strict';
// The text formats a check can be told about, and which one a file or an editor's language id
// means. (Only the names and the mapping live here; check() does the rest.)
const path = require('node:path');

const FORMATS = ['plain', 'markdown', 'html', 'code:c', 'code:hash'];

const BY_LANGUAGE_ID = {
  plaintext: 'plain',
  markdown: 'markdown',
  html: 'html',
  c: 'code:c', cpp: 'code:c', csharp: 'code:c', java: 'code:c', javascript: 'code:c', javascriptreact: 'code:c',
  typescript: 'code:c', typescriptreact: 'code:c', go: 'code:c', rust: 'code:c', swift: 'code:c', kotlin: 'code:c',
  css: 'code:c', scss: 'code:c', less: 'code:c', 'objective-c': 'code:c', 'objective-cpp': 'code:c', dart: 'code:c',
  python: 'code:hash', shellscript: 'code:hash', ruby: 'code:hash', perl: 'code:hash', yaml: 'code:hash',
  toml: 'code:hash', makefile: 'code:hash', cmake: 'code:hash', dockerfile: 'code:hash', r: 'code:hash', powershell: 'code:hash',
};

const BY_EXTENSION = {
  '.txt': 'plain', '.md': 'markdown', '.markdown': 'markdown', '.html': 'html', '.htm': 'html',
  '.c': 'code:c', '.h': 'code:c', '.cc': 'code:c', '.cpp': 'code:c', '.hpp': 'code:c', '.cs': 'code:c', '.java': 'code:c',
  '.js': 'code:c', '.cjs': 'code:c', '.mjs': 'code:c', '.ts': 'code:c', '.tsx': 'code:c', '.jsx': 'code:c', '.go': 'code:c',
  '.rs': 'code:c', '.swift': 'code:c', '.kt': 'code:c', '.css': 'code:c',
  '.sh': 'code:hash', '.bash': 'code:hash', '.py': 'code:hash', '.rb': 'code:hash', '.pl': 'code:hash',
  '.yaml': 'code:hash', '.yml': 'code:hash', '.toml': 'code:hash', '.cmake': 'code:hash',
};
const BY_NAME = { Makefile: 'code:hash', 'CMakeLists.txt': 'code:hash', Dockerfile: 'code:hash' };

function formatForPath(filePath) {
  const name = path.basename(filePath);
  return BY_NAME[name] ?? BY_EXTENSION[path.extname(name).toLowerCase()] ?? 'plain';
}

function formatForLanguageId(languageId) {
  return Object.prototype.hasOwnProperty.call(BY_LANGUAGE_ID, languageId) ? BY_LANGUAGE_ID[languageId] : 'plain';
}

module.exports = { FORMATS, formatForPath, formatForLanguageId };
