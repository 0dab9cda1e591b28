'use strict';
// A corpus of documents that alternate English paragraphs with German or French ones, made from
// Debian's manuals as installed here (nothing of it written here), with typos seeded into it.
//   require('./mixed-corpus').build() -> { documents: [{ name, pair, text, seeded, paragraphs }] }
// Sources: the Debian Reference (debian-reference-en/-de/-fr), the Debian FAQ (debian-faq,
// -de, -fr) and the Developer's Reference (developers-reference, -de, -fr): each page's <p>
// paragraphs in the three languages, code elements kept as Markdown code spans. A document takes
// a page's paragraphs by index, the even ones from the English page and the odd ones from the
// translation, to about DOCUMENT_CHARS characters.
// Seeded into each document's prose words (a word of the paragraph's language, outside code):
//   ordinary typos: one edit (a letter dropped, doubled, added, replaced, two swapped, an accent
//   dropped) that no configured language accepts;
//   cross typos: one such edit whose result the paragraph's language rejects and the other
//   language accepts (order -> oder, détail -> detail): what a union of languages never finds.
const fs = require('node:fs');
const path = require('node:path');
const parse5 = require('parse5');
const { Spellchecker } = require('..');
const { random } = require('./inputs');

const DOCUMENTS_PER_PAIR = Number(process.env.MIXED_DOCUMENTS || 20);
const DOCUMENT_CHARS = 4400;
const ORDINARY_PER_DOCUMENT = 7;
const CROSS_PER_DOCUMENT = 4;
const dictionaryDir = process.env.SPELLSHELL_DICTIONARY_DIR || '/usr/share/hunspell';

// Element classes of DocBook and Sphinx pages that hold code, names of files and commands.
const CODE_CLASS = /(?:^|\s)(?:literal|command|option|filename|varname|parameter|userinput|computeroutput|replaceable|systemitem|package|code|pre|docutils|xref|std)(?:\s|$)/;
const CODE_ELEMENT = new Set(['code', 'tt', 'kbd', 'samp', 'var', 'pre']);

function paragraphsOf(file) {
  const html = fs.readFileSync(file, 'utf8');
  const paragraphs = [];
  const textOf = (node) => {
    if (node.nodeName === '#text') return node.value;
    const cls = node.attrs?.find((a) => a.name === 'class')?.value ?? '';
    const inner = (node.childNodes ?? []).map(textOf).join('');
    if (CODE_ELEMENT.has(node.nodeName) || CODE_CLASS.test(cls)) {
      const code = inner.replace(/\s+/g, ' ').replace(/`/g, "'").trim();
      return code === '' ? '' : ` \`${code}\` `;
    }
    return inner;
  };
  const visit = (node) => {
    if (node.nodeName === 'p') {
      const text = textOf(node).replace(/\s+/g, ' ').replace(/ ([,.;:)]) /g, '$1 ').trim();
      if (text.length >= 80 && /\p{Ll}{3}/u.test(text)) paragraphs.push(text);
      return;
    }
    for (const child of node.childNodes ?? []) visit(child);
  };
  visit(parse5.parse(html));
  return paragraphs;
}

// Whether a paragraph of a translation is one of the English page's, or most of its words are.
function untranslated(paragraph, english) {
  const words = (text) => new Set(text.toLowerCase().match(/\p{L}{3,}/gu) ?? []);
  const own = words(paragraph);
  return english.some((original) => {
    const theirs = words(original);
    let shared = 0;
    for (const word of own) if (theirs.has(word)) shared++;
    return shared >= 0.5 * own.size;
  });
}

