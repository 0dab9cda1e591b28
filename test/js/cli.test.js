'use strict';
// The spellshell command line, run as a user runs it: what it prints, its exit status, and how
// it fails.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Writable } = require('node:stream');
const { suite, test } = require('node:test');
const { main } = require('../../lib/cli');
const { defaultLanguage } = require('../../lib/dictionaries/default-language');
const { FORMATS } = require('../../lib/formats');
const { setUp, spellshell, startSpellshell, environment, ONE } = require('./cli-helpers');

const version = require('../../package.json').version;

// A writable that keeps what it is given, a terminal when `isTTY`.
function sink(isTTY = false) {
  const stream = new Writable({
    write(chunk, encoding, done) {
      stream.text += chunk;
      done();
    },
  });
  stream.text = '';
  stream.isTTY = isTTY;
  return stream;
}

suite('spellshell command line', () => {
  test('prints FILE:LINE:COLUMN: WORD -> suggestions, columns in UTF-16 units, and exits 1', (t) => {
    const dir = setUp(t, { 'a.txt': 'hello wrod\r\n𝒜 wrold\nqqqq\n' });
    assert.deepEqual(spellshell(dir, [...ONE, '--suggest', '5', 'a.txt']), {
      status: 1,
      stdout: 'a.txt:1:7: wrod -> word\na.txt:2:1: 𝒜\na.txt:2:4: wrold -> world\na.txt:3:1: qqqq\n',
      stderr: '',
    });
  });

  test('--suggest limits the corrections; without it a run whose output is no terminal has none', (t) => {
    const dir = setUp(t, { 'a.txt': 'hord\n' });
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', '--suggest', '5', 'a.txt']).stdout, 'a.txt:1:1: hord -> lord, word\n');
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', '--suggest', '1', 'a.txt']).stdout, 'a.txt:1:1: hord -> lord\n');
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', '--suggest', '0', 'a.txt']).stdout, 'a.txt:1:1: hord\n');
    assert.equal(spellshell(dir, ['--lang=xx_ONE', '--dict-dir=.', 'a.txt']).stdout, 'a.txt:1:1: hord\n');
  });

  test('on a terminal, suggestions are shown by default', async (t) => {
    const dir = setUp(t, { 'a.txt': 'hord\n' });
    const stdout = sink(true);
    const stderr = sink();
    const status = await main([...ONE, 'a.txt'], { stdout, stderr, cwd: dir, env: environment(dir, {}) });
    assert.deepEqual([status, stdout.text, stderr.text], [1, 'a.txt:1:1: hord -> lord, word\n', '']);
  });

  test('the service prepares no lists behind each file\'s check: the run asks for those it prints', async (t) => {
    const { SpellService } = require('../../lib/service');
    const open = SpellService.open;
    const opened = [];
    SpellService.open = (options) => {
      opened.push(options);
      return open.call(SpellService, options);
    };
    t.after(() => {
      SpellService.open = open;
    });
    const dir = setUp(t, { 'a.txt': 'hord\n', 'b.txt': 'wrod\n' });
    for (const suggest of ['0', '3']) {
      const stdout = sink();
      assert.equal(await main([...ONE, '--suggest', suggest, 'a.txt', 'b.txt'], { stdout, stderr: sink(), cwd: dir, env: environment(dir, {}) }), 1);
      assert.equal(stdout.text.split('\n').length, 3);
    }
    assert.deepEqual(opened.map((options) => options.backgroundSuggestions), [false, false]);
  });

  test('on a terminal, one big file shows a progress line counting megabytes, cleared at the end', async (t) => {
    const dir = setUp(t, { 'big.txt': 'hello world\n'.repeat(500000) });
    const stderr = sink(true);
    const status = await main([...ONE, 'big.txt'], { stdout: sink(), stderr, cwd: dir, env: environment(dir, {}) });
    assert.equal(status, 0);
    assert.match(stderr.text, /^\r\x1b\[Kspellshell: \d+\.\d of 5\.7 MB, 0 of 1 files checked/);
    assert.ok(stderr.text.endsWith('\r\x1b[K'), JSON.stringify(stderr.text.slice(-40)));
    const quiet = sink(false);
    await main([...ONE, 'big.txt'], { stdout: sink(), stderr: quiet, cwd: dir, env: environment(dir, {}) });
    assert.equal(quiet.text, '', 'no progress line off a terminal');
  });

  test('--json prints one object per line; - reads standard input as <stdin>', (t) => {
    const dir = setUp(t);
    const run = spellshell(dir, ['--json', '--suggest', '3', ...ONE, '-'], { input: 'hello\n  wrod\n' });
    assert.equal(run.status, 1);
    assert.deepEqual(run.stdout.trim().split('\n').map((line) => JSON.parse(line)), [
      { file: '<stdin>', line: 2, column: 3, word: 'wrod', suggestions: ['word'] },
    ]);
  });

  test('- given twice, or one file named twice, is checked once', (t) => {
    const dir = setUp(t, { 'a.txt': 'wrld\n' });
    assert.deepEqual(spellshell(dir, [...ONE, '-', '-', 'a.txt', `.${path.sep}a.txt`], { input: 'helo\n' }), {
      status: 1,
      stdout: '<stdin>:1:1: helo\na.txt:1:1: wrld\n',
      stderr: '',
    });
  });

  test('several languages, and words of the --personal file, are accepted; nothing misspelled exits 0', (t) => {
    const dir = setUp(t, { 'a.txt': 'hello bonjour spellshell\n', 'mine.txt': 'spellshell\n' });
    assert.deepEqual(spellshell(dir, ['--lang', 'xx_ONE,xx_TWO', '--dict-dir', '.', '--personal', 'mine.txt', 'a.txt']),
      { status: 0, stdout: '', stderr: '' });
  });

  test('--unique prints each word once, in order of first place, with its count', (t) => {
    const dir = setUp(t, { 'a.txt': 'wrod hello wrod\nqqq\n', 'b.txt': 'qqq wrod\n' });
    assert.deepEqual(spellshell(dir, [...ONE, '--unique', '--suggest', '2', 'a.txt', 'b.txt']), {
      status: 1,
      stdout: 'a.txt:1:1: wrod (3 times) -> word\na.txt:2:1: qqq (2 times)\n',
      stderr: '',
    });
    const json = spellshell(dir, [...ONE, '--unique', '--json', 'b.txt']);
    assert.deepEqual(json.stdout.trim().split('\n').map((l) => JSON.parse(l)), [
      { file: 'b.txt', line: 1, column: 1, word: 'qqq', suggestions: [], count: 1 },
      { file: 'b.txt', line: 1, column: 5, word: 'wrod', suggestions: [], count: 1 },
    ]);
  });

  test('--reporter github prints annotations, escaping what the workflow commands need escaped', (t) => {
    const dir = setUp(t, { 'docs/a,b%.txt': 'hello\nhord\n' });
    const run = spellshell(dir, [...ONE, '--reporter', 'github', '--suggest', '2', 'docs']);
    assert.equal(run.status, 1);
    assert.equal(run.stdout, '::warning file=docs/a%2Cb%25.txt,line=2,col=1,title=Spelling::Misspelled word "hord"; suggestions: lord, word\n');
  });

  test('--help and -h list every option, the formats and the exit statuses; --version prints the version', (t) => {
    const dir = setUp(t);
    const help = spellshell(dir, ['--help']);
    assert.equal(help.status, 0);
    assert.equal(help.stderr, '');
    for (const option of ['--lang', '--dict-dir', '--personal', '--no-personal', '--suggest', '--format', '--include', '--exclude',
      '--no-gitignore', '--no-config', '--unique', '--reporter', '--json', '--cache', '--cache-location', '--list-dictionaries', '--version']) {
      assert.match(help.stdout, new RegExp(`^  (-h, )?${option} `, 'm'), option);
    }
    for (const format of FORMATS) assert.match(help.stdout, new RegExp(`^  ${format}( |$)`, 'm'), format);
    assert.match(help.stdout, /^Exit status: 0 nothing misspelled; 1 something misspelled; 2 /m);
    assert.match(help.stdout, /^Example:\n  spellshell /m);
    assert.deepEqual(spellshell(dir, ['-h', 'ignored.txt']), help);
    assert.deepEqual(spellshell(dir, ['--version']), { status: 0, stdout: `${version}\n`, stderr: '' });
  });

  // [what the row shows, files, arguments, status, stdout, the stderr lines]
  const EXITS = [
    ['nothing misspelled', { 'a.txt': 'hello\n' }, [...ONE, 'a.txt'], 0, '', []],
    ['a misspelling', { 'a.txt': 'wrod\n' }, [...ONE, 'a.txt'], 1, 'a.txt:1:1: wrod\n', []],
    ['no FILE', {}, ['--lang', 'xx_ONE'], 2, '', [/^spellshell: no FILE given \(usage: spellshell /]],
    ['an unknown option', {}, ['--colour', 'a.txt'], 2, '', [/^spellshell: unknown option --colour \(usage: /]],
    ['an option without its value', {}, ['a.txt', '--lang'], 2, '', [/^spellshell: --lang needs a value \(usage: /]],
    ['a value for a flag', {}, ['--json=yes', 'a.txt'], 2, '', [/^spellshell: --json takes no value \(usage: /]],
    ['a bad --suggest', {}, ['--suggest', 'many', 'a.txt'], 2, '', [/^spellshell: --suggest needs a whole number, not "many" \(usage: /]],
    ['an unknown format', {}, ['--format', 'rtf', 'a.txt'], 2, '', [new RegExp(`^spellshell: unknown format "rtf" \\(formats: ${FORMATS.join(', ')}\\)`)]],
    ['an unknown reporter', {}, ['--reporter', 'xml', 'a.txt'], 2, '', [/^spellshell: unknown reporter "xml" \(reporters: text, json, github\)/]],
    ['a --dict-dir that does not exist', {}, ['--dict-dir', 'nowhere', 'a.txt'], 2, '', [/^spellshell: --dict-dir nowhere: no such folder$/]],
    ['a --dict-dir that is a file', { 'f.txt': '' }, ['--dict-dir', 'f.txt', 'a.txt'], 2, '', [/^spellshell: --dict-dir f.txt: not a folder$/]],
    ['an unknown language, listing the installed ones', {}, ['--lang', 'xx_ONE,zz', '--dict-dir', '.', 'a.txt'], 2, '',
      [/^spellshell: no dictionary for "zz" \(searched: .*\); installed: (.*, )?xx_ONE, xx_TWO(, .*)?$/]],
    ['a missing file, after the others were checked (2 wins over 1)', { 'a.txt': 'wrod\n' }, [...ONE, 'missing.txt', 'a.txt'], 2,
      'a.txt:1:1: wrod\n', [/^spellshell: cannot read missing.txt: no such file or folder$/]],
    ['a file that is not UTF-8 (Latin-1)', { 'l.txt': Buffer.from('caf\xe9 wrod\n', 'latin1'), 'a.txt': 'wrod\n' }, [...ONE, 'l.txt', 'a.txt'], 2,
      'a.txt:1:1: wrod\n', [/^spellshell: cannot check l.txt: not UTF-8 text, skipped$/]],
    ['a binary file (NUL bytes in the first 8 KiB)', { 'b.txt': Buffer.from('hello\0\x01\x02 wrod\n', 'latin1') }, [...ONE, 'b.txt'], 2,
      '', [/^spellshell: cannot check b.txt: a binary file \(NUL bytes\), skipped$/]],
  ];
  for (const [name, files, args, status, stdout, stderr] of EXITS) {
    test(`exits ${status} for ${name}`, (t) => {
      const dir = setUp(t, files);
      const run = spellshell(dir, args);
      assert.equal(run.status, status, run.stderr);
      assert.equal(run.stdout, stdout);
      const lines = run.stderr.split('\n').slice(0, -1);
      assert.equal(lines.length, stderr.length, run.stderr);
      stderr.forEach((pattern, i) => assert.match(lines[i], pattern));
    });
  }

  test('an unreadable file is named with its cause in words, and the run goes on', { skip: process.platform === 'win32' || process.getuid?.() === 0 }, (t) => {
    const dir = setUp(t, { 'secret.txt': 'wrod\n', 'a.txt': 'wrod\n' });
    fs.chmodSync(path.join(dir, 'secret.txt'), 0);
    assert.deepEqual(spellshell(dir, [...ONE, 'secret.txt', 'a.txt']),
      { status: 2, stdout: 'a.txt:1:1: wrod\n', stderr: 'spellshell: cannot check secret.txt: permission denied\n' });
  });

  // [encoding, bytes of "hello wrod\n𝒜 qqq\n"] - misspellings at the same lines and columns.
  const text = 'hello wrod\n\u00e9 qqq\n';
  const ENCODINGS = [
    ['UTF-8', Buffer.from(text)],
    ['UTF-8 with a BOM', Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), Buffer.from(text)])],
    ['UTF-16 LE with a BOM', Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')])],
    ['UTF-16 BE with a BOM', Buffer.concat([Buffer.from([0xfe, 0xff]), Buffer.from(text, 'utf16le').swap16()])],
    ['UTF-16 LE with a BOM and CRLF', Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text.replace(/\n/g, '\r\n'), 'utf16le')])],
  ];
  for (const [name, bytes] of ENCODINGS) {
    test(`reads ${name}, with columns as an editor shows them`, (t) => {
      const dir = setUp(t, { 'a.txt': bytes });
      assert.deepEqual(spellshell(dir, [...ONE, 'a.txt']), { status: 1, stdout: 'a.txt:1:7: wrod\na.txt:2:1: \u00e9\na.txt:2:3: qqq\n', stderr: '' });
    });
  }

  test('a file larger than a part gives the findings of a small one; one that ends in no text prints nothing', (t) => {
    // 5 MB: more than what is read at once, checked part by part.
    const lines = Array.from({ length: 450000 }, (_, i) => (i % 50000 === 7 ? 'hello wrod world\n' : 'hello world\n'));
    const text = lines.join('');
    const dir = setUp(t, { 'big.txt': text, 'bad.txt': Buffer.concat([Buffer.from(text), Buffer.from([0xff])]) });
    const expected = lines.flatMap((line, i) => (line.includes('wrod') ? [`big.txt:${i + 1}:7: wrod\n`] : [])).join('');
    assert.deepEqual(spellshell(dir, [...ONE, 'big.txt']), { status: 1, stdout: expected, stderr: '' });
    assert.deepEqual(spellshell(dir, [...ONE, 'bad.txt']), { status: 2, stdout: '', stderr: 'spellshell: cannot check bad.txt: not UTF-8 text, skipped\n' });
  });

  test('a closed pipe ends the run quietly, with the status it would have had', async (t) => {
    // Distinct misspellings: a word written again and again would be the file's own term.
    const distinct = Array.from({ length: 200000 }, (_, i) => `wrod q${i.toString(26).replace(/\d/g, (d) => 'qrstuvwxyz'[d])}\n`).join('');
    const dir = setUp(t, { 'big.txt': distinct, 'a.txt': 'hello\n' });
    const run = async (args) => {
      const child = startSpellshell(dir, args, { stdio: ['ignore', 'pipe', 'pipe'] });
      let stderr = '';
      child.stderr.on('data', (chunk) => { stderr += chunk; });
      child.stdout.once('data', () => child.stdout.destroy());
      const [status] = await new Promise((resolve) => child.on('close', (...end) => resolve(end)));
      return { status, stderr };
    };
    assert.deepEqual(await run([...ONE, 'big.txt', 'a.txt']), { status: 1, stderr: '' });
    assert.deepEqual(await run([...ONE, 'big.txt', 'missing.txt']), { status: 2, stderr: 'spellshell: cannot read missing.txt: no such file or folder\n' });
  });

  test('output that cannot be written (/dev/full) is one line on stderr and exit 2', { skip: !fs.existsSync('/dev/full') }, (t) => {
    const dir = setUp(t, { 'a.txt': 'wrod\n'.repeat(1000) });
    const full = fs.openSync('/dev/full', 'w');
    t.after(() => fs.closeSync(full));
    for (const args of [[...ONE, 'a.txt'], ['--help'], [...ONE, '--unique', 'a.txt']]) {
      const { spawnSync } = require('node:child_process');
      const run = spawnSync(process.execPath, [require('./cli-helpers').bin, ...args], { cwd: dir, stdio: ['ignore', full, 'pipe'], encoding: 'utf8', env: environment(dir, {}) });
      assert.deepEqual([run.status, run.stderr], [2, 'spellshell: cannot write to standard output: no space left on the device\n'], args.join(' '));
    }
  });

  test('a personal file line with spaces is named once on stderr, and the run goes on', (t) => {
    const dir = setUp(t, { 'a.txt': 'spellshell wrod\n', 'mine.txt': '# my words\nspellshell\n' });
    assert.deepEqual(spellshell(dir, [...ONE, '--personal', 'mine.txt', 'a.txt']), {
      status: 1,
      stdout: 'a.txt:1:12: wrod\n',
      stderr: `spellshell: personal dictionary ${path.join(dir, 'mine.txt')}, line 1: "# my words" has spaces, ignored\n`,
    });
  });

  test('--list-dictionaries prints language<TAB>folder, the --dict-dir ones included', (t) => {
    const dir = setUp(t);
    const run = spellshell(dir, ['--list-dictionaries', '--dict-dir', dir]);
    assert.equal(run.status, 0);
    const lines = run.stdout.trim().split('\n');
    assert.ok(lines.includes(`xx_ONE\t${dir}`) && lines.includes(`xx_TWO\t${dir}`), run.stdout);
    if (process.platform !== 'win32') assert.ok(lines.includes('en_US\t/usr/share/hunspell'), 'Debian\'s hunspell-en-us');
  });

  test('without --lang the language comes from the locale', (t) => {
    const dir = setUp(t, { 'a.txt': 'bonjour hello\n' });
    const run = spellshell(dir, ['--dict-dir', '.', '--suggest', '0', 'a.txt'], { env: { LANG: 'xx_TWO.UTF-8' } });
    assert.equal(run.stdout, 'a.txt:1:9: hello\n');
  });

  // [environment, the language chosen] with xx_ONE in the dictionary folder.
  const LOCALES = [
    [{ LANG: 'xx_ONE.UTF-8' }, 'xx_ONE'],
    [{ LANG: 'en_GB.UTF-8', LC_MESSAGES: 'xx_ONE' }, 'xx_ONE'],
    [{ LANG: 'en_GB.UTF-8', LC_MESSAGES: 'zz_ZZ', LC_ALL: 'xx_ONE.UTF-8@euro' }, 'xx_ONE'],
    [{ LC_ALL: 'C' }, 'en_US'],
    [{ LC_ALL: 'POSIX', LANG: 'xx_ONE' }, 'en_US'],
    [{}, 'en_US'],
    [{ LANG: 'zz_ZZ.UTF-8' }, 'en_US'],
  ];
  for (const [env, language] of LOCALES) {
    test(`the locale ${JSON.stringify(env)} means ${language}`, (t) => {
      assert.equal(defaultLanguage(env, [setUp(t)]), language);
    });
  }
});
