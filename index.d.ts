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
