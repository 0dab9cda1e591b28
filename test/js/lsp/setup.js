'use strict';
// The fixture of the language server's tests: dictionaries, a started client, and services
// whose calls are recorded.
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { SpellService } = require('../../..');
const { Client } = require('./client');
const { fixtureDictionary } = require('../helpers');

const WORDS = ['hello', 'world', 'word', 'lord', 'text', 'second', 'line', 'the', 'one', 'two', 'café'];

// A folder with the dictionaries xx_ONE (WORDS) and xx_TWO (bonjour, monde), a client started
// in this process with settings for them (and `settings`), and the file URI of a name in it.
async function setUp(t, settings = {}, { capabilities, workspace = true, openService, answers = {} } = {}) {
  const dir = fixtureDictionary(t, 'xx_ONE', WORDS);
  fs.writeFileSync(path.join(dir, 'xx_TWO.aff'), 'SET UTF-8\n');
  fs.writeFileSync(path.join(dir, 'xx_TWO.dic'), '2\nbonjour\nmonde\n');
  const client = Client.inProcess(t, { openService });
  client.answers = typeof answers === 'function' ? answers(dir) : answers;
  const uri = (name) => pathToFileURL(path.join(dir, name)).href;
  const options = { languages: ['xx_ONE'], dictionaryDirs: [dir], personalDictionary: path.join(dir, 'words.txt'), ...settings };
  const folders = workspace ? [{ uri: pathToFileURL(dir).href, name: 'fixture' }] : null;
  client.initializeResult = await client.start(options, { capabilities, workspaceFolders: folders });
  return { dir, client, uri };
}

// openService for setUp: real services, whose check() and suggest() calls are recorded in
// `calls`, and whose checks wait while `gate.closed` until gate.open() is called.
function recording() {
  const calls = [];
  let release = () => {};
  const gate = { closed: false, open() { gate.closed = false; release(); } };
  const openService = async (options) => {
    const service = await SpellService.open(options);
    const check = service.check.bind(service);
    const suggest = service.suggest.bind(service);
    service.check = async (text, checkOptions) => {
      calls.push({ op: 'check', text, options: checkOptions });
      if (gate.closed) await new Promise((resolve) => { release = resolve; checkOptions.signal.addEventListener('abort', resolve); });
      return check(text, checkOptions);
    };
    service.suggest = (word, suggestOptions) => {
      calls.push({ op: 'suggest', word });
      return suggest(word, suggestOptions);
    };
    return service;
  };
  return { calls, gate, openService };
}

module.exports = { setUp, recording, WORDS };
