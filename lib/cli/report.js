'use strict';
// How findings are printed: per misspelling as FILE:LINE:COLUMN (text), one JSON object per line
// (json), GitHub Actions annotations (github), or results of one SARIF 2.1.0 log (sarif); with
// `unique`, each word once, at the end, with its count and first place.
const path = require('node:path');
const { pathToFileURL } = require('node:url');

// GitHub's workflow commands escape %, CR and LF in the message, and also : and , in properties.
const escapeData = (s) => s.replace(/%/g, '%25').replace(/\r/g, '%0D').replace(/\n/g, '%0A');
const escapeProperty = (s) => escapeData(s).replace(/:/g, '%3A').replace(/,/g, '%2C');

const times = (count) => (count === 1 ? 'once' : `${count} times`);

// One finding: { name, line, column, word, language?, suggestions, count? } -> one line (language:
// the one that judged the word, where several are on).
const REPORTERS = {
  text({ name, line, column, word, suggestions, count }) {
    const counted = count === undefined ? '' : ` (${times(count)})`;
    return `${name}:${line}:${column}: ${word}${counted}${suggestions.length ? ` -> ${suggestions.join(', ')}` : ''}`;
  },
  json({ name, line, column, word, language, suggestions, count }) {
    const entry = { file: name, line, column, word };
    if (language !== undefined) entry.language = language;
    entry.suggestions = suggestions;
    if (count !== undefined) entry.count = count;
    return JSON.stringify(entry);
  },
  github({ name, line, column, word, suggestions, count }) {
    // Annotations name files from the repository's root, with forward slashes.
    const file = escapeProperty(name.replace(/\\/g, '/'));
    const counted = count === undefined ? '' : ` (${times(count)})`;
    const hint = suggestions.length ? `; suggestions: ${suggestions.join(', ')}` : '';
    return `::warning file=${file},line=${line},col=${column},title=Spelling::${escapeData(`Misspelled word "${word}"${counted}${hint}`)}`;
  },
};

// The one rule every result is of.
const RULE = {
  id: 'misspelled-word',
  name: 'MisspelledWord',
  shortDescription: { text: 'Misspelled word' },
  fullDescription: { text: 'A word that no dictionary of the run\'s languages accepts, and that is in no personal or project word list.' },
  help: { text: 'Correct the word, or add it to "words" in the project\'s .spellshell.json.' },
  defaultConfiguration: { level: 'warning' },
};

// A SARIF 2.1.0 log written in pieces: `head`, then `result(finding)` for each finding (the
// caller puts the commas between them), then `tail`. Files are named relative to the current
// folder (uriBaseId SRCROOT), as code scanning expects paths from the repository's root; columns
// count UTF-16 units, as in the other reporters.
function sarifLog({ version, cwd }) {
  const head = `{"$schema":"https://json.schemastore.org/sarif-2.1.0.json","version":"2.1.0","runs":[{${[
    `"tool":${JSON.stringify({ driver: { name: 'spellshell', version, rules: [RULE] } })}`,
    `"originalUriBaseIds":${JSON.stringify({ SRCROOT: { uri: pathToFileURL(cwd.endsWith(path.sep) ? cwd : cwd + path.sep).href } })}`,
    '"columnKind":"utf16CodeUnits"',
  ].join(',')},"results":[\n`;
  const tail = ']}]}\n';
  const artifactOf = (file) => {
    if (file === '-') return { description: { text: 'standard input' } };
    const relative = path.relative(cwd, file).split(path.sep);
    if (path.isAbsolute(relative.join('/'))) return { uri: pathToFileURL(file).href };
    return { uri: relative.map(encodeURIComponent).join('/'), uriBaseId: 'SRCROOT' };
  };
  const result = ({ file, line, column, word, span, language, suggestions, count }) => {
    const artifactLocation = artifactOf(file);
    const region = { startLine: line, startColumn: column, endLine: line, endColumn: column + (span ?? word.length) };
    const counted = count === undefined ? '' : ` (${times(count)})`;
    const hint = suggestions.length ? `; suggestions: ${suggestions.join(', ')}` : '';
    const entry = {
      ruleId: RULE.id,
      ruleIndex: 0,
      level: 'warning',
      message: { text: `Misspelled word "${word}"${counted}${hint}` },
      locations: [{ physicalLocation: { artifactLocation, region } }],
    };
    // Where several languages are on, the one that judged the word.
    if (language !== undefined) entry.properties = { language };
    if (suggestions.length) {
      entry.fixes = suggestions.map((suggestion) => ({
        description: { text: `Replace with "${suggestion}"` },
        artifactChanges: [{ artifactLocation, replacements: [{ deletedRegion: region, insertedContent: { text: suggestion } }] }],
      }));
    }
    return JSON.stringify(entry);
  };
  return { head, result, tail };
}

module.exports = { REPORTERS, sarifLog };
