'use strict';
// The argument checks of the public API, each a TypeError whose message names the argument.
const { VOCABULARIES } = require('../words/vocabularies');

const isPlainObject = (value) => value !== null && typeof value === 'object' && !Array.isArray(value);

function options(value, name = 'options') {
  if (value === undefined) return {};
  if (!isPlainObject(value)) throw new TypeError(`${name} must be an object`);
  return value;
}

function languages(value) {
  if (!Array.isArray(value) || value.length === 0 || !value.every((name) => typeof name === 'string' && name !== '')) {
    throw new TypeError('languages must be a non-empty array of strings');
  }
  return [...value];
}

function stringArray(value, name) {
  if (value === undefined) return [];
  if (!Array.isArray(value) || !value.every((item) => typeof item === 'string')) {
    throw new TypeError(`${name} must be an array of strings`);
  }
  return [...value];
}

// Whitespace, control characters and NUL cannot be part of one word; nor can a lone surrogate,
// which the file would store as U+FFFD while the service kept the original. (In u mode the class
// matches only unpaired surrogates.)
function word(value) {
  if (typeof value !== 'string' || value === '' || /[\s\u0000-\u001f\u007f]/.test(value) || /[\uD800-\uDFFF]/u.test(value)) {
    throw new TypeError('word must be a single word');
  }
  return value;
}

function count(value, name, fallback) {
  if (value === undefined) return fallback;
  if (!Number.isSafeInteger(value) || value < 0) throw new TypeError(`${name} must be a non-negative integer`);
  return value;
}

function positive(value, name, fallback) {
  if (value === undefined) return fallback;
  if (!Number.isSafeInteger(value) || value < 1) throw new TypeError(`${name} must be a positive integer`);
  return value;
}

// Milliseconds, or undefined for no limit.
function timeout(value) {
  if (value === undefined) return undefined;
  if (typeof value !== 'number' || !(value >= 0)) throw new TypeError('timeout must be a non-negative number');
  return value;
}

// Any object shaped like an AbortSignal will do (another realm's, a polyfill's), as the types
// promise: the service reads only these members.
function signal(value) {
  if (value === undefined) return undefined;
  if (value instanceof AbortSignal) return value;
  if (value === null || typeof value !== 'object' || typeof value.aborted !== 'boolean'
    || typeof value.addEventListener !== 'function' || typeof value.removeEventListener !== 'function') {
    throw new TypeError('signal must be an AbortSignal');
  }
  return value;
}

function oneOf(value, name, allowed, fallback) {
  if (value === undefined) return fallback;
  if (!allowed.includes(value)) throw new TypeError(`${name} must be ${allowed.map((a) => `"${a}"`).join(', ').replace(/, ([^,]*)$/, ' or $1')}`);
  return value;
}

function boolean(value, name, fallback) {
  if (value === undefined) return fallback;
  if (typeof value !== 'boolean') throw new TypeError(`${name} must be a boolean`);
  return value;
}

function filePath(value, name) {
  if (value === undefined) return undefined;
  if (typeof value !== 'string' || value === '' || value.includes('\0')) throw new TypeError(`${name} must be a file path`);
  return value;
}

// true (the lists for what is checked), false (none), or an array of vocabulary names.
function vocabularies(value, fallback) {
  if (value === undefined) return fallback;
  if (typeof value === 'boolean') return value;
  if (!Array.isArray(value) || !value.every((name) => VOCABULARIES.includes(name))) {
    throw new TypeError(`vocabularies must be true, false or an array of vocabulary names (${VOCABULARIES.join(', ')})`);
  }
  return [...new Set(value)];
}

module.exports = { vocabularies, options, languages, stringArray, word, count, positive, timeout, signal, oneOf, boolean, filePath };
