'use strict';
// Which Hunspell dictionaries findDictionaries finds, in which folders, and how language names
// given to the service resolve to them.
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { suite, test } = require('node:test');
const { findDictionaries } = require('../..');
const { dictionaryFolders } = require('../../lib/dictionaries/find-dictionaries');
const { resolveLanguage } = require('../../lib/dictionaries/languages');
const { systemDictionaryDir } = require('./helpers');

function folder(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'spellshell-find-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

// Writes `<language>.aff` and `.dic` into dir (made if missing).
function dictionary(dir, language) {
  fs.mkdirSync(dir, { recursive: true });
  fs.writeFileSync(path.join(dir, `${language}.aff`), 'SET UTF-8\n');
  fs.writeFileSync(path.join(dir, `${language}.dic`), '1\nword\n');
}

// Runs fn with the environment variables set (undefined: removed), then restores them.
function withEnv(t, values) {
  const saved = Object.fromEntries(Object.keys(values).map((name) => [name, process.env[name]]));
  const apply = (vars) => {
    for (const [name, value] of Object.entries(vars)) {
      if (value === undefined) delete process.env[name];
      else process.env[name] = value;
    }
  };
  apply(values);
  t.after(() => apply(saved));
}

suite('findDictionaries', () => {
  const posix = process.platform !== 'win32';

  test('searches dirs, then DICPATH, then the user and system folders, in that order', (t) => {
    const root = folder(t);
    const at = (...names) => path.join(root, ...names);
    withEnv(t, { DICPATH: `${at('d1')}${path.delimiter}${path.delimiter}${at('d2')}`, XDG_DATA_HOME: at('xdg') });
    assert.deepEqual(dictionaryFolders({ dirs: [at('opt'), 'relative'] }).slice(0, 4), [
      at('opt'), path.resolve('relative'), at('d1'), at('d2'),
    ]);
    assert.deepEqual(dictionaryFolders().slice(2), posix
      ? [at('xdg', 'hunspell'), '/usr/local/share/hunspell', '/usr/share/hunspell', '/usr/share/myspell', '/usr/share/myspell/dicts']
      : [...(process.env.LOCALAPPDATA ? [path.join(process.env.LOCALAPPDATA, 'hunspell')] : []),
        path.join(path.dirname(process.execPath), 'hunspell')]);
  });

  test('the user folder is ~/.local/share/hunspell without XDG_DATA_HOME', { skip: !posix && 'Linux folders' }, (t) => {
    withEnv(t, { DICPATH: undefined, XDG_DATA_HOME: undefined });
    assert.equal(dictionaryFolders()[0], path.join(os.homedir(), '.local', 'share', 'hunspell'));
  });

  test('lists each language once, from the first folder that has it, sorted by language', (t) => {
    const root = folder(t);
    const at = (...names) => path.join(root, ...names);
    withEnv(t, { DICPATH: at('second') });
    dictionary(at('first'), 'xx_B');
    dictionary(at('second'), 'xx_B');
    dictionary(at('second'), 'xx_A');
    dictionary(at('third'), 'Xx_C');
    const found = findDictionaries({ dirs: [at('first'), at('missing'), at('third')] }).filter((d) => d.dir.startsWith(root));
    assert.deepEqual(found, [
      { language: 'Xx_C', tag: 'Xx-C', dir: at('third'), backend: 'hunspell' },
      { language: 'xx_A', tag: 'xx-A', dir: at('second'), backend: 'hunspell' },
      { language: 'xx_B', tag: 'xx-B', dir: at('first'), backend: 'hunspell' },
    ]);
  });

  test('needs both files as regular files or links to them; a link keeps its own folder', { skip: !posix && 'symbolic links' }, (t) => {
    const root = folder(t);
    withEnv(t, { DICPATH: undefined, XDG_DATA_HOME: `${root}/xdg` });
    dictionary(`${root}/real`, 'xx_REAL');
    const dir = `${root}/dicts`;
    fs.mkdirSync(dir);
    fs.symlinkSync(`${root}/real/xx_REAL.aff`, `${dir}/xx_LINK.aff`);
    fs.symlinkSync(`${root}/real/xx_REAL.dic`, `${dir}/xx_LINK.dic`);
    fs.writeFileSync(`${dir}/xx_NOAFF.dic`, '1\nword\n');
    fs.writeFileSync(`${dir}/xx_DIR.aff`, '');
    fs.mkdirSync(`${dir}/xx_DIR.dic`);
    fs.symlinkSync(`${root}/nowhere`, `${dir}/xx_DANGLING.dic`);
    fs.writeFileSync(`${dir}/xx_DANGLING.aff`, '');
    fs.writeFileSync(`${dir}/.dic`, '');
    const found = findDictionaries({ dirs: [dir] }).filter((d) => d.dir === dir);
    assert.deepEqual(found.map((d) => d.language), ['xx_LINK']);
  });

  test('passes over a folder that cannot be read', { skip: !posix && 'POSIX permissions' }, (t) => {
    if (process.getuid && process.getuid() === 0) return t.skip('root reads every folder');
    const root = folder(t);
    dictionary(`${root}/closed`, 'xx_CLOSED');
    fs.chmodSync(`${root}/closed`, 0o000);
    t.after(() => fs.chmodSync(`${root}/closed`, 0o755));
    assert.equal(findDictionaries({ dirs: [`${root}/closed`] }).some((d) => d.language === 'xx_CLOSED'), false);
  });

  test('finds the system en_US dictionary (Debian hunspell-en-us, /usr/share/hunspell)', () => {
    const dirs = posix ? [] : [systemDictionaryDir]; // Windows: Debian's folder through Wine's drive Z:
    assert.ok(findDictionaries({ dirs }).some((d) => d.language === 'en_US' && d.backend === 'hunspell'));
  });

  test('bad options are TypeErrors', () => {
    assert.throws(() => findDictionaries(null), { name: 'TypeError', message: 'options must be an object' });
    assert.throws(() => findDictionaries({ dirs: 'x' }), { name: 'TypeError', message: 'dirs must be an array of strings' });
  });
});

suite('language names', () => {
  const installed = (names) => names.sort().map((language) => ({ language }));
  // [name given, the languages on offer, the one it means (undefined: none)]
  const TABLE = [
    ['en_US', ['en_GB', 'en_US'], 'en_US'],
    ['en-US', ['en_GB', 'en_US'], 'en_US'],
    ['EN-us', ['en_GB', 'en_US'], 'en_US'],
    ['en_us', ['en_US', 'en_us'], 'en_us'],
    ['EN_US', ['en_US', 'en_us'], 'en_US'],
    ['de', ['de_AT', 'de_CH', 'de_DE'], 'de_DE'],
    ['fr', ['fr', 'fr_BE', 'fr_FR'], 'fr_FR'],
    ['FR', ['fr_BE', 'fr_FR'], 'fr_FR'],
    ['en', ['en_AU', 'en_GB', 'en_US'], 'en_US'],
    ['sv', ['sv_FI', 'sv_SE'], 'sv_SE'],
    ['da', ['da_DK'], 'da_DK'],
    ['nb', ['nb_NO'], 'nb_NO'],
    ['el', ['el_CY', 'el_GR'], 'el_GR'],
    ['cs', ['cs_CZ'], 'cs_CZ'],
    ['uk', ['uk_UA'], 'uk_UA'],
    ['eo', ['eo', 'eo_XX'], 'eo'],
    ['pt', ['pt_BR', 'pt_PT'], 'pt_PT'],
    ['es', ['es_AR', 'es_MX'], 'es_AR'],
    ['en', ['en_AU', 'en_GB'], 'en_AU'],
    ['de', ['dek_XX'], undefined],
    ['xx_YY', ['en_US'], undefined],
  ];
  for (const [name, offered, expected] of TABLE) {
    test(`"${name}" among ${offered.join(' ')} is ${expected ?? 'nothing'}`, () => {
      assert.equal(resolveLanguage(name, installed(offered))?.language, expected);
    });
  }
});
