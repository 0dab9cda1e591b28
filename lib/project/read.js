'use strict';
// A file's text, read and handed on in parts, so that a file of any size is checked in bounded
// memory. The encoding is told by the first bytes: a UTF-8 BOM is dropped, UTF-16 with a BOM is
// decoded, and anything else must be UTF-8 without NUL bytes; a file that is not is no text, and
// is never judged as such.
const crypto = require('node:crypto');
const fs = require('node:fs');

// Parts of 256 Ki UTF-16 units: each goes to the worker in one message, and the garbage a part
// leaves in both threads stays small. (A 50 MB file with a million findings peaked at 313 MB
// with parts of 1 Mi units, 226 MB with these, at the same speed: a check call costs far less
// than checking 256 Ki units.)
const PART_UNITS = 256 * 1024;
// Read size; also the most bytes held before the text is decoded.
const CHUNK_BYTES = 1024 * 1024;
// Text editors and `file` look at about this much for NUL bytes to tell binary files.
const SNIFF_BYTES = 8 * 1024;

class NotTextError extends Error {}

// The encoding that the first bytes show, and how many bytes its BOM takes.
function encodingOf(head) {
  if (head[0] === 0xef && head[1] === 0xbb && head[2] === 0xbf) return ['utf-8', 3];
  if (head[0] === 0xff && head[1] === 0xfe) return ['utf-16le', 2];
  if (head[0] === 0xfe && head[1] === 0xff) return ['utf-16be', 2];
  return ['utf-8', 0];
}

// Where to end a part of `text` (longer than `size`): after its last paragraph break, else its
// last line break, else its last space, else anywhere but inside a surrogate pair. A word is
// never cut, so each part's misspellings are those of the whole text at that place.
function cutPoint(text, size) {
  const window = text.slice(0, size);
  for (const [mark, from] of [['\n\n', size / 2], ['\n', 0], [' ', 0]]) {
    const at = window.lastIndexOf(mark);
    if (at > from) return at + mark.length;
  }
  const code = text.charCodeAt(size - 1);
  return code >= 0xd800 && code <= 0xdbff ? size - 1 : size;
}

// The byte chunks of `source`: a path, a Buffer or a readable stream. A file is read into one
// buffer used again for each chunk (a chunk is gone once the next is asked for): chunks of their
// own would pile up as garbage outside V8's heap faster than it looks there.
async function* chunksOf(source) {
  if (Buffer.isBuffer(source)) {
    for (let at = 0; at < source.length; at += CHUNK_BYTES) yield source.subarray(at, at + CHUNK_BYTES);
    return;
  }
  if (typeof source !== 'string') {
    for await (const chunk of source) yield chunk;
    return;
  }
  const handle = await fs.promises.open(source, 'r');
  try {
    const buffer = Buffer.allocUnsafe(CHUNK_BYTES);
    for (;;) {
      const { bytesRead } = await handle.read(buffer, 0, CHUNK_BYTES, null);
      if (bytesRead === 0) return;
      yield buffer.subarray(0, bytesRead);
    }
  } finally {
    await handle.close();
  }
}

// Yields the text of `source` in parts, each { text, offset } (offset: in UTF-16 units from the
// start of the text, BOM excluded). `onBytes(n)` is told of every n bytes read. Throws a
// NotTextError when the bytes are no text; the parts yielded before it must then be dropped.
async function* textParts(source, { onBytes = () => {}, partUnits = PART_UNITS } = {}) {
  let decoder;
  let head = Buffer.alloc(0);
  let pending = '';
  let offset = 0;
  let encoding;
  const decode = (bytes, stream) => {
    try {
      return decoder.decode(bytes, { stream });
    } catch {
      throw new NotTextError(encoding === 'utf-8' ? 'not UTF-8 text' : `not valid ${encoding.toUpperCase()}`);
    }
  };
  const start = () => {
    let skip;
    [encoding, skip] = encodingOf(head);
    if (encoding === 'utf-8' && head.subarray(0, SNIFF_BYTES).includes(0)) throw new NotTextError('a binary file (NUL bytes)');
    decoder = new TextDecoder(encoding, { fatal: true, ignoreBOM: true });
    const rest = head.subarray(skip);
    head = null;
    return decode(rest, true);
  };
  for await (const chunk of chunksOf(source)) {
    onBytes(chunk.length);
    if (head !== null) {
      head = Buffer.concat([head, chunk]); // a copy: the chunk's buffer is used again
      if (head.length < SNIFF_BYTES) continue;
      pending += start();
    } else {
      pending += decode(chunk, true);
    }
    while (pending.length > partUnits) {
      const cut = cutPoint(pending, partUnits);
      yield { text: pending.slice(0, cut), offset };
      offset += cut;
      pending = pending.slice(cut);
    }
  }
  if (head !== null) pending += start();
  pending += decode(new Uint8Array(0), false);
  yield { text: pending, offset };
}

// The SHA-256 of a file's bytes, read in chunks.
async function hashOf(source) {
  const hash = crypto.createHash('sha256');
  for await (const chunk of chunksOf(source)) hash.update(chunk);
  return hash.digest('hex');
}

module.exports = { textParts, hashOf, cutPoint, NotTextError, CHUNK_BYTES };
