'use strict';
// The quick fixes for misspellings: replace the word with each suggestion, add it to the
// personal word list or to the project's, or ignore it in this document. The three last are
// commands the server runs (workspace/executeCommand).

const COMMANDS = {
  addToPersonal: 'spellshell.addToPersonalDictionary',
  addToProject: 'spellshell.addToProjectWords',
  ignore: 'spellshell.ignoreInDocument',
};

// The edit replacing `range` by `newText`, with the document's version when the client takes
// versioned edits (then a stale fix is refused rather than applied to other text).
function replaceEdit(uri, version, range, newText, versioned) {
  const edits = [{ range, newText }];
  return versioned ? { documentChanges: [{ textDocument: { uri, version }, edits }] } : { changes: { [uri]: edits } };
}

// `misspelled`: [{ diagnostic, word, range, current, language }] (current: the word is still at
// its range, so it can be replaced; language: the one that judged it, or undefined);
// `suggestionsOf(word, language)` -> Promise<string[]>; `project`: whether a project word list
// can take the word; `directives`: { ignoreInFile(word), ignoreLine(range) } giving the
// { range, newText } of the directive edits, or none.
async function codeActions({ uri, version, misspelled, suggestionsOf, project, versioned, directives = null }) {
  const actions = [];
  const seen = new Set();
  for (const { diagnostic, word, range, current, language } of misspelled) {
    const diagnostics = [diagnostic];
    const suggestions = current ? await suggestionsOf(word, language) : [];
    suggestions.forEach((suggestion, i) => actions.push({
      title: `Replace with "${suggestion}"`,
      kind: 'quickfix',
      diagnostics,
      isPreferred: i === 0 && misspelled.length === 1,
      edit: replaceEdit(uri, version, range, suggestion, versioned),
    }));
    if (seen.has(word)) continue;
    seen.add(word);
    const command = (title, name, args) => actions.push({ title, kind: 'quickfix', diagnostics, command: { title, command: name, arguments: args } });
    command(`Add "${word}" to the personal dictionary`, COMMANDS.addToPersonal, [uri, word]);
    if (project) command(`Add "${word}" to the project's word list`, COMMANDS.addToProject, [uri, word]);
    command(`Ignore "${word}" in this document`, COMMANDS.ignore, [uri, word]);
    if (directives !== null) {
      const edit = (title, { range: at, newText }) => actions.push({ title, kind: 'quickfix', diagnostics, edit: replaceEdit(uri, version, at, newText, versioned) });
      edit(`Ignore "${word}" in this file (spellshell:ignore)`, directives.ignoreInFile(word));
      edit('Ignore this line (spellshell:disable-next-line)', directives.ignoreLine(range));
    }
  }
  return actions;
}

module.exports = { codeActions, COMMANDS };
