// Type declarations for spellshell. docs/api.md tells the whole behaviour; these comments give
// what an editor should show at the call.

/**
 * A spell checker over one of two backends, chosen for good when the object is constructed:
 * the operating system's spell-checking service (Windows) or Hunspell dictionaries
 * (`<language>.aff` + `<language>.dic`) in a folder you name.
 *
 * Every method is synchronous. Use an object only on the thread that created it; a worker
 * thread loads the module itself and gets a class of its own.
 *
 * Methods that need an argument throw a plain `Error` with the message `"Bad argument."` when
 * called with none, and a `TypeError` `"A string was expected"` when an argument that must be a
 * string is anything else (`undefined` passed explicitly included). A method called on an object
 * that is not a `Spellchecker` throws the host's `TypeError` (`"Illegal invocation"` in Node.js).
 */
export declare class Spellchecker {
  /**
   * Prefers the system's spell-checking service; falls back to Hunspell where there is none
   * (always on Linux). Removes `SPELLCHECKER_PREFER_HUNSPELL` from the process environment.
   *
   * @throws {TypeError} `"Class constructors cannot be invoked without 'new'"` when called
   * without `new`.
   */
  constructor();
  /**
   * Uses Hunspell. Any argument at all selects it: its value is never read, so `false` and
   * `undefined` select Hunspell too. Sets `SPELLCHECKER_PREFER_HUNSPELL=true` in the process
   * environment.
   *
   * @throws {TypeError} `"Class constructors cannot be invoked without 'new'"` when called
   * without `new`.
   */
  constructor(useHunspell: unknown, ...ignored: unknown[]);

  /** Whether this object works over Hunspell (`false`: the system's service). */
  isHunspell(): boolean;

  /**
   * Whether the current dictionary rejects the word. `false` for every word while no dictionary
   * is set.
   *
   * @throws {Error} `"Bad argument."` when called with no argument.
   * @throws {TypeError} `"A string was expected"` when `word` is not a string.
   */
  isMisspelled(word: string): boolean;

  /**
   * Switches the dictionary. Hunspell: loads `<directory>/<language>.aff` and `.dic`, with every
   * `-` of the language replaced by `_` (`en-US` → `en_US.dic`); `directory` defaults to `"."`,
   * the process's current directory. The system service: the language tag, with `_` replaced by
   * `-`; `directory` is ignored. With Hunspell, words added or removed before are forgotten.
   *
   * @returns `true` when the dictionary was found (Hunspell: the `.dic` file could be opened);
   * `false` otherwise, and then no dictionary is set, even if one was before.
   * @throws {Error} `"Bad argument."` when called with no argument.
   * @throws {TypeError} `"A string was expected"` when `language`, or a given `directory`, is
   * not a string.
   */
  setDictionary(language: string): boolean;
  setDictionary(language: string, directory: string): boolean;

  /**
   * Accepts the word from now on, until the next `setDictionary` (Hunspell; nothing is written
   * to disk). The system service adds it to the user's word list for the language, which
   * Windows keeps. No effect without a dictionary.
   *
   * @throws {Error} `"Bad argument."` when called with no argument.
   * @throws {TypeError} `"A string was expected"` when `word` is not a string.
   */
  add(word: string): void;

  /**
   * Rejects the word from now on, until the next `setDictionary` (Hunspell: words listed in the
   * `.dic` file or added with `add`). No effect with the system service, or without a dictionary.
   *
   * @throws {Error} `"Bad argument."` when called with no argument.
   * @throws {TypeError} `"A string was expected"` when `word` is not a string.
   */
  remove(word: string): void;

  /**
   * The languages of the system's service, as its tags (`"en-US"`). Hunspell lists nothing and
   * always returns an empty array, whatever `directory` holds.
   *
   * @throws {TypeError} `"A string was expected"` when a given `directory` is not a string.
   */
  getAvailableDictionaries(): string[];
  getAvailableDictionaries(directory: string): string[];

