'use strict';
// The protocol's framing: a header block (`Name: value` lines, each ended by CRLF, then an
// empty line) and a body of Content-Length bytes of UTF-8 JSON. A frame that cannot be read is
// reported and skipped: the reader looks for the next `Content-Length` and goes on from there.

const HEADER_END = Buffer.from('\r\n\r\n');
const CONTENT_LENGTH = 'content-length';
// A header block is two short lines; one of 8 KiB without its end is not a header at all.
const HEADER_LIMIT = 8192;
// 1 GiB: larger than any document an editor sends, small enough that a wrong length does not
// make the reader hold the rest of the stream in memory.
const BODY_LIMIT = 1 << 30;

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
  }

  push(chunk) {
    if (this.length >= 0) {
      this.chunks.push(chunk);
      this.size += chunk.length;
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
    }
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
