'use strict';
// JSON read with the line of each top-level key, so that a config's errors can name where they
// are (JSON.parse gives no line, and no position at all on some Node versions). With `comments`,
// also the JSON-with-comments that editors' config files use: // and /* */ comments, trailing
// commas.

class JsonError extends SyntaxError {
  constructor(message, line) {
    super(message);
    this.line = line;
  }
}

const ESCAPES = { '"': '"', '\\': '\\', '/': '/', b: '\b', f: '\f', n: '\n', r: '\r', t: '\t' };

// -> { value, keyLines: Map<top-level key, 1-based line> }; throws JsonError with `line`.
function parseLocated(text, { comments = false } = {}) {
  let i = text.charCodeAt(0) === 0xfeff ? 1 : 0;
  const keyLines = new Map();
  const lineAt = (offset) => {
    let line = 1;
    for (let j = text.indexOf('\n'); j !== -1 && j < offset; j = text.indexOf('\n', j + 1)) line++;
    return line;
  };
  const fail = (what, at = i) => {
    throw new JsonError(at >= text.length ? `unexpected end of file, ${what}` : `unexpected ${JSON.stringify(text[at])}, ${what}`, lineAt(at));
  };
  const space = () => {
    for (;;) {
      while (i < text.length && ' \t\r\n'.includes(text[i])) i++;
      if (!comments || text[i] !== '/') return;
      if (text[i + 1] === '/') {
        const end = text.indexOf('\n', i);
        i = end === -1 ? text.length : end;
      } else if (text[i + 1] === '*') {
        const end = text.indexOf('*/', i + 2);
        if (end === -1) fail('the comment is not closed', text.length);
        i = end + 2;
      } else {
        return;
      }
    }
  };
  const string = () => {
    const start = i++;
    let out = '';
    for (;;) {
      const c = text[i];
      if (c === undefined || c === '\n') fail('the string is not closed', start);
      i++;
      if (c === '"') return out;
      if (c < ' ') fail('a control character in a string', i - 1);
      if (c !== '\\') {
        out += c;
      } else if (text[i] === 'u' && /^[0-9a-fA-F]{4}$/.test(text.slice(i + 1, i + 5))) {
        out += String.fromCharCode(parseInt(text.slice(i + 1, i + 5), 16));
        i += 5;
      } else if (Object.hasOwn(ESCAPES, text[i])) {
        out += ESCAPES[text[i++]];
      } else {
        fail('a bad escape in a string', i);
      }
    }
  };
  const value = (depth) => {
    space();
    const c = text[i];
    if (c === '{' || c === '[') {
      const object = c === '{';
      const result = object ? {} : [];
      i++;
      space();
      const close = object ? '}' : ']';
      let first = true;
      for (;;) {
        space();
        if (text[i] === close && (first || comments)) {
          i++;
          return result;
        }
        if (object) {
          if (text[i] !== '"') fail('expected a key in double quotes');
          const keyAt = i;
          const key = string();
          if (depth === 0 && !keyLines.has(key)) keyLines.set(key, lineAt(keyAt));
          space();
          if (text[i] !== ':') fail('expected ":"');
          i++;
          Object.defineProperty(result, key, { value: value(depth + 1), enumerable: true, writable: true, configurable: true });
        } else {
          result.push(value(depth + 1));
        }
        space();
        first = false;
        if (text[i] === close) {
          i++;
          return result;
        }
        if (text[i] !== ',') fail(`expected "," or "${close}"`);
        i++;
      }
    }
    if (c === '"') return string();
    const literal = /^(?:true|false|null|-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?)/.exec(text.slice(i, i + 400));
    if (!literal) fail('expected a value');
    i += literal[0].length;
    return JSON.parse(literal[0]);
  };
  const result = value(0);
  space();
  if (i < text.length) fail('expected the end of the file');
  return { value: result, keyLines };
}

module.exports = { parseLocated, JsonError };
