'use strict';
// Language names as callers write them (`en-US`, `en_us`, `de`) matched against the languages
// that dictionaries are named after (`en_US`, `de_DE`).

// Bare languages whose main locale is not `ll_LL`. A Map: a name such as "constructor" must
// not find what an object's prototype holds.
const MAIN_LOCALE = new Map([
  ['en', 'en_US'],
  ['sv', 'sv_SE'],
  ['da', 'da_DK'],
  ['nb', 'nb_NO'],
  ['el', 'el_GR'],
  ['cs', 'cs_CZ'],
  ['uk', 'uk_UA'],
]);

const folded = (name) => name.replace(/-/g, '_').toLowerCase();

// The entry of `candidates` (objects with a `language`) named exactly `wanted` with `-` read as
// `_`, else the first named so case-insensitively.
function findNamed(candidates, wanted) {
  const underscored = wanted.replace(/-/g, '_');
  const exact = candidates.find((c) => c.language === underscored);
  if (exact) return exact;
  const key = folded(wanted);
  return candidates.find((c) => folded(c.language) === key);
}

// The entry of `candidates` that `name` means, or undefined. `candidates` must be sorted by
// language, so that "the first ll_*" is the first in code-unit order.
function resolveLanguage(name, candidates) {
  if (/[-_]/.test(name)) return findNamed(candidates, name);
  const bare = name.toLowerCase();
  const preferred = [`${bare}_${bare.toUpperCase()}`, MAIN_LOCALE.get(bare), bare].filter(Boolean);
  for (const wanted of preferred) {
    const found = findNamed(candidates, wanted);
    if (found) return found;
  }
  return candidates.find((c) => folded(c.language).startsWith(`${bare}_`));
}

module.exports = { resolveLanguage };
