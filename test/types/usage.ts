// Compiled by test/package/types.test.js with `tsc --noEmit`: each line either must compile
// with exactly the types written here or, marked @ts-expect-error, must be refused.
import { Spellchecker, openAs, openProperties } from 'spellshell';
import { SpellService, findDictionaries, FORMATS, formatForPath, formatForLanguageId, VOCABULARIES, vocabulariesFor, languageIdForPath } from 'spellshell';
import type { DictionaryInfo, Misspelling, AbortSignalLike, Format, CheckResult, DirectiveProblem, Vocabulary } from 'spellshell';

// Exact type equality: `any` or a wider type does not pass for the one written.
type Equal<A, B> = (<T>() => T extends A ? 1 : 2) extends <T>() => T extends B ? 1 : 2 ? true : false;
function expectType<T>() {
  return <U>(value: U, ...exact: Equal<T, U> extends true ? [] : [never]): U => value;
}

const system = new Spellchecker();
const hunspell = new Spellchecker(true);
new Spellchecker(false, 'more', 3);

expectType<boolean>()(system.isHunspell());
expectType<boolean>()(hunspell.setDictionary('en_US'));
expectType<boolean>()(hunspell.setDictionary('en-US', '/usr/share/hunspell'));
expectType<boolean>()(hunspell.isMisspelled('wrod'));
expectType<string[]>()(hunspell.getCorrectionsForMisspelling('wrod'));
expectType<string[]>()(hunspell.getAvailableDictionaries());
expectType<string[]>()(hunspell.getAvailableDictionaries('/usr/share/hunspell'));
expectType<void>()(hunspell.add('spellshell'));
expectType<void>()(hunspell.remove('spellshell'));
expectType<void>()(openAs('/tmp/report.txt'));
expectType<void>()(openProperties('/tmp'));

// The service and the dictionary finder.
expectType<DictionaryInfo[]>()(findDictionaries());
expectType<DictionaryInfo[]>()(findDictionaries({ dirs: ['/opt/dicts'] }));
expectType<string | null>()(findDictionaries()[0].dir);
expectType<Format>()(formatForPath('docs/README.md'));
expectType<Format>()(formatForLanguageId('typescript'));
expectType<readonly Format[]>()(FORMATS);
async function service(signal: AbortSignalLike) {
  const spell = await SpellService.open({ languages: ['en_US', 'de'], personalDictionary: '/tmp/words.txt', worker: false });
  expectType<SpellService>()(spell);
  expectType<CheckResult>()(await spell.check('a wrod', { suggestions: 3, signal }));
  expectType<string[] | undefined>()((await spell.check('a wrod'))[0].suggestions);
  expectType<CheckResult>()(await spell.check('# a wrod', { format: formatForPath('a.md') }));
  expectType<CheckResult>()(await spell.check('// a wrod', { format: 'code:c' }));
  // @ts-expect-error a format is one of FORMATS
  await spell.check('a wrod', { format: 'md' });
  expectType<DirectiveProblem[]>()((await spell.check('<!-- spellshell:ignor -->', { format: 'markdown' })).problems);
  expectType<CheckResult>()(await spell.check('npm', { vocabularies: vocabulariesFor('code:c', languageIdForPath('a.ts')), directives: false, ownWords: false }));
  expectType<CheckResult>()(await spell.check('npm', { vocabularies: ['software', 'npm'] }));
  // @ts-expect-error a vocabulary is one of VOCABULARIES
  await spell.check('npm', { vocabularies: ['klingon'] });
  expectType<readonly Vocabulary[]>()(VOCABULARIES);
  await SpellService.open({ languages: ['en_US'], vocabularies: false });
  expectType<boolean>()(await spell.isMisspelled('wrod'));
  expectType<string[]>()(await spell.suggest('wrod', { limit: 3 }));
  expectType<string[]>()(await spell.suggest('wrod', { limit: 3, timeout: 50 }));
  expectType<CheckResult>()(await spell.check('a wrod', { suggestions: 3, timeout: 100 }));
  await SpellService.open({ languages: ['en_US'], workers: 2, backgroundSuggestions: false });
  expectType<void>()(await spell.addWord('spellshell'));
  expectType<void>()(await spell.removeWord('spellshell'));
  expectType<string[]>()(spell.personalWords());
  expectType<void>()(await spell.setLanguages(['fr']));
  expectType<DictionaryInfo[]>()(spell.languages);
  expectType<void>()(await spell.close());
  // @ts-expect-error languages are required
  await SpellService.open({ worker: true });
  expectType<SpellService>()(await SpellService.open({ languages: ['en'], loadTimeout: 2000 }));
  // @ts-expect-error the load bound is a number of milliseconds
  await SpellService.open({ languages: ['en'], loadTimeout: '2s' });
  // @ts-expect-error the backend is one of three names
  await SpellService.open({ languages: ['en'], backend: 'com' });
  // @ts-expect-error the service is made by open
  new SpellService();
  // @ts-expect-error the languages property is read-only
  spell.languages = [];
}

// The calls that throw at run time, refused here.
// @ts-expect-error the class cannot be called without new
Spellchecker();
// @ts-expect-error isHunspell has no result other than boolean
const notString: string = system.isHunspell();
// @ts-expect-error a word is required ("Bad argument.")
hunspell.isMisspelled();
// @ts-expect-error a word must be a string ("A string was expected")
hunspell.isMisspelled(42);
// @ts-expect-error a language is required
hunspell.setDictionary();
// @ts-expect-error an explicit undefined directory is not a string
hunspell.setDictionary('en_US', undefined);
// @ts-expect-error the directory must be a string
hunspell.setDictionary('en_US', 1);
// @ts-expect-error a word is required
hunspell.add();
// @ts-expect-error a word must be a string
hunspell.remove(null);
// @ts-expect-error an explicit undefined directory is not a string
hunspell.getAvailableDictionaries(undefined);
// @ts-expect-error a word is required
hunspell.getCorrectionsForMisspelling();
// @ts-expect-error the corrections are strings
const corrections: number[] = hunspell.getCorrectionsForMisspelling('wrod');
// @ts-expect-error openAs needs a path
openAs();
// @ts-expect-error openAs takes a string path only
openAs(42);
// @ts-expect-error openProperties needs a path
openProperties();
// @ts-expect-error openProperties takes a string path only
openProperties(42);
// @ts-expect-error the module has no other members
import { FindMisspellings } from 'spellshell';

export { notString, corrections, FindMisspellings, service };