// [english file, translation file] pairs of the same page.
function pages(other) {
  const pairs = [];
  const reference = '/usr/share/debian-reference';
  if (fs.existsSync(reference)) {
    for (const name of fs.readdirSync(reference).sort()) {
      const match = /^(.*)\.en\.html$/.exec(name);
      if (match && fs.existsSync(path.join(reference, `${match[1]}.${other}.html`))) {
        pairs.push([path.join(reference, name), path.join(reference, `${match[1]}.${other}.html`)]);
      }
    }
  }
  const faq = '/usr/share/doc/debian/FAQ';
  if (fs.existsSync(path.join(faq, other))) {
    for (const name of fs.readdirSync(faq).sort()) {
      const match = /^(.*)\.en\.html$/.exec(name);
      if (match && fs.existsSync(path.join(faq, other, `${match[1]}.${other}.html`))) {
        pairs.push([path.join(faq, name), path.join(faq, other, `${match[1]}.${other}.html`)]);
      }
    }
  }
  const developers = '/usr/share/developers-reference';
  if (fs.existsSync(path.join(developers, other))) {
    for (const name of fs.readdirSync(developers).sort()) {
      if (name.endsWith('.html') && fs.existsSync(path.join(developers, other, name))) {
        pairs.push([path.join(developers, name), path.join(developers, other, name)]);
      }
    }
  }
  return pairs;
}

const LOWER = 'abcdefghijklmnopqrstuvwxyz';
const ACCENTED = { de: 'äöüß', fr: 'éèêëàâîïôûùç' };
const STRIP = { ä: 'a', ö: 'o', ü: 'u', ß: 's', é: 'e', è: 'e', ê: 'e', ë: 'e', à: 'a', â: 'a', î: 'i', ï: 'i', ô: 'o', û: 'u', ù: 'u', ç: 'c' };

// Every word one edit away: deletions, transpositions, replacements, insertions, accents dropped.
function edits(word, letters) {
  const out = new Set();
  for (let i = 0; i <= word.length; i++) {
    if (i < word.length) out.add(word.slice(0, i) + word.slice(i + 1));
    if (i + 1 < word.length) out.add(word.slice(0, i) + word[i + 1] + word[i] + word.slice(i + 2));
    for (const c of letters) {
      if (i < word.length) out.add(word.slice(0, i) + c + word.slice(i + 1));
      out.add(word.slice(0, i) + c + word.slice(i));
    }
    if (i < word.length && STRIP[word[i]]) out.add(word.slice(0, i) + STRIP[word[i]] + word.slice(i + 1));
  }
  out.delete(word);
  return [...out].filter((w) => w.length >= 2);
}