  /**
   * Suggested corrections for the word, best first; empty without a dictionary.
   *
   * @throws {Error} `"Bad argument."` when called with no argument.
   * @throws {TypeError} `"A string was expected"` when `word` is not a string.
   */
  getCorrectionsForMisspelling(word: string): string[];
}

/**
 * Shows the desktop's Open-with chooser for a file, which then opens it with the program the
 * user picks: the Windows shell's dialog, or on Linux the desktop portal's chooser (over the
 * session D-Bus). Returns once the desktop has taken the request; nothing is reported back,
 * not even a missing file or a missing desktop.
 *
 * @throws {TypeError} `"A string was expected"` when `path` is missing or not a string.
 */
export declare function openAs(path: string): void;

/**
 * Shows the Properties dialog of a file or folder: the Windows shell's, or on Linux the file
 * manager's (over the session D-Bus). Nothing is reported back.
 *
 * @throws {TypeError} `"A string was expected"` when `path` is missing or not a string.
 */
export declare function openProperties(path: string): void;

/** A dictionary that `findDictionaries` found, or that a `SpellService` uses. */
export interface DictionaryInfo {
  /** The language as the files name it (`"en_US"`), or the system service's tag with `_`. */
  language: string;
  /** Its BCP 47 form (`"en-US"`). */
  tag: string;
  /** The absolute folder of `<language>.aff` and `.dic`; `null` for the system service. */
  dir: string | null;
  backend: 'hunspell' | 'system';
}

export interface FindDictionariesOptions {
  /** Folders searched before `DICPATH` and the platform's folders. */
  dirs?: string[];
}

/**
 * The dictionaries installed where the system and the user keep them (and, on Windows, the
 * languages of the system's service), each language once, sorted by language.
 *
 * @throws {TypeError} `"options must be an object"`, `"dirs must be an array of strings"`.
 */
export declare function findDictionaries(options?: FindDictionariesOptions): DictionaryInfo[];

export interface SpellServiceOptions {
  /** One or more language names: `en_US`, `en-us`, or a bare `en`. */
  languages: string[];
  /** Folders searched before everything else. */
  dictionaryDirs?: string[];
  /** `'auto'` (default): the system service where it offers the language, else Hunspell. */
  backend?: 'auto' | 'hunspell' | 'system';
  /** A word-list file that keeps added words; without it they last as long as the service. */
  personalDictionary?: string;
  /** `true` (default): the checkers live in a worker thread; `false`: on the calling thread. */
  worker?: boolean;
  /**
   * Milliseconds (default 10000) the worker may take to load the dictionaries of `open` or
   * `setLanguages`; beyond them the call rejects naming the dictionaries. No bound with
   * `worker: false`.
   */
  loadTimeout?: number;
  /**
   * Most worker threads computing suggestions side by side (default: one per processor, at most
   * 4; `1`: one worker does everything). Extra workers start only when suggestion lists wait,
   * and end after 30 s without work. Ignored with `worker: false`.
   */
  workers?: number;
  /** `true` (default): after a check, its first 32 misspellings' lists are computed while the
   * service is idle and kept for `suggest` (in workers only: not with `worker: false`). */
  backgroundSuggestions?: boolean;
  /**
   * With several languages, `false` (default): each paragraph is judged in the language it is
   * written in (a word only another language accepts is borrowed unless it looks like a slip);
   * `true`: a word any of the languages accepts is accepted. One language: no difference.
   */
  anyLanguage?: boolean;
  /** The vocabularies of checks that name none: `true` (default) chooses by each check's format
   * (`vocabulariesFor(format)`), `false` uses none, an array names them. */
  vocabularies?: boolean | Vocabulary[];
}

/**
 * Word lists of software's own words, read from installed MIT-licensed packages
 * (`@cspell/dict-*`): `software` (terms, tools, acronyms), `companies`, `licenses`,
 * `filetypes`, `fullstack`, `node`, `npm`, `typescript`, `html`, `css`, `cpp`, `python`,
 * `shell`, `go`, `rust`.
 */
