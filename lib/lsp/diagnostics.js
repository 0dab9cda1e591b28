'use strict';
// A document's misspellings as the params of textDocument/publishDiagnostics, written as JSON
// text block by block. A block starts at a line start, so while its text is unchanged (the same
// results array) and it starts on the same line, its diagnostics read the same: their text is
// kept and reused, and after a keystroke in a large document only the edited block's
// diagnostics are written anew.

function diagnostic(word, range, severity) {
  return { range, severity, source: 'spellshell', message: `"${word}" is misspelled`, data: word };
}

class DiagnosticsWriter {
  constructor() {
    this.fragments = new WeakMap(); // block results -> { line, key, json }
  }

  // `shown(word)`: whether a word is shown (not ignored); `key` names what shown() and
  // `severity` depend on: kept fragments written under another key are written anew.
  paramsJson(document, result, { severity, shown, key }) {
    const { starts, results } = result;
    const lines = document.positionsOf(starts);
    const parts = [];
    for (let i = 0; i < starts.length; i++) {
      const misspellings = results[i];
      if (misspellings.length === 0) continue;
      let fragment = this.fragments.get(misspellings);
      if (fragment === undefined || fragment.line !== lines[i].line || fragment.key !== key) {
        const diagnostics = [];
        for (const { start, end, word } of misspellings) {
          if (!shown(word)) continue;
          const range = { start: document.positionAt(starts[i] + start), end: document.positionAt(starts[i] + end) };
          diagnostics.push(JSON.stringify(diagnostic(word, range, severity)));
        }
        fragment = { line: lines[i].line, key, json: diagnostics.join(',') };
        this.fragments.set(misspellings, fragment);
      }
      if (fragment.json !== '') parts.push(fragment.json);
    }
    const version = Number.isInteger(result.version) ? `"version":${result.version},` : '';
    return `{"uri":${JSON.stringify(document.uri)},${version}"diagnostics":[${parts.join(',')}]}`;
  }
}

module.exports = { DiagnosticsWriter, diagnostic };
