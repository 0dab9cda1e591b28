// FindMisspellings over a large English text against a plain loop of Hunspell's own `spell`
// over the same words, in one process. Run: build/native/bench/find_misspellings_bench
// (the English text is the licence texts that every Debian system has, repeated; the
// dictionary is the installed en_US).
#include <benchmark/benchmark.h>
#include <hunspell/hunspell.hxx>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "spellchecker/hunspell_backend.h"
#include "spellchecker/text_conversion.h"

namespace {

std::string DictionaryDir() {
  const char* dir = std::getenv("SPELLSHELL_DICTIONARY_DIR");
  return dir != nullptr ? dir : "/usr/share/hunspell";
}

// About 1 MB of real English: the licence texts under /usr/share/common-licenses.
const std::string& EnglishText() {
  static const std::string text = [] {
    std::string all;
    for (const char* name : {"GPL-3", "LGPL-3", "Apache-2.0", "MPL-2.0", "Artistic", "GFDL-1.3"}) {
      std::ifstream in(std::string("/usr/share/common-licenses/") + name, std::ios::binary);
      std::stringstream contents;
      contents << in.rdbuf();
      all += contents.str();
    }
    std::string repeated;
    while (repeated.size() < 1'000'000) repeated += all;
    return repeated;
  }();
  return text;
}

// The words of the text as the scanner cuts them: runs of ASCII letters, an apostrophe joining
// only before a letter. The licence texts are ASCII, so this matches the scanner exactly
// except for runs holding digits, which it skips and this keeps (a handful).
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (letter(text[i])) {
      word.push_back(text[i]);
    } else if (text[i] == '\'' && !word.empty() && i + 1 < text.size() && letter(text[i + 1])) {
      word.push_back(text[i]);
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

void BM_PlainHunspellSpellLoop(benchmark::State& state) {
  const std::string dir = DictionaryDir();
  Hunspell hunspell((dir + "/en_US.aff").c_str(), (dir + "/en_US.dic").c_str());
  const std::vector<std::string> words = Words(EnglishText());
  for (auto _ : state) {
    std::size_t rejected = 0;
    for (const std::string& word : words) rejected += hunspell.spell(word) ? 0 : 1;
    benchmark::DoNotOptimize(rejected);
  }
  state.counters["words/s"] = benchmark::Counter(static_cast<double>(words.size()),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PlainHunspellSpellLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FindMisspellings(benchmark::State& state) {
  spellshell::HunspellBackend backend;
  if (!backend.SetDictionary("en_US", DictionaryDir())) {
    state.SkipWithError("no en_US dictionary");
    return;
  }
  const spellshell::Utf16String text = spellshell::Utf8ToUtf16(EnglishText());
  const std::size_t words = Words(EnglishText()).size();
  for (auto _ : state) {
    benchmark::DoNotOptimize(backend.FindMisspellings(text.data(), text.size()));
  }
  state.counters["words/s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindMisspellings)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
