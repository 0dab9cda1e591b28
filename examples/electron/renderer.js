'use strict';
// The page: checks the text as it changes, lists each misspelled word with its suggestions and
// an "Add" button that puts the word into the user's words.
const text = document.getElementById('text');
const list = document.getElementById('misspelled');
const language = document.getElementById('language');

async function check() {
  const misspelled = await window.spellshell.check(text.value);
  list.replaceChildren(
    ...misspelled.map(({ word, start, suggestions }) => {
      const item = document.createElement('li');
      item.textContent = `${word} (at ${start}): ${suggestions.join(', ') || 'no suggestions'} `;
      const add = document.createElement('button');
      add.textContent = 'Add';
      add.onclick = () => window.spellshell.addWord(word).then(check);
      item.append(add);
      return item;
    }),
  );
}

async function start() {
  const { available, current } = await window.spellshell.languages();
  for (const tag of available) language.append(new Option(tag, tag));
  language.value = current;
  language.onchange = () => window.spellshell.setLanguage(language.value).then(check);
  text.oninput = check;
  await check();
}

start();
