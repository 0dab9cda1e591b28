'use strict';
// Standard output as the command writes it. A reader that goes away (`spellshell … | head`)
// closes the pipe: the rest is not printed, quietly. Any other write error (a full disk,
// /dev/full) means the findings are lost, which the command must say and exit 2 for, since its
// status would otherwise claim they were printed.

const CAUSES = {
  ENOSPC: 'no space left on the device',
  EIO: 'input/output error',
  EBADF: 'it is closed',
  EDQUOT: 'disk quota exceeded',
  EFBIG: 'the file is too large',
  EACCES: 'permission denied',
};

class Output {
  constructor(stream) {
    this.stream = stream;
    this.closed = false; // the reader went away
    this.error = null; // a write error to report
    this.onError = (error) => this.fail(error);
    stream.on('error', this.onError);
  }

  fail(error) {
    if (this.closed || this.error) return;
    if (error.code === 'EPIPE' || error.code === 'ERR_STREAM_DESTROYED') this.closed = true;
    else this.error = error;
  }

  get stopped() {
    return this.closed || this.error !== null;
  }

  get errorMessage() {
    const { code, message } = this.error;
    return `cannot write to standard output: ${CAUSES[code] ?? message}`;
  }

  // Resolves once the stream takes more: a slow reader holds the command back rather than
  // letting unwritten output pile up in memory.
  async write(text) {
    if (this.stopped || text === '') return;
    let more;
    try {
      more = this.stream.write(text, (error) => error && this.fail(error));
    } catch (error) {
      this.fail(error);
      return;
    }
    if (!more && !this.stopped) {
      await new Promise((resolve) => {
        const done = () => {
          this.stream.off('drain', done);
          this.stream.off('error', done);
          this.stream.off('close', done);
          resolve();
        };
        this.stream.on('drain', done);
        this.stream.on('error', done);
        this.stream.on('close', done);
      });
    }
  }

  // Resolves once everything written so far has gone out (or failed), so a write error that a
  // stream reports late still decides the status.
  flush() {
    if (this.stopped) return Promise.resolve();
    return new Promise((resolve) => {
      try {
        this.stream.write('', (error) => {
          if (error) this.fail(error);
          setImmediate(resolve);
        });
      } catch (error) {
        this.fail(error);
        resolve();
      }
    });
  }
}

module.exports = { Output };
