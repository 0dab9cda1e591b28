'use strict';
// What a document itself says about its words, read from the format's view of it (see
// lib/formats/prose.js): its directives (directives.js) and the names its code defines
// (own-words.js). The engine applies it to the text it checks; the language server and the
// command line apply the same to a whole document that was checked in pieces.
const { readDirectives, SkipCursor } = require('./directives');
const { ownWords } = require('./own-words');
const { WordList } = require('./word-list');

/**
 * `prose`: the format's { comments, code } for `text`, or null for plain text.
 * Returns { lists, skip, problems, languages }: the WordLists of the document's known words,
 * the source ranges not judged, the unknown directives and the language directives.
 */
function documentWords(text, prose, { directives = true, own = true } = {}) {
  const lists = [];
  let skip = [];
  let problems = [];
  let languages = [];
  const found = readDirectives(text, prose === null ? null : prose.comments);
  // A directive's text is never judged, also where directives are not followed.
  skip = directives ? found.skip : found.texts;
  if (directives) {
    if (found.words.length > 0) lists.push(new WordList(found.words));
    problems = found.problems;
    languages = found.languages;
  }
  if (own && prose !== null) {
    const words = ownWords(text, prose.code);
    if (words !== null) lists.push(words);
  }
  return { lists, skip, problems, languages };
}

module.exports = { documentWords, SkipCursor };
