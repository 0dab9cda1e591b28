'use strict';
// The rooms of lib/ depend on each other one way: the command line may start the language
// server, both use the service, and nothing below them reaches back up. A require that breaks
// this (or closes a circle between modules) fails here, before it tangles the package.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { test } = require('node:test');

const LIB = path.join(__dirname, '..', '..', 'lib');

function modules(dir = LIB) {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const file = path.join(dir, entry.name);
    if (entry.isDirectory()) return modules(file);
    return entry.name.endsWith('.js') ? [file] : [];
  });
}

function resolve(from, request) {
  const base = path.resolve(path.dirname(from), request);
  return [base, `${base}.js`, path.join(base, 'index.js')].find((f) => fs.existsSync(f) && fs.statSync(f).isFile());
}

// module -> the modules of lib/ it requires
const graph = new Map(modules().map((file) => {
  const text = fs.readFileSync(file, 'utf8');
  const deps = [...text.matchAll(/require\(['"](\.{1,2}(?:\/[^'"]*)?)['"]\)/g)]
    .map((m) => resolve(file, m[1]))
    .filter((dep) => dep !== undefined && dep.startsWith(LIB));
  return [file, deps];
}));

const room = (file) => {
  const rel = path.relative(LIB, file).split(path.sep);
  return rel.length === 1 ? '(root)' : rel[0];
};
const name = (file) => path.relative(LIB, file).split(path.sep).join('/');

test('every module of lib/ sits in a room', () => {
  assert.deepEqual([...graph.keys()].filter((file) => room(file) === '(root)').map(name), []);
});

test('only the command line imports the command line, and the language server only it and itself', () => {
  const wrong = [];
  for (const [file, deps] of graph) {
    for (const dep of deps) {
      if (room(dep) === 'cli' && room(file) !== 'cli') wrong.push(`${name(file)} -> ${name(dep)}`);
      if (room(dep) === 'lsp' && !['cli', 'lsp'].includes(room(file))) wrong.push(`${name(file)} -> ${name(dep)}`);
    }
  }
  assert.deepEqual(wrong, []);
});

test('no circle runs through the modules, nor through the rooms', () => {
  const rooms = new Map();
  for (const [file, deps] of graph) {
    for (const dep of deps) {
      if (room(dep) === room(file)) continue;
      if (!rooms.has(room(file))) rooms.set(room(file), new Set());
      rooms.get(room(file)).add(room(dep));
    }
  }
  const circle = (edges) => {
    const state = new Map();
    const visit = (node, trail) => {
      if (state.get(node) === 'done') return null;
      if (state.get(node) === 'open') return [...trail.slice(trail.indexOf(node)), node];
      state.set(node, 'open');
      for (const next of edges.get(node) ?? []) {
        const found = visit(next, [...trail, node]);
        if (found) return found;
      }
      state.set(node, 'done');
      return null;
    };
    for (const node of edges.keys()) {
      const found = visit(node, []);
      if (found) return found;
    }
    return null;
  };
  assert.equal(circle(new Map([...graph].map(([file, deps]) => [file, deps]))), null);
  assert.equal(circle(rooms), null);
});
