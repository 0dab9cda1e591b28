'use strict';
// A document's misspellings as the params of textDocument/publishDiagnostics, written as JSON
// text block by block. A block starts at a line start, so while its text is unchanged (the same
// results array: an unchanged block keeps its array from check to check) and it starts on the
// same line, its diagnostics read the same: their text is kept and reused. So is the text of
// each group of GROUP blocks, so that after a keystroke in a large document only the edited
// block's group is written anew, and the rest is a join of a few dozen strings.

// Blocks per group: a 1 MB document has some 4000 blocks, so about 60 groups.
const GROUP = 64;

// `language`: the language that judged the word, where several are on; it is named in the
// message, and kept with the word in `data` for the quick fixes (its corrections first).
function diagnostic(word, range, severity, language) {
  if (language === undefined) return { range, severity, source: 'spellshell', message: `"${word}" is misspelled`, data: word };
  return { range, severity, source: 'spellshell', message: `"${word}" is misspelled (${language})`, data: { word, language } };
}

function sameArrays(kept, results, from) {
  for (let i = 0; i < kept.length; i++) if (kept[i] !== results[from + i]) return false;
  return true;
}

class DiagnosticsWriter {
  constructor() {
    this.fragments = new WeakMap(); // block results -> { line, key, json }
    this.groups = []; // by group: { key, line, results (the blocks' arrays), json }
  }

  // `shown(word, offset)`: whether a word is shown (not ignored); `key` names what shown() and
  // `severity` depend on: kept text written under another key is written anew.
  // `extra`: more diagnostics (objects), after the misspellings.
  paramsJson(document, result, { severity, shown, key, extra = [] }) {
    const { starts, results } = result;
    const parts = [];
    const groups = [];
    for (let from = 0; from < starts.length; from += GROUP) {
      const to = Math.min(from + GROUP, starts.length);
      const line = document.positionAt(starts[from]).line;
      let group = this.groups[groups.length];
      if (!group || group.key !== key || group.line !== line || group.results.length !== to - from || !sameArrays(group.results, results, from)) {
        const json = [];
        for (let i = from; i < to; i++) {
          const fragment = this.blockJson(document, starts[i], results[i], { severity, shown, key });
          if (fragment !== '') json.push(fragment);
        }
        group = { key, line, results: results.slice(from, to), json: json.join(',') };
      }
      groups.push(group);
      if (group.json !== '') parts.push(group.json);
    }
    this.groups = groups;
    for (const more of extra) parts.push(JSON.stringify(more));
    const version = Number.isInteger(result.version) ? `"version":${result.version},` : '';
    return `{"uri":${JSON.stringify(document.uri)},${version}"diagnostics":[${parts.join(',')}]}`;
  }

  blockJson(document, start, misspellings, { severity, shown, key }) {
    if (misspellings.length === 0) return '';
    const line = document.positionAt(start).line;
    let fragment = this.fragments.get(misspellings);
    if (fragment === undefined || fragment.line !== line || fragment.key !== key) {
      const diagnostics = [];
      for (const m of misspellings) {
        if (!shown(m.word, start + m.start)) continue;
        const range = { start: document.positionAt(start + m.start), end: document.positionAt(start + m.end) };
        diagnostics.push(JSON.stringify(diagnostic(m.word, range, severity, m.language)));
      }
      fragment = { line, key, json: diagnostics.join(',') };
      this.fragments.set(misspellings, fragment);
    }
    return fragment.json;
  }
}

module.exports = { DiagnosticsWriter, diagnostic };
