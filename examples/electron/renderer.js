'use strict';
// The page: checks the text as it changes, lists each misspelled word with its suggestions and
// an "Add" button that puts the word into the user's words. Several languages may be chosen at
// once: a word is misspelled only when none of them knows it.
const text = document.getElementById('text');
const list = document.getElementById('misspelled');
const languages = document.getElementById('languages');

async function check() {
  let misspelled;
  try {
    misspelled = await window.spellshell.check(text.value);
  } catch {
    return; // a newer check replaced this one
  }
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
  for (const language of available) languages.append(new Option(language, language, false, current.includes(language)));
  languages.onchange = () => {
    const chosen = [...languages.selectedOptions].map((option) => option.value);
    if (chosen.length) window.spellshell.setLanguages(chosen).then(check);
  };
  text.oninput = check;
  await check();
}

start();
