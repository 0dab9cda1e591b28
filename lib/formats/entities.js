'use strict';
// Character references (`&eacute;`, `&#233;`, `&#xE9;`) as HTML and Markdown write them: what a
// reference reads as, so that `caf&eacute;` is judged as `café`.
//
// The names known are HTML 4's (Latin-1, symbols, Greek, punctuation) and every Latin letter
// with a diacritic that HTML names by its base letter and the mark (`scaron`, `gcedil`,
// `iogon`). Of HTML's two thousand others, nearly all name mathematical symbols: a reference to
// one of them is known to be one (a separator, never a word), only not what it reads as.

// U+00A0 to U+00FF in order: the names HTML decodes even without their `;` (in text).
const LATIN_1 = ('nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3 acute micro '
  + 'para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave '
  + 'Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc '
  + 'Uuml Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc '
  + 'iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml').split(' ');

// name:code point, HTML 4's symbols and special characters, and the Latin letters that no
// mark makes.
const OTHERS = ('quot:34 amp:38 apos:39 lt:60 gt:62 QUOT:34 AMP:38 LT:60 GT:62 COPY:169 REG:174 '
  + 'OElig:338 oelig:339 Yuml:376 fnof:402 circ:710 tilde:732 ensp:8194 emsp:8195 thinsp:8201 zwnj:8204 zwj:8205 lrm:8206 '
  + 'rlm:8207 ndash:8211 mdash:8212 lsquo:8216 rsquo:8217 rsquor:8217 sbquo:8218 ldquo:8220 rdquo:8221 bdquo:8222 '
  + 'dagger:8224 Dagger:8225 bull:8226 hellip:8230 permil:8240 prime:8242 Prime:8243 lsaquo:8249 rsaquo:8250 oline:8254 '
  + 'frasl:8260 euro:8364 image:8465 weierp:8472 real:8476 trade:8482 alefsym:8501 larr:8592 uarr:8593 rarr:8594 '
  + 'darr:8595 harr:8596 crarr:8629 lArr:8656 uArr:8657 rArr:8658 dArr:8659 hArr:8660 forall:8704 part:8706 exist:8707 '
  + 'empty:8709 nabla:8711 isin:8712 notin:8713 ni:8715 prod:8719 sum:8721 minus:8722 lowast:8727 radic:8730 prop:8733 '
  + 'infin:8734 ang:8736 and:8743 or:8744 cap:8745 cup:8746 int:8747 there4:8756 sim:8764 cong:8773 asymp:8776 ne:8800 '
  + 'equiv:8801 le:8804 ge:8805 sub:8834 sup:8835 nsub:8836 sube:8838 supe:8839 oplus:8853 otimes:8855 perp:8869 '
  + 'sdot:8901 lceil:8968 rceil:8969 lfloor:8970 rfloor:8971 loz:9674 spades:9824 clubs:9827 hearts:9829 diams:9830 '
  + 'thetasym:977 upsih:978 piv:982 sigmaf:962 lstrok:322 Lstrok:321 dstrok:273 Dstrok:272 hstrok:295 Hstrok:294 '
  + 'tstrok:359 Tstrok:358 inodot:305 imath:305 ijlig:307 IJlig:306 eng:331 ENG:330 kgreen:312 napos:329 lmidot:320 '
  + 'Lmidot:319 dash:8208 hyphen:8208 horbar:8213 tab:9 newline:10 NewLine:10 nbsp:160 NonBreakingSpace:160 '
  + 'colon:58 comma:44 period:46 excl:33 quest:63 semi:59 num:35 dollar:36 percnt:37 lpar:40 rpar:41 ast:42 plus:43 '
  + 'sol:47 bsol:92 equals:61 commat:64 lsqb:91 rsqb:93 lbrack:91 rbrack:93 lcub:123 rcub:125 lbrace:123 rbrace:125 '
  + 'verbar:124 vert:124 grave:96 lowbar:95 Hat:94 half:189 centerdot:183 middot:183 check:10003 cross:10007 star:9734 '
  + 'starf:9733 larrb:8676 rarrb:8677 nbhy:8209 ZeroWidthSpace:8203 InvisibleTimes:8290 ic:8291 it:8290').split(' ');

// The marks HTML's names end in, as combining characters.
const MARKS = {
  acute: '\u0301', grave: '\u0300', circ: '\u0302', tilde: '\u0303', uml: '\u0308', ring: '\u030A', cedil: '\u0327',
  caron: '\u030C', macr: '\u0304', breve: '\u0306', ogon: '\u0328', dot: '\u0307', dblac: '\u030B',
};
const MARKED_LETTER = /^([A-Za-z])(acute|grave|circ|tilde|uml|ring|cedil|caron|macr|breve|ogon|dot|dblac)$/;

