'use strict';
// The progress line on a terminal's stderr, counting bytes, so that one big file shows it as
// well as many small ones. Nothing is shown off a terminal, nor for a run too short to need it.

// A run of more files or bytes than this shows the line.
const MANY_FILES = 5;
const MANY_BYTES = 4 * 1024 * 1024;
// Redrawn at most this often: drawing costs a write to the terminal.
const REDRAW_MS = 100;

const megabytes = (n) => (n / (1024 * 1024)).toFixed(1);

class Progress {
  constructor(stream) {
    this.stream = stream;
    this.on = false;
    this.shown = false;
  }

  start(entries) {
    this.files = entries.length;
    this.total = entries.reduce((sum, e) => sum + (e.size ?? 0), 0);
    this.done = 0;
    this.read = 0;
    this.drawn = 0;
    this.on = Boolean(this.stream.isTTY) && (this.files > MANY_FILES || this.total > MANY_BYTES);
  }

  bytes(n) {
    this.read += n;
    this.draw();
  }

  fileDone() {
    this.done++;
    this.draw();
  }

  draw() {
    if (!this.on || Date.now() - this.drawn < REDRAW_MS) return;
    this.drawn = Date.now();
    const size = this.total > 0 ? `${megabytes(Math.min(this.read, this.total))} of ${megabytes(this.total)} MB, ` : '';
    this.stream.write(`\r\x1b[Kspellshell: ${size}${this.done} of ${this.files} files checked`);
    this.shown = true;
  }

  clear() {
    if (!this.shown) return;
    this.stream.write('\r\x1b[K');
    this.shown = false;
  }
}

module.exports = { Progress };
