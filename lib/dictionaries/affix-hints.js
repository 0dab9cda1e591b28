'use strict';
// What a Hunspell dictionary's .aff file says about the typos of its language, for ranking
// suggestions: REP (spellings confused for their sound: `REP ph f`), MAP (letters that differ
// only by an accent: `MAP eéèêë`) and KEY (the keyboard's rows: `KEY qwertzuiop|asdfghjkl|…`).
// The system service (Windows) has no .aff: its languages get none of these, and Hunspell's
// keyboard.
const fs = require('node:fs');
const path = require('node:path');

// Bounds for a hostile or broken file: real tables hold at most a few hundred entries of a few
// letters each.
const MAX_ENTRIES = 2000;
const MAX_PART = 16;

function decoderFor(text) {
  const set = /^SET[ \t]+(\S+)/m.exec(text);
  const name = set ? set[1].toLowerCase() : 'iso-8859-1';
  try {
    return new TextDecoder(name === 'utf-8' || name === 'utf8' ? 'utf-8' : name.replace(/^iso8859/, 'iso-8859'));
  } catch {
    return new TextDecoder('latin1');
  }
}

// The hints of the .aff text (a Buffer): { rep: [[typed, meant], …], map: [group, …], keys }.
function parseAffixHints(bytes) {
  const text = decoderFor(bytes.toString('latin1')).decode(bytes);
  const rep = [];
  const map = [];
  let keys;
  for (const line of text.split(/\r?\n/)) {
    const fields = line.trim().split(/[ \t]+/);
    if (fields[0] === 'REP' && fields.length >= 3 && rep.length < MAX_ENTRIES) {
      if (fields[1].length <= MAX_PART && fields[2].length <= MAX_PART) rep.push([fields[1], fields[2]]);
    } else if (fields[0] === 'MAP' && fields.length === 2 && !/^\d+$/.test(fields[1]) && map.length < MAX_ENTRIES) {
      // Parenthesised entries are sequences ((ss) for ß): only single letters are used here.
      map.push(fields[1].replace(/\([^)]*\)/g, ''));
    } else if (fields[0] === 'KEY' && fields.length >= 2 && keys === undefined) {
      keys = fields[1].slice(0, 1000);
    }
  }
  return { rep, map, keys };
}

// The hints of a DictionaryInfo's dictionary (none for the system service, or when the file
// cannot be read now).
function affixHints(info) {
  if (info.backend === 'system' || !info.dir) return { rep: [], map: [], keys: undefined };
  try {
    return parseAffixHints(fs.readFileSync(path.join(info.dir, `${info.language}.aff`)));
  } catch {
    return { rep: [], map: [], keys: undefined };
  }
}

module.exports = { affixHints, parseAffixHints };