// The words of a paragraph outside code spans: [start, end] within it.
function proseWordsOf(paragraph) {
  const found = [];
  const code = [];
  for (const m of paragraph.matchAll(/`[^`]*`/g)) code.push([m.index, m.index + m[0].length]);
  for (const m of paragraph.matchAll(/\p{L}+/gu)) {
    const start = m.index;
    const end = start + m[0].length;
    if (code.some(([a, b]) => start < b && end > a)) continue;
    const before = paragraph[start - 1] ?? ' ';
    const after = paragraph[end] ?? ' ';
    if (/[\w'’./\\@-]/.test(before) || /[\w'’/\\@-]/.test(after)) continue; // not a plain word
    found.push([start, end]);
  }
  return found;
}

function build({ pairs = ['de', 'fr'] } = {}) {
  const checkers = {};
  const checker = (language) => {
    if (!checkers[language]) {
      const c = new Spellchecker(true);
      if (!c.setDictionary(language, dictionaryDir)) throw new Error(`no ${language} dictionary in ${dictionaryDir}`);
      checkers[language] = c;
    }
    return checkers[language];
  };
  const LANG = { en: 'en_US', de: 'de_DE', fr: 'fr_FR' };
  const documents = [];
  for (const other of pairs) {
    const rand = random(`mixed-${other}`);
    const languages = ['en', other];
    const sources = pages(other).map(([en, tr]) => [paragraphsOf(en), paragraphsOf(tr), en]).filter(([a, b]) => a.length >= 4 && b.length >= 4);
    let made = 0;
    for (let round = 0; made < DOCUMENTS_PER_PAIR && round < 20; round++) {
      for (const [english, translated, source] of sources) {
        if (made >= DOCUMENTS_PER_PAIR) break;
        const count = Math.min(english.length, translated.length);
        const from = Math.floor(rand() * Math.max(1, count - 8));
        const paragraphs = [];
        let size = 0;
        for (let i = from; i < count && size < DOCUMENT_CHARS; i++) {
          const language = (i - from) % 2 === 0 ? 'en' : other;
          // Translations leave some paragraphs in English: those would be English, not German.
          if (language !== 'en' && untranslated(translated[i], english)) continue;
          const text = language === 'en' ? english[i] : translated[i];
          paragraphs.push({ language: LANG[language], text });
          size += text.length + 2;
        }
        if (paragraphs.length < 4 || size < DOCUMENT_CHARS / 2) continue;
        const clean = paragraphs.map((p) => p.text).join('\n\n');
        // Seeds: per paragraph the words of its language, outside code, picked at random.
        const seeded = [];
        const texts = paragraphs.map((p) => p.text);
        const seed = (kind, wanted) => {
          for (let tries = 0; seeded.filter((s) => s.kind === kind).length < wanted && tries < 400; tries++) {
            const p = Math.floor(rand() * paragraphs.length);
            const own = paragraphs[p].language;
            const otherLanguage = own === 'en_US' ? LANG[other] : 'en_US';
            const words = proseWordsOf(texts[p]);
            if (words.length === 0) continue;
            const [start, end] = words[Math.floor(rand() * words.length)];
            const word = texts[p].slice(start, end);
            if (word.length < 2 || word !== word.toLowerCase() && word !== word[0] + word.slice(1).toLowerCase()) continue;
            if (seeded.some((s) => s.paragraph === p && s.start < end + 2 && s.end > start - 2)) continue;
            if (checker(own).isMisspelled(word)) continue;
            const letters = LOWER + (ACCENTED[own.slice(0, 2)] ?? '') + (kind === 'cross' ? ACCENTED[otherLanguage.slice(0, 2)] ?? '' : '');
            const candidates = edits(word, letters).filter((w) => {
              // A letter before a capital makes an identifier (iPhone, eBay), which is not judged.
              if (/\p{Ll}\p{Lu}/u.test(w)) return false;
              if (!checker(own).isMisspelled(w)) return false;
              const otherAccepts = !checker(otherLanguage).isMisspelled(w);
              return kind === 'cross' ? otherAccepts : !otherAccepts;
            });
            if (candidates.length === 0) continue;
            const typo = candidates[Math.floor(rand() * candidates.length)];
            texts[p] = texts[p].slice(0, start) + typo + texts[p].slice(end);
            const delta = typo.length - word.length;
            for (const s of seeded) {
              if (s.paragraph !== p || s.start < start) continue;
              s.start += delta;
              s.end += delta;
            }
            seeded.push({ kind, paragraph: p, start, end: start + typo.length, word, typo, language: own });
          }
        };
        seed('cross', CROSS_PER_DOCUMENT);
        seed('ordinary', ORDINARY_PER_DOCUMENT);
        // Offsets into the whole document.
        const starts = [];
        let at = 0;
        for (const t of texts) {
          starts.push(at);
          at += t.length + 2;
        }
        for (const s of seeded) {
          s.start += starts[s.paragraph];
          s.end += starts[s.paragraph];
        }
        const text = texts.join('\n\n');
        for (const s of seeded) if (text.slice(s.start, s.end) !== s.typo) throw new Error(`seed misplaced in document ${made}`);
        documents.push({ name: `${other}-${String(made).padStart(2, '0')}-${path.basename(source).replace(/\.html$/, '')}`, pair: ['en_US', LANG[other]], clean, text, seeded, paragraphs });
        made++;
      }
    }
  }
  return { documents };
}

module.exports = { build, edits, paragraphsOf };
