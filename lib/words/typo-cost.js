'use strict';
// How likely a typo is as a slip for a word: a weighted edit distance (optimal string
// alignment) whose edits cost less the more often people make them. One plain edit (a letter
// dropped, added or replaced) costs 1; the kinds below cost less. The weights were fitted on
// typos seeded into installed documents and on real misspellings (bench/suggestion-quality.js),
// and hold for other languages with their own tables (the dictionary's REP, MAP and KEY).
const COST = {
  edit: 1,
  // Two neighbours typed in the wrong order (teh, recieve).
  swap: 0.6,
  // A letter typed twice, or a double letter typed once (begining, accomodate).
  doubling: 0.35,
  // A key beside the right one on the keyboard (wprd).
  neighbourKey: 0.9,
  // One of the language's own confusions of spelling for sound (Hunspell's REP table: f for ph,
  // ei for ie, ance for ence), as one step.
  phonetic: 0.55,
  // A capital for a small letter or the reverse: cheap as a slip, but Hunspell offers proper
  // names this way (amy → Amy beside may), which are rarely meant.
  letterCase: 0.9,
  // A letter without its accent, or with another one (the dictionary's MAP groups: e for é).
  accent: 0.3,
  // An apostrophe left out or added (dont).
  apostrophe: 0.35,
  // A space or hyphen that splits the typo in two: Hunspell's two-word suggestions are seldom
  // the word meant.
  split: 2,
};

// Hunspell's keyboard when the .aff has no KEY line: the rows of a QWERTY keyboard.
const DEFAULT_KEYS = 'qwertyuiop|asdfghjkl|zxcvbnm';

// Neighbouring keys: within a group of KEY, the characters beside each other (as Hunspell reads
// KEY); between the first three groups, read as the keyboard's rows, each staggered half a key
// right of the one above: the keys above are at the same column and the next, those below at
// the column before and the same.
function keyNeighbours(keys) {
  const rows = keys.split('|').map((row) => [...row]);
  const near = new Map();
  const link = (a, b) => {
    if (a === undefined || b === undefined || a === b) return;
    if (!near.has(a)) near.set(a, new Set());
    near.get(a).add(b);
  };
  rows.forEach((row, r) => {
    row.forEach((key, c) => {
      link(key, row[c - 1]);
      link(key, row[c + 1]);
      if (r < 3 && r > 0) {
        link(key, rows[r - 1][c]);
        link(key, rows[r - 1][c + 1]);
      }
      if (r < 2 && rows[r + 1]) {
        link(key, rows[r + 1][c - 1]);
        link(key, rows[r + 1][c]);
      }
    });
  });
  return near;
}

// hints: { rep: [[typed, meant], …] (REP, with ^ and $ anchors), map: [group, …] (MAP),
// keys: KEY or undefined }.
class TypoCost {
  constructor({ rep = [], map = [], keys } = {}) {
    this.near = keyNeighbours(keys || DEFAULT_KEYS);
    this.accentGroup = new Map();
    map.forEach((group, g) => {
      for (const ch of group) if (!this.accentGroup.has(ch)) this.accentGroup.set(ch, g);
    });
    this.rep = rep
      .map(([typed, meant]) => ({
        atStart: typed.startsWith('^'),
        atEnd: typed.endsWith('$'),
        typed: typed.replace(/^\^/, '').replace(/\$$/, '').replace(/_/g, ' '),
        meant: meant.replace(/^\^/, '').replace(/\$$/, '').replace(/_/g, ' '),
      }))
      .filter((r) => r.typed.length > 0 && r.typed !== r.meant)
      .map((r) => ({ ...r, typedLength: [...r.typed].length, meantChars: [...r.meant] }));
    this.table = new Float64Array(0);
    this.prepared = { typo: null, chars: [], repAt: [] };
  }

  // The typo as code points, and the REP entries whose typed side ends at each of its
  // positions; kept for the next call, since a list's candidates are all scored against the
  // same typo.
  prepare(typo) {
    if (this.prepared.typo === typo) return this.prepared;
    const chars = [...typo];
    const repAt = new Array(chars.length + 1);
    for (const r of this.rep) {
      for (let at = typo.indexOf(r.typed); at >= 0; at = typo.indexOf(r.typed, at + 1)) {
        const end = [...typo.slice(0, at)].length + r.typedLength;
        if (r.atStart && at !== 0) continue;
        if (r.atEnd && end !== chars.length) continue;
        (repAt[end] ??= []).push(r);
      }
    }
    this.prepared = { typo, chars, repAt };
    return this.prepared;
  }

  substitution(a, b) {
    if (a === b) return 0;
    if (a.toLowerCase() === b.toLowerCase()) return COST.letterCase;
    const g = this.accentGroup.get(a);
    if (g !== undefined && g === this.accentGroup.get(b)) return COST.accent;
    if (this.near.get(a)?.has(b)) return COST.neighbourKey;
    return COST.edit;
  }

  // The cost of the letter `s[i]` present in one word and missing from the other.
  static gap(s, i) {
    const ch = s[i];
    if (ch === ' ' || ch === '-') return COST.split;
    if (ch === "'" || ch === '’') return COST.apostrophe;
    if (s[i - 1] === ch || s[i + 1] === ch) return COST.doubling;
    return COST.edit;
  }

  // The cost of typing `typo` for `word` (both as code points; case and accents count).
  cost(typo, word) {
    const { chars: t, repAt } = this.prepare(typo);
    const w = [...word];
    const n = t.length;
    const m = w.length;
    const width = m + 1;
    if (this.table.length < (n + 1) * width) this.table = new Float64Array((n + 1) * width * 2);
    const d = this.table;
    d[0] = 0;
    for (let i = 1; i <= n; i++) d[i * width] = d[(i - 1) * width] + TypoCost.gap(t, i - 1);
    for (let j = 1; j <= m; j++) d[j] = d[j - 1] + TypoCost.gap(w, j - 1);
    for (let i = 1; i <= n; i++) {
      const row = i * width;
      const above = row - width;
      for (let j = 1; j <= m; j++) {
        let best = d[above + j - 1] + this.substitution(t[i - 1], w[j - 1]);
        const drop = d[above + j] + TypoCost.gap(t, i - 1);
        if (drop < best) best = drop;
        const add = d[row + j - 1] + TypoCost.gap(w, j - 1);
        if (add < best) best = add;
        if (i > 1 && j > 1 && t[i - 1] === w[j - 2] && t[i - 2] === w[j - 1] && t[i - 1] !== t[i - 2]) {
          const swap = d[above - width + j - 2] + COST.swap;
          if (swap < best) best = swap;
        }
        const reps = repAt[i];
        if (reps !== undefined) {
          for (const r of reps) {
            const meant = r.meantChars;
            const from = j - meant.length;
            if (from < 0 || (r.atStart && from !== 0) || (r.atEnd && j !== m)) continue;
            let k = 0;
            while (k < meant.length && w[from + k] === meant[k]) k++;
            if (k < meant.length) continue;
            const step = d[(i - r.typedLength) * width + from] + COST.phonetic;
            if (step < best) best = step;
          }
        }
        d[row + j] = best;
      }
    }
    return d[n * width + m];
  }
}

module.exports = { TypoCost, COST, DEFAULT_KEYS };
