'use strict';
// Folders given to the spellshell command: which files are checked, in which order.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { GitIgnores } = require('../../lib/cli/files');
const { globMatcher } = require('../../lib/project/glob-matcher');
const { setUp, spellshell, ONE } = require('./cli-helpers');

// Every file holds one misspelling, its own name's stem, so stdout lists the files checked.
// Source files hold it in a comment, where their formats judge prose.
const COMMENT = { '.js': '// ', '.sh': '# ', '': '# ' };
function tree(names) {
  return Object.fromEntries(names.map((name) => [name, `${COMMENT[path.extname(name)] ?? ''}${path.basename(name).replace(/[^a-z]/g, '')}qq\n`]));
}
const checked = (run) => run.stdout.split('\n').filter(Boolean).map((line) => line.slice(0, line.indexOf(':', 2)).split(path.sep).join('/'));

const FILES = ['docs/b.md', 'docs/a.md', 'docs/sub/c.html', 'docs/sub/Z.txt', 'docs/x.js', 'docs/run.sh', 'docs/Makefile',
  'docs/image.png', 'docs/notes.rtf', 'docs/node_modules/m.md', 'docs/.git/HEAD.md', 'docs/build/out.md', 'docs/.hidden.md'];

suite('spellshell on folders', () => {
  test('walks a folder for files of known formats, in code-unit order, never into node_modules or .git', (t) => {
    const dir = setUp(t, tree(FILES));
    const run = spellshell(dir, [...ONE, 'docs']);
    assert.equal(run.status, 1, run.stderr);
    assert.deepEqual(checked(run), ['docs/.hidden.md', 'docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/build/out.md', 'docs/run.sh',
      'docs/sub/Z.txt', 'docs/sub/c.html', 'docs/x.js']);
  });

  // [arguments, the files checked]
  const PATTERNS = [
    [['--include', '*.rtf'], ['docs/.hidden.md', 'docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/build/out.md', 'docs/notes.rtf', 'docs/run.sh', 'docs/sub/Z.txt', 'docs/sub/c.html', 'docs/x.js']],
    [['--exclude', 'build', '--exclude', '*.js', '--exclude', '.*'], ['docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/run.sh', 'docs/sub/Z.txt', 'docs/sub/c.html']],
    [['--exclude', 'docs/sub/**', '--exclude', 'docs/b.md'], ['docs/.hidden.md', 'docs/Makefile', 'docs/a.md', 'docs/build/out.md', 'docs/run.sh', 'docs/x.js']],
    [['--exclude', 'docs\\sub'], ['docs/.hidden.md', 'docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/build/out.md', 'docs/run.sh', 'docs/x.js']],
    [['--format', 'plain', '--exclude', '.*'], ['docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/build/out.md', 'docs/run.sh', 'docs/sub/Z.txt', 'docs/sub/c.html', 'docs/x.js']],
    [['--include', '**/*.png', '--exclude', '*.png'], ['docs/.hidden.md', 'docs/Makefile', 'docs/a.md', 'docs/b.md', 'docs/build/out.md', 'docs/run.sh', 'docs/sub/Z.txt', 'docs/sub/c.html', 'docs/x.js']],
  ];
  for (const [args, files] of PATTERNS) {
    test(`${args.join(' ')} chooses ${files.length} files`, (t) => {
      const dir = setUp(t, tree(FILES));
      assert.deepEqual(checked(spellshell(dir, [...ONE, ...args, 'docs'])), files);
    });
  }

  test('a file named on the command line is checked whatever its kind, after the files before it', (t) => {
    const dir = setUp(t, tree(FILES));
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs/notes.rtf', 'docs/sub', 'docs/image.png'])),
      ['docs/notes.rtf', 'docs/sub/Z.txt', 'docs/sub/c.html', 'docs/image.png']);
  });

  test('a pattern that names no file is expanded, whatever the kind of the files it matches (not dot files, as in shells)', (t) => {
    const dir = setUp(t, tree(FILES));
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs/**/*.{md,rtf}', '--exclude', 'build'])), ['docs/a.md', 'docs/b.md', 'docs/notes.rtf']);
    assert.deepEqual(checked(spellshell(dir, [...ONE, '*.md', 'docs/sub/?.*'])), ['docs/sub/Z.txt', 'docs/sub/c.html']);
    assert.equal(spellshell(dir, [...ONE, 'docs/*.xyz']).stderr, 'spellshell: no file matches docs/*.xyz\n');
  });

  test('a pattern with backslashes is expanded on Windows', { skip: process.platform !== 'win32' }, (t) => {
    const dir = setUp(t, tree(FILES));
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs\\sub\\*.*'])), ['docs/sub/Z.txt', 'docs/sub/c.html']);
  });

  test('inside a git work tree .gitignore files leave files out (deeper ones win); --no-gitignore checks them', (t) => {
    const dir = setUp(t, {
      ...tree(['docs/a.md', 'docs/build/b.md', 'docs/sub/keep.md', 'docs/sub/drop.md', 'docs/sub/gen.md', 'docs/log.txt']),
      '.git/HEAD': 'ref: refs/heads/main\n',
      '.gitignore': 'build/\n*.txt\r\ngen.md\n',
      'docs/sub/.gitignore': 'drop.md\n!gen.md\n',
    });
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs'])), ['docs/a.md', 'docs/sub/gen.md', 'docs/sub/keep.md']);
    assert.deepEqual(checked(spellshell(dir, [...ONE, path.join('docs', 'sub')])), ['docs/sub/gen.md', 'docs/sub/keep.md']);
    assert.deepEqual(checked(spellshell(dir, [...ONE, '--no-gitignore', 'docs'])),
      ['docs/a.md', 'docs/build/b.md', 'docs/log.txt', 'docs/sub/drop.md', 'docs/sub/gen.md', 'docs/sub/keep.md']);
  });

  test('a folder with nothing to check says so on stderr, and exits 0', (t) => {
    const dir = setUp(t, tree(['docs/image.png', 'docs/node_modules/a.md']));
    assert.deepEqual(spellshell(dir, [...ONE, 'docs']),
      { status: 0, stdout: '', stderr: 'spellshell: no file to check in docs (none of a known format, or all left out)\n' });
  });

  test('outside a git work tree .gitignore files mean nothing', (t) => {
    const dir = setUp(t, { ...tree(['docs/a.md', 'docs/b.md']), 'docs/.gitignore': 'b.md\n' });
    if (fs.existsSync(path.join(os.tmpdir(), '.git'))) return t.skip('the temporary folder is in a git work tree');
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs'])), ['docs/a.md', 'docs/b.md']);
  });

  test('folders given with backslashes, absolute or with a drive letter, are walked alike', { skip: process.platform !== 'win32' }, (t) => {
    const dir = setUp(t, tree(['docs/sub/a.md']));
    assert.deepEqual(checked(spellshell(dir, [...ONE, 'docs\\sub'])), ['docs/sub/a.md']);
    const absolute = spellshell(dir, [...ONE, path.join(dir, 'docs')]);
    assert.match(absolute.stdout, /^[A-Za-z]:\\.*\\docs\\sub\\a\.md:1:1: amdqq\n$/);
  });

  test('an unreadable folder is named, and the walk goes on', { skip: process.platform === 'win32' || process.getuid?.() === 0 }, (t) => {
    const dir = setUp(t, tree(['docs/a/x.md', 'docs/b/y.md']));
    fs.chmodSync(path.join(dir, 'docs', 'a'), 0);
    t.after(() => fs.chmodSync(path.join(dir, 'docs', 'a'), 0o755));
    const run = spellshell(dir, [...ONE, 'docs']);
    assert.deepEqual([run.status, checked(run), run.stderr], [2, ['docs/b/y.md'], `spellshell: cannot read the folder ${path.join('docs', 'a')}: permission denied\n`]);
  });

  // [pattern, path relative to the base, matched]
  const GLOBS = [
    ['*.md', 'a.md', true], ['*.md', 'x/y/a.md', true], ['x/*.md', 'x/a.md', true], ['x/*.md', 'y/x/a.md', false],
    ['/x/*.md', 'x/a.md', true], ['./x/**', 'x/y/z.md', true], ['x\\y', 'x/y', true], ['build/', 'a/build', true],
    ['*.md', '../a.md', false], ['.*', 'a/.b', true],
  ];
  for (const [pattern, rel, matched] of GLOBS) {
    test(`the glob ${pattern} ${matched ? 'matches' : 'does not match'} ${rel}`, () => {
      const base = path.resolve(os.tmpdir(), 'base');
      assert.equal(globMatcher([pattern], base)(path.resolve(base, ...rel.split('/'))), matched);
    });
  }

  test('on Windows a .gitignore written with backslashes means folders; escapes of glob characters stay escapes', (t) => {
    const root = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-git-'));
    t.after(() => fs.rmSync(root, { recursive: true, force: true }));
    fs.writeFileSync(path.join(root, '.gitignore'), 'docs\\build\\\r\n\\*.md\n');
    const file = (...parts) => path.join(root, ...parts);
    const windows = new GitIgnores(root, 'win32');
    assert.equal(windows.ignores(file('docs', 'build'), true), true);
    assert.equal(windows.ignores(file('*.md'), false), true);
    assert.equal(windows.ignores(file('a.md'), false), false);
    assert.equal(new GitIgnores(root, 'linux').ignores(file('docs', 'build'), true), false);
  });
});
