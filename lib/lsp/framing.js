'use strict';
// The protocol's framing: a header block (`Name: value` lines, each ended by CRLF, then an
// empty line) and a body of Content-Length bytes of UTF-8 JSON. A frame that cannot be read is
// reported and skipped: the reader looks for the next `Content-Length` and goes on from there.

const HEADER_END = Buffer.from('\r\n\r\n');
const CONTENT_LENGTH = 'content-length';
// A header block is two short lines; one of 8 KiB without its end is not a header at all.
const HEADER_LIMIT = 8192;
// 256 MiB: larger than any document an editor sends (the JSON of a 100 MB file), and a body
// V8 can still make one string of (at most 512 Mi units): a larger claim is no frame of ours.
const BODY_LIMIT = 256 * 1024 * 1024;
// A header line that begins inside a body ends it: `Content-Length:` or `Content-Type:`, a value
// without a quote, and CRLF can be no part of valid JSON (raw CR and LF never stand inside a
// JSON string, and the bare name never outside one). So a frame that announced more bytes than
// it brought is cut where the next frame begins, rather than swallowing the frames after it.
const HEADER_IN_BODY = /^content-(?:length|type):[^\r\n"]*\r\n/i;
const HEADER_NAME_TAIL = Buffer.from('ontent-');
// The longest header line looked for inside a body; a longer one is taken for body bytes.
const HEADER_LINE_LIMIT = 256;

// Parses a header block; returns the body's length, or a string saying what is wrong.
function bodyLength(block) {
  let length;
  for (const line of block.split('\r\n')) {
    const colon = line.indexOf(':');
    if (colon <= 0) return `bad header line "${line.slice(0, 80)}"`;
    const name = line.slice(0, colon).trim().toLowerCase();
    const value = line.slice(colon + 1).trim();
    if (name === CONTENT_LENGTH) {
      if (!/^\d{1,10}$/.test(value) || Number(value) > BODY_LIMIT) return `bad Content-Length "${value.slice(0, 80)}"`;
      length = Number(value);
    } else if (name === 'content-type') {
      const charset = /charset\s*=\s*"?([^";\s]+)/i.exec(value);
      if (charset && !/^utf-?8$/i.test(charset[1])) return `unsupported charset "${charset[1]}"`;
    }
  }
  return length === undefined ? 'no Content-Length header' : length;
}

class FrameReader {
  // onBody(text): a frame's body, decoded; onError(message): a frame that was skipped.
  constructor(onBody, onError) {
    this.onBody = onBody;
    this.onError = onError;
    this.buffer = Buffer.alloc(0); // while reading a header
    this.chunks = []; // while reading a body: kept apart until all arrived, then joined once
    this.size = 0;
    this.length = -1; // the body's length once its header was read
    this.skipping = false;
    this.carry = Buffer.alloc(0); // a body's last bytes, looked at again with the next chunk
    this.carryAt = 0; // the body offset of carry[0]
  }

  push(chunk) {
    if (this.length >= 0) {
      this.chunks.push(chunk);
      this.size += chunk.length;
      const next = this.nextFrameIn(chunk);
      if (next >= 0) {
        const all = Buffer.concat(this.chunks, this.size);
        this.onError(`Content-Length ${this.length}, but the next frame began after ${next} bytes`);
        this.buffer = all.subarray(next);
        this.chunks = [];
        this.size = 0;
        this.length = -1;
        this.skipping = false;
      }
    } else {
      this.buffer = this.buffer.length ? Buffer.concat([this.buffer, chunk]) : chunk;
    }
    for (;;) {
      if (this.length >= 0) {
        if (this.size < this.length) return;
        const all = this.chunks.length === 1 ? this.chunks[0] : Buffer.concat(this.chunks, this.size);
        const body = all.subarray(0, this.length);
        this.buffer = all.subarray(this.length);
        this.chunks = [];
        this.size = 0;
        this.length = -1;
        this.onBody(body.toString('utf8'));
        continue;
      }
      const end = this.buffer.indexOf(HEADER_END);
      if (end < 0) {
        if (this.buffer.length > HEADER_LIMIT) {
          this.skip('a header longer than 8 KiB');
          this.buffer = this.buffer.subarray(this.buffer.length - CONTENT_LENGTH.length);
        }
        return;
      }
      const block = this.buffer.toString('latin1', 0, end);
      const length = bodyLength(block);
      if (typeof length === 'string') {
        this.skip(length);
        // Garbage (or a frame that came without a header) ends where the next frame's
        // Content-Length begins; without one, the whole block goes.
        const next = block.toLowerCase().lastIndexOf(CONTENT_LENGTH);
        this.buffer = this.buffer.subarray(next > 0 ? next : end + HEADER_END.length);
        // What starts at a Content-Length is a frame of its own, with errors of its own.
        if (next > 0) this.skipping = false;
        continue;
      }
      this.skipping = false;
      const rest = this.buffer.subarray(end + HEADER_END.length);
      this.buffer = Buffer.alloc(0);
      this.length = length;
      this.chunks = rest.length ? [rest] : [];
      this.size = rest.length;
      this.carry = Buffer.alloc(0);
      this.carryAt = 0;
      if (rest.length === 0) continue;
      const next = this.nextFrameIn(rest);
      if (next < 0) continue;
      this.onError(`Content-Length ${length}, but the next frame began after ${next} bytes`);
      this.buffer = rest.subarray(next);
      this.chunks = [];
      this.size = 0;
      this.length = -1;
    }
  }

  // The body offset where a header line begins within the announced body, among the bytes of
  // `chunk` (the body's latest) and the carry before them; -1 when none does (yet).
  nextFrameIn(chunk) {
    const window = this.carry.length ? Buffer.concat([this.carry, chunk]) : chunk;
    const base = this.carry.length ? this.carryAt : this.size - chunk.length;
    let from = 1;
    for (;;) {
      const at = window.indexOf(HEADER_NAME_TAIL, from);
      if (at < 0 || base + at - 1 >= this.length) break;
      from = at + 1;
      const start = at - 1;
      if ((window[start] | 0x20) !== 0x63) continue; // C or c
      const line = window.toString('latin1', start, Math.min(window.length, start + HEADER_LINE_LIMIT));
      if (HEADER_IN_BODY.test(line)) return base + start;
      // A header line cut by the chunk's end: looked at again with the next chunk.
      if (line.length < HEADER_LINE_LIMIT && /^[^\r\n"]*\r?$/.test(line)) {
        this.carry = window.subarray(start);
        this.carryAt = base + start;
        return -1;
      }
    }
    // Enough for a header name cut in two.
    const keep = Math.min(window.length, 16);
    this.carry = window.subarray(window.length - keep);
    this.carryAt = base + window.length - keep;
    return -1;
  }

  // Reports the first bad header of a run: the pieces of one bad frame (its header, then its
  // body read as a header) are one error.
  skip(message) {
    if (!this.skipping) this.onError(message);
    this.skipping = true;
  }
}

// The frame of a message given as JSON text, as [header, body] bytes: the text is encoded once
// (a large publication is hundreds of kilobytes).
function frame(json) {
  const body = Buffer.from(json, 'utf8');
  return [Buffer.from(`Content-Length: ${body.length}\r\n\r\n`, 'latin1'), body];
}

module.exports = { FrameReader, frame };
