'use strict';
// The README's usage example, run as a reader would run it: with `require('spellshell')`
// resolving to this checkout, it must print exactly what its `// → ` comments say.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');

const root = path.join(__dirname, '..', '..');
const readme = fs.readFileSync(path.join(root, 'README.md'), 'utf8');

// The code of the section's first fenced js block.
function usageExample() {
  const section = readme.slice(readme.indexOf('\n## Usage\n'));
  const match = section.match(/```js\n([\s\S]*?)```/);
  assert.ok(match, 'README.md has a ```js block under "## Usage"');
  return match[1];
}

suite('README', () => {
  test('the usage example is ten lines at most and prints what its comments say', (t) => {
    const code = usageExample();
    const lines = code.trimEnd().split('\n');
    assert.ok(lines.length <= 10, `${lines.length} lines`);
    const expected = lines.filter((line) => line.includes('// → ')).map((line) => line.split('// → ')[1]);
    assert.ok(expected.length >= 3, 'the example shows its results');

    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-readme-'));
    t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
    fs.mkdirSync(path.join(dir, 'node_modules'));
    fs.symlinkSync(root, path.join(dir, 'node_modules', 'spellshell'), 'dir');
    fs.writeFileSync(path.join(dir, 'example.js'), code);
    const run = spawnSync(process.execPath, ['example.js'], { cwd: dir, encoding: 'utf8' });
    assert.equal(run.stderr, '');
    assert.equal(run.status, 0);
    assert.deepEqual(run.stdout.trimEnd().split('\n'), expected);
  });

  test('gives the newcomer exactly the two commands, and links the reference', () => {
    const commands = readme.split('\n').filter((line) => /^ {4}scripts\/setup/.test(line));
    assert.deepEqual(commands, ['    scripts/setup && npm start', '    scripts/setup && npm test']);
    assert.match(readme, /\[docs\/api\.md\]\(docs\/api\.md\)/);
  });
});
