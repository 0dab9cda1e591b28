'use strict';
// What the server's documents are checked with: the workspace folders, each folder's project
// file, and the spell services, one per set of options (languages, dictionary folders, personal
// file), opened once and shared by the documents that need the same.
const path = require('node:path');
const { vocabulariesFor, languageIdForPath } = require('../words/vocabularies');
const { packageWords } = require('../project/package-words');

// The vocabularies of a document: by its format and language id (true), none (false), or those
// named.
function vocabularyNames(setting, format, languageId) {
  if (setting === true) return vocabulariesFor(format, languageId);
  return setting === false ? [] : setting;
}
const { PersonalWords } = require('../words/personal-words');
const { formatForLanguageId, formatForPath, FORMATS } = require('../formats');
const { findProjectConfig, defaultPersonalFile } = require('../project/project-config');
const { defaultLanguage } = require('../dictionaries/default-language');
const { isInside } = require('./uri');
const { globMatcher, leftOut, formatNamer } = require('../project/glob-matcher');

class Workspace {
  // warn(message), fail(message): told of a project file or a service that cannot be used.
  constructor({ env, platform, openService, warn, fail }) {
    this.env = env;
    this.platform = platform;
    this.path = platform === 'win32' ? path.win32 : path.posix;
    this.openService = openService;
    this.warn = warn;
    this.fail = fail;
    this.folders = []; // the workspace folders' paths
    this.projects = new Map(); // folder -> Promise<project config or null>
    this.services = new Map(); // options key -> { options, ready: Promise<SpellService|null>, generation }
    this.generation = 0; // counts the changes of settings
    this.closed = false; // once closed, a service that opens is closed at once
  }

  // The settings changed: project files are read again, and services that no document asks
  // for any more can go (closeUnused).
  settingsChanged() {
    this.generation++;
    this.projects.clear();
  }

  // The project config for a document's folder (cached per folder in `projects`), or null.
  projectFor(file, projects = this.projects) {
    const dir = file ? this.path.dirname(file) : this.folders[0];
    if (!dir) return Promise.resolve(null);
    if (!projects.has(dir)) {
      projects.set(dir, findProjectConfig(dir).catch((error) => {
        this.warn(`the project settings cannot be read: ${error.message}`);
        return null;
      }));
    }
    return projects.get(dir);
  }

  // The service for these options, opened once. One whose personal file cannot be used opens
  // without it (reported once); one that cannot open at all is null (reported once).
  serviceFor(options) {
    const key = JSON.stringify(options);
    if (this.closed) return { options, ready: Promise.resolve(null), generation: this.generation };
    if (!this.services.has(key)) {
      const ready = this.openService(options).catch((error) => {
        if (options.personalDictionary === undefined || !/personal dictionary/.test(error.message)) throw error;
        this.warn(`${error.message}; words added now last until the server ends`);
        const { personalDictionary, ...rest } = options;
        return this.openService(rest);
      }).then((service) => {
        // The server ended while the dictionaries loaded: nobody will close it later.
        if (!this.closed) return service;
        service.close();
        return null;
      }).catch((error) => {
        if (!this.closed) this.fail(`cannot check spelling: ${error.message}`);
        return null;
      });
      this.services.set(key, { options, ready, generation: this.generation });
    }
    const entry = this.services.get(key);
    entry.generation = this.generation;
    return entry;
  }

  // What a document ({ path, languageId }) is checked with under these settings: its service,
  // format, project, the words never reported there (the project's, its package's names, the
  // file's base name), the vocabularies, the suggestions to offer. A file read from disk has no
  // language id (null): its name tells its format. `projects`: where project configs are kept
  // per folder (a workspace pull keeps its own).
  async contextOf(document, settings, projects = this.projects) {
    const project = await this.projectFor(document.path, projects);
    const config = project?.config ?? {};
    const languages = config.languages?.length ? config.languages : settings.languages ?? [defaultLanguage(this.env, settings.dictionaryDirs)];
    let personal = settings.personalDictionary === undefined ? defaultPersonalFile(this.env, this.platform) : settings.personalDictionary;
    if (typeof config.personal === 'string' && config.personal !== '') personal = this.path.resolve(project.dir, config.personal);
    // No lists prepared in the background: one being computed (25 ms for en_US, 100 for fr_FR)
    // holds up the next check, and an editor checks after every keystroke; a quick fix computes
    // its lists when asked, over the service's pool.
    const options = {
      languages,
      dictionaryDirs: settings.dictionaryDirs,
      anyLanguage: typeof config.anyLanguage === 'boolean' ? config.anyLanguage : settings.anyLanguage,
      backgroundSuggestions: false,
    };
    if (personal !== null) options.personalDictionary = personal;
    const entry = this.serviceFor(options);
    // The project's own patterns speak of its files by name, and so come before the editor's
    // formats by language id; a file the project excludes shows no misspellings, as the command
    // line would not check it.
    const file = document.path;
    const named = file && project ? formatNamer(config.formats, project.dir, this.path)(file) : undefined;
    const format = named ?? (document.languageId === null ? formatForPath(file ?? '') : settings.formats[document.languageId] ?? formatForLanguageId(document.languageId));
    const excluded = Boolean(file && project && config.exclude?.length && leftOut(globMatcher(config.exclude, project.dir, this.path), file, project.dir, this.path));
    return {
      entry,
      service: await entry.ready,
      format: FORMATS.includes(format) ? format : 'plain',
      excluded,
      project,
      projectWords: new PersonalWords([...(config.words ?? []), ...(config.ignoreWords ?? []), ...(file ? packageWords(file) : [])]),
      // A file read from disk: the language id an editor would give it.
      vocabularies: vocabularyNames(config.vocabularies ?? settings.vocabularies, format, document.languageId ?? (file ? languageIdForPath(file) : undefined)),
      suggestions: Number.isInteger(config.suggest) && config.suggest >= 0 ? config.suggest : settings.suggestions,
    };
  }

  // The services keeping the same personal file as this one (itself included).
  sharingPersonalFile(entry) {
    const personal = entry.options.personalDictionary;
    return [...this.services.values()].filter((e) => e === entry || (personal !== undefined && e.options.personalDictionary === personal));
  }

  // Where "Add to the project's word list" writes: the folder of the project's own file, else
  // the workspace folder holding the document, else (a file outside every folder) its folder.
  projectDirOf(file, context) {
    if (context.project?.kind === 'spellshell') return context.project.dir;
    if (file) {
      const folder = this.folders.filter((f) => isInside(file, f, this.platform)).sort((a, b) => b.length - a.length)[0];
      return folder ?? this.path.dirname(file);
    }
    return this.folders[0] ?? null;
  }

  // Services that no document asked for since the settings changed are closed, once every
  // document knows its new one (`contexts`: their promises).
  async closeUnused(contexts) {
    await Promise.all(contexts.map((context) => context.catch(() => null)));
    for (const [key, entry] of this.services) {
      if (entry.generation < this.generation) {
        this.services.delete(key);
        entry.ready.then((service) => service?.close());
      }
    }
  }

  // Closes the services that are open and waits for them; one still loading its dictionaries
  // closes itself once loaded, unwaited (see serviceFor), so that the server ends at once.
  // Resolves to whether every service has closed (none was still loading).
  async close() {
    this.closed = true;
    const entries = [...this.services.values()];
    this.services.clear();
    const loading = Symbol('loading');
    const open = await Promise.all(entries.map((entry) => Promise.race([entry.ready, loading])));
    await Promise.all(open.map((service) => (service === loading ? undefined : service?.close())));
    return !open.includes(loading);
  }
}

module.exports = { Workspace };