export type Vocabulary = 'software' | 'companies' | 'licenses' | 'filetypes' | 'fullstack' | 'node' | 'npm' | 'typescript'
  | 'html' | 'css' | 'cpp' | 'python' | 'shell' | 'go' | 'rust';

/** Every vocabulary's name. */
export declare const VOCABULARIES: readonly Vocabulary[];

/**
 * The vocabularies for a check: those of writing about software (`software`, `companies`,
 * `licenses`, `filetypes`), the format's (Markdown: `npm`, `html`; HTML: `html`, `css`,
 * `typescript`, `npm`), and those of the source's language when its editor language id is
 * given (`javascript`: `typescript`, `node`, `npm`, `fullstack`; `cpp`: `cpp`, `fullstack`…).
 */
export declare function vocabulariesFor(format?: Format, languageId?: string): Vocabulary[];

/** The editor language id of a file by its extension (`a.ts` → `'typescript'`), or undefined. */
export declare function languageIdForPath(filePath: string): string | undefined;

/**
 * The formats a text may be checked as. `'plain'` judges every word; the others judge only the
 * prose: `'markdown'` (CommonMark and GitHub's extensions), `'html'`, and source code by family
 * of comment syntax, comments and string literals only: `'code:c'` (`//`, `/* *\/`: C, C++, C#,
 * Java, JavaScript, TypeScript, Go, Rust, Swift, Kotlin, CSS…), `'code:hash'` (`#`: shell,
 * Python and its docstrings, Ruby, Perl, YAML, TOML, Makefile, CMake…), `'code:dash'` (`--`:
 * SQL, Lua, Haskell…).
 */
export type Format = 'plain' | 'markdown' | 'html' | 'code:c' | 'code:hash' | 'code:dash';

/** Every format's name. */
export declare const FORMATS: readonly Format[];

/**
 * The format of a file by its extension or name (`README.md` → `'markdown'`, `Makefile` →
 * `'code:hash'`); `'plain'` when unknown. Takes `/` and `\\` as separators on every platform.
 *
 * @throws {TypeError} `"filePath must be a string"`.
 */
export declare function formatForPath(filePath: string): Format;

/**
 * The format for an editor's language id (the Language Server Protocol's: `markdown`,
 * `typescript`, `shellscript`…); `'plain'` when unknown.
 *
 * @throws {TypeError} `"languageId must be a string"`.
 */
export declare function formatForLanguageId(languageId: string): Format;

/**
 * A misspelled word: `text.slice(start, end) === word` (UTF-16 offsets), except where a
 * character reference was decoded (`caf&eacute;` gives `café` over the whole source range).
 */
export interface Misspelling {
  start: number;
  end: number;
  word: string;
  /** Present only when `check` was asked for suggestions. */
  suggestions?: string[];
  /** The language that judged the word (`"de_DE"`): present when the service has several
   * languages and judges each paragraph in its own (not with `anyLanguage`). */
  language?: string;
}

/** A language of the service and its share (0 to 1) of what tells the languages apart in a text. */
export interface LanguageScore {
  language: string;
  score: number;
}

/** What `check` needs of an `AbortSignal` (Node's and the DOM's fit), declared here so that the
 * types need neither library. */
export interface AbortSignalLike {
  readonly aborted: boolean;
  readonly reason?: unknown;
  addEventListener(type: 'abort', listener: () => void, options?: { once?: boolean }): void;
  removeEventListener(type: 'abort', listener: () => void): void;
}

