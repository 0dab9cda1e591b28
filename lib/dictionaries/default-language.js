'use strict';
// The language a user who names none most likely writes in: the command line's and the language
// server's default.
const { findDictionaries } = require('./find-dictionaries');

// The language of the user's locale (LC_ALL, LC_MESSAGES, then LANG), when a dictionary has it;
// otherwise en_US.
function defaultLanguage(env, dirs) {
  const locale = env.LC_ALL || env.LC_MESSAGES || env.LANG || '';
  const language = locale.split(/[.@]/)[0];
  if (language === '' || language === 'C' || language === 'POSIX') return 'en_US';
  const known = findDictionaries({ dirs }).some((d) => d.language.toLowerCase() === language.replace(/-/g, '_').toLowerCase());
  return known ? language : 'en_US';
}

module.exports = { defaultLanguage };
