'use strict';
// A file's text read in parts: the parts put together are the text, no word is cut, and
// positions counted over the parts are those of the whole text.
const assert = require('node:assert/strict');
const { Readable } = require('node:stream');
const { suite, test } = require('node:test');
const { textParts, cutPoint, NotTextError } = require('../../lib/project/read');
const { Positions } = require('../../lib/cli');
const { seededRandom: random } = require('./helpers');

const PIECES = ['word', 'café', '𝒜𝒜', 'x', ' ', ' ', '\n', '\n\n', '\r\n', 'longerwordwithoutspace'];

function randomText(next, length) {
  let text = '';
  while (text.length < length) text += PIECES[Math.floor(next() * PIECES.length)];
  return text;
}

async function collect(source, options) {
  const parts = [];
  for await (const part of textParts(source, options)) parts.push(part);
  return parts;
}

// Positions of every offset, counted over the whole text at once.
function wholePositions(text) {
  const result = [];
  let line = 1;
  let lineStart = 0;
  for (let i = 0; i <= text.length; i++) {
    result.push({ line, column: i - lineStart + 1 });
    if (text[i] === '\n') {
      line++;
      lineStart = i + 1;
    }
  }
  return result;
}

suite('reading a file in parts', () => {
  for (const seed of [1, 2, 3, 4, 5, 6, 7, 8]) {
    test(`seed ${seed}: parts join to the text, cut between words, and positions agree with the whole text`, async () => {
      const next = random(seed);
      const text = randomText(next, 2000 + Math.floor(next() * 3000));
      const partUnits = 16 + Math.floor(next() * 200);
      const bytes = Buffer.from(text);
      // Chunks of odd sizes, so characters are split across chunks.
      const chunks = [];
      for (let at = 0; at < bytes.length;) {
        const size = 1 + Math.floor(next() * 50);
        chunks.push(bytes.subarray(at, at + size));
        at += size;
      }
      const parts = await collect(Readable.from(chunks), { partUnits });
      assert.equal(parts.map((p) => p.text).join(''), text);
      const whole = wholePositions(text);
      const where = new Positions();
      for (const [i, part] of parts.entries()) {
        assert.equal(part.offset, parts.slice(0, i).reduce((n, p) => n + p.text.length, 0));
        if (i < parts.length - 1) {
          assert.ok(!/[a-zé\uD835]$/.test(part.text) || !/^[a-zé\uDC9C]/.test(parts[i + 1].text), `a word cut after part ${i}`);
        }
        where.part(part.text, part.offset);
        for (let offset = part.offset; offset < part.offset + part.text.length; offset += 1 + Math.floor(next() * 7)) {
          assert.deepEqual(where.at(offset), whole[offset], `offset ${offset}`);
        }
      }
    });
  }

  // [text, size, cut]: a paragraph break in the part's second half, else a line break, …
  const CUTS = [
    ['abcdefghi\n\nc\nef gh', 16, 11], ['ab\n\ncd\nef gh', 12, 7], ['abcdef\ngh ij', 11, 7], ['abcd efgh', 8, 5], ['abcdefgh', 4, 4], ['abc𝒜def', 4, 3],
  ];
  for (const [text, size, cut] of CUTS) {
    test(`${JSON.stringify(text)} in parts of ${size} is cut at ${cut}`, () => {
      assert.equal(cutPoint(text, size), cut);
    });
  }

  // [bytes, what they are]
  const NOT_TEXT = [
    [Buffer.from('caf\xe9', 'latin1'), 'not UTF-8 text'],
    [Buffer.concat([Buffer.alloc(20000, 'a'), Buffer.from([0xc3])]), 'not UTF-8 text'],
    [Buffer.from('a\0b'), 'a binary file (NUL bytes)'],
    [Buffer.from([0xff, 0xfe, 0x00, 0xd8, 0x41, 0x00]), 'not valid UTF-16LE'],
  ];
  for (const [bytes, message] of NOT_TEXT) {
    test(`${bytes.length} bytes that are ${message} throw`, async () => {
      await assert.rejects(collect(bytes, { partUnits: 1024 }), (error) => error instanceof NotTextError && error.message === message);
    });
  }

  test('a NUL byte after the first 8 KiB of UTF-8 is text', async () => {
    const parts = await collect(Buffer.concat([Buffer.alloc(9000, 'a'), Buffer.from([0])]));
    assert.equal(parts.map((p) => p.text).join('').length, 9001);
  });
});