const GREEK = 'Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa Lambda Mu Nu Xi Omicron Pi Rho _ Sigma Tau Upsilon Phi Chi Psi Omega'.split(' ');

const NAMES = new Map();
LATIN_1.forEach((name, i) => NAMES.set(name, String.fromCharCode(0xa0 + i)));
for (const pair of OTHERS) {
  const [name, code] = pair.split(':');
  NAMES.set(name, String.fromCodePoint(Number(code)));
}
GREEK.forEach((name, i) => {
  if (name === '_') return; // U+03A2 is unassigned
  NAMES.set(name, String.fromCharCode(0x391 + i));
  NAMES.set(name.toLowerCase(), String.fromCharCode(0x3b1 + i));
});

// The names decoded without their `;` in HTML text: Latin-1's, and the few in capitals.
const LEGACY = new Set([...LATIN_1, 'amp', 'lt', 'gt', 'quot', 'AMP', 'LT', 'GT', 'QUOT', 'COPY', 'REG']);

// What HTML reads the code points 0x80 to 0x9F as (Windows-1252, which old pages meant), for
// the ones that are letters or quotation marks; 0 and the surrogates read as U+FFFD.
const WINDOWS_1252 = { 0x80: 0x20ac, 0x82: 0x201a, 0x84: 0x201e, 0x85: 0x2026, 0x8a: 0x160, 0x8c: 0x152, 0x8e: 0x17d,
  0x91: 0x2018, 0x92: 0x2019, 0x93: 0x201c, 0x94: 0x201d, 0x96: 0x2013, 0x97: 0x2014, 0x99: 0x2122, 0x9a: 0x161,
  0x9c: 0x153, 0x9e: 0x17e, 0x9f: 0x178 };

// What the named reference `name` (without & and ;) reads as; '' for a name that has the shape
// of one but is not known here; undefined for none at all.
function named(name) {
  const known = NAMES.get(name);
  if (known !== undefined) return known;
  const marked = MARKED_LETTER.exec(name);
  if (marked !== null) {
    const letter = (marked[1] + MARKS[marked[2]]).normalize('NFC');
    if (letter.length === 1) return letter;
  }
  return '';
}

function numeric(digits, hex) {
  let code = parseInt(digits, hex ? 16 : 10);
  if (code === 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) code = 0xfffd;
  else if (WINDOWS_1252[code] !== undefined) code = WINDOWS_1252[code];
  return String.fromCodePoint(code);
}

// A reference at `at`: `&name;`, `&#ddd;`, `&#xhh;` (numeric ones need no `;` in HTML).
const REFERENCE = /&(?:#([0-9]{1,7});?|#[xX]([0-9a-fA-F]{1,6});?|([A-Za-z][A-Za-z0-9]{1,31});)/y;
const LEGACY_NAME = /&([A-Za-z][A-Za-z0-9]{1,5})/y;

// The reference at `at` in `text`: { end, value } ('' as the value of a name not known here),
// or null. `legacy`: HTML text, where the Latin-1 names need no `;` and numeric ones neither.
function referenceAt(text, at, legacy) {
  REFERENCE.lastIndex = at;
  const match = REFERENCE.exec(text);
  if (match !== null) {
    const end = at + match[0].length;
    if (match[1] !== undefined || match[2] !== undefined) {
      // CommonMark wants the `;`.
      if (!legacy && !match[0].endsWith(';')) return null;
      return { end, value: numeric(match[1] ?? match[2], match[2] !== undefined) };
    }
    const value = named(match[3]);
    if (value !== '') return { end, value };
  }
  // In Markdown a name not known here stays text (as CommonMark leaves a made-up one).
  if (!legacy) return null;
  // The longest Latin-1 name that starts here (`&copy2024`, `&notit;` as `¬it;`).
  LEGACY_NAME.lastIndex = at;
  const name = LEGACY_NAME.exec(text);
  if (name === null) return null;
  for (let length = name[1].length; length >= 2; length--) {
    const candidate = name[1].slice(0, length);
    if (LEGACY.has(candidate)) return { end: at + 1 + length, value: NAMES.get(candidate) };
  }
  // A name with its ; that is not known here: it names a symbol (see above).
  return match !== null ? { end: at + match[0].length, value: '' } : null;
}

module.exports = { referenceAt, named };