export interface CheckOptions {
  /** What the text is (default `'plain'`); only its prose is judged. */
  format?: Format;
  /** Up to this many corrections per misspelling (default 0: none, and no `suggestions` key). */
  suggestions?: number;
  /** Aborting rejects the call at once with the signal's reason. */
  signal?: AbortSignalLike;
  /** Milliseconds from the call after which the suggestion lists are what is ready then (see
   * `SuggestOptions.timeout`); the misspellings themselves are always complete. */
  timeout?: number;
  /** Overrides the service's `anyLanguage` for this call. */
  anyLanguage?: boolean;
  /** The vocabularies whose words are known too: `true` by the format, `false` none, or names
   * (default: the service's `vocabularies`). */
  vocabularies?: boolean | Vocabulary[];
  /** `true` (default): the text's inline directives (`spellshell:ignore`, `spellshell:disable`…)
   * are followed. Their own text is never judged. */
  directives?: boolean;
  /** `true` (default): the names of the text's code (identifiers, code spans, `<code>`) are
   * known in its prose. */
  ownWords?: boolean;
  /** `true` (default: as `ownWords`): a word the text writes three times or more, that no
   * dictionary or list knows and that is no known misspelling, is one of its terms. */
  repeatedTerms?: boolean;
}

export interface DetectLanguageOptions {
  /** What the text is (default `'plain'`); only its prose counts. */
  format?: Format;
}

/** An unknown inline directive (`spellshell:ignor`), at UTF-16 offsets into the text. */
export interface DirectiveProblem {
  start: number;
  end: number;
  directive: string;
  message: string;
}

/** `check`'s result: the misspellings, and beside them (a property that is not enumerable) the
 * unknown directives. */
export interface CheckResult extends Array<Misspelling> {
  readonly problems: DirectiveProblem[];
}

export interface SuggestOptions {
  /** At most this many corrections (default 10). */
  limit?: number;
  /**
   * Milliseconds from the call after which it resolves with what is ready: the lists of the
   * languages that finished (and those kept from earlier), merged as usual; `[]` if none has.
   * `0` answers from the kept lists only. Default: no limit.
   */
  timeout?: number;
  /** One of the service's languages whose corrections come first (a misspelling's `language`). */
  language?: string;
}

/**
 * Checks whole texts in one or more languages at once, off the calling thread by default, with
 * personal words kept in a file. Every method but `personalWords` returns a promise and reports
 * every error, bad arguments included, by rejecting. A call sees every change (`addWord`,
 * `removeWord`, `setLanguages`) made before it and none made after; calls between two changes
 * run side by side and may be answered in any order.
 */
export declare class SpellService {
  /** Use `SpellService.open`. */
  private constructor();
  /**
   * @throws (rejects) `TypeError` naming a bad option; `Error` `no dictionary for "xx_YY"
   * (searched: …)`, `no system spell-checking service offers "xx_YY"`, or one naming a bad
   * personal dictionary file and line.
   */
  static open(options: SpellServiceOptions): Promise<SpellService>;
  /** The resolved dictionaries, in the order given. */
  readonly languages: DictionaryInfo[];
  /** The misspelled words of `text`, in text order. */
  check(text: string, options?: CheckOptions): Promise<CheckResult>;
  /** Whether every language rejects the word (a word alone has no paragraph to tell its language). */
  isMisspelled(word: string): Promise<boolean>;
  /**
   * The service's languages ranked by how much of `text` reads as each, best first: scores from
   * 0 to 1 that sum to 1 (equal when nothing tells them apart; one language: its score is 1).
   */
  detectLanguage(text: string, options?: DetectLanguageOptions): Promise<LanguageScore[]>;
  /** The languages' corrections, each language's likeliest first, merged round-robin, without repeats, at most `limit` (10). */
  suggest(word: string, options?: SuggestOptions): Promise<string[]>;
  addWord(word: string): Promise<void>;
  removeWord(word: string): Promise<void>;
  /** The personal words, in file order. */
  personalWords(): string[];
  setLanguages(languages: string[]): Promise<void>;
  /** Ends the workers and resolves once their threads have ended (one still loading dictionaries: after loadTimeout ms at most); pending and later calls reject with `the spell service is closed`. */
  close(): Promise<void>;
}
