'use strict';
// The server's settings (section `spellshell` of the editor's configuration, or the
// initialization options), checked: a value of the wrong kind is left out with a warning, so
// that one typo in a user's configuration does not stop the checking.
const os = require('node:os');
const path = require('node:path');
const { FORMATS } = require('../formats');
const { VOCABULARIES } = require('../words/vocabularies');

const SEVERITIES = { error: 1, warning: 2, information: 3, info: 3, hint: 4 };

const DEFAULTS = Object.freeze({
  languages: null, // the locale's language
  personalDictionary: undefined, // the per-user word list
  dictionaryDirs: [],
  severity: SEVERITIES.information,
  formats: {},
  suggestions: 5,
  anyLanguage: false, // with several languages: the union instead of each paragraph's own
  vocabularies: true, // by the document's language id
});

const isObject = (value) => value !== null && typeof value === 'object' && !Array.isArray(value);
const isStringArray = (value) => Array.isArray(value) && value.every((item) => typeof item === 'string' && item !== '');

// `~` and `~/…` name the home folder, as users write them in editor configurations.
function expandHome(file, home = os.homedir()) {
  return file === '~' ? home : /^~[\\/]/.test(file) ? path.join(home, file.slice(2)) : file;
}

// The `spellshell` object of `raw`, when `raw` is a whole configuration that holds one.
function sectionOf(raw) {
  if (!isObject(raw)) return undefined;
  return isObject(raw.spellshell) ? raw.spellshell : raw;
}

// Returns { settings, warnings }.
function readSettings(raw) {
  const settings = { ...DEFAULTS, formats: {} };
  const warnings = [];
  const section = sectionOf(raw);
  if (section === undefined) return { settings, warnings };
  const wrong = (key, what) => warnings.push(`spellshell.${key} must be ${what}; it is left out`);

  const { languages, personalDictionary, dictionaryDirs, severity, formats, suggestions, anyLanguage, vocabularies } = section;
  if (typeof languages === 'string' && languages.trim() !== '') settings.languages = languages.split(',').map((l) => l.trim()).filter(Boolean);
  else if (isStringArray(languages) && languages.length > 0) settings.languages = [...languages];
  else if (languages !== undefined && languages !== null) wrong('languages', 'a non-empty array of language names');

  // null or "" turns the personal word list off: added words last until the server ends.
  if (personalDictionary === null || personalDictionary === '') settings.personalDictionary = null;
  else if (typeof personalDictionary === 'string' && !personalDictionary.includes('\0')) settings.personalDictionary = expandHome(personalDictionary);
  else if (personalDictionary !== undefined) wrong('personalDictionary', 'a file path, or null');

  if (isStringArray(dictionaryDirs)) settings.dictionaryDirs = dictionaryDirs.map((dir) => expandHome(dir));
  else if (dictionaryDirs !== undefined) wrong('dictionaryDirs', 'an array of folders');

  if (typeof severity === 'string' && SEVERITIES[severity.toLowerCase()]) settings.severity = SEVERITIES[severity.toLowerCase()];
  else if (Number.isInteger(severity) && severity >= 1 && severity <= 4) settings.severity = severity;
  else if (severity !== undefined) wrong('severity', '"error", "warning", "information" or "hint"');

  if (isObject(formats)) {
    for (const [languageId, format] of Object.entries(formats)) {
      if (FORMATS.includes(format)) settings.formats[languageId] = format;
      else warnings.push(`spellshell.formats.${languageId}: "${format}" is not a format (${FORMATS.join(', ')}); it is left out`);
    }
  } else if (formats !== undefined) wrong('formats', 'an object of formats by language id');

  if (Number.isInteger(suggestions) && suggestions >= 0) settings.suggestions = suggestions;
  else if (suggestions !== undefined) wrong('suggestions', 'a whole number');

  if (typeof anyLanguage === 'boolean') settings.anyLanguage = anyLanguage;
  else if (anyLanguage !== undefined && anyLanguage !== null) wrong('anyLanguage', 'true or false');
  if (typeof vocabularies === 'boolean') settings.vocabularies = vocabularies;
  else if (Array.isArray(vocabularies) && vocabularies.every((name) => VOCABULARIES.includes(name))) settings.vocabularies = [...vocabularies];
  else if (vocabularies !== undefined) wrong('vocabularies', `true, false or an array of vocabulary names (${VOCABULARIES.join(', ')})`);
  return { settings, warnings };
}

module.exports = { readSettings, sectionOf };
