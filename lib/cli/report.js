'use strict';
// How findings are printed: per misspelling as FILE:LINE:COLUMN (text), one JSON object per line
// (json), or GitHub Actions annotations (github); with `unique`, each word once, at the end,
// with its count and first place.

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

module.exports = { REPORTERS };
