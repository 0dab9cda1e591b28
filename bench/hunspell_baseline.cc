// The plain C++ reference for `npm run bench`: Hunspell called directly, with nothing between
// the caller and the library, over the same inputs the script-level cases use. Each mode prints
// one JSON object. Also measures FindMisspellings against a plain loop that converts and checks
// the same words.
//
//   hunspell_baseline DIR classify WORDS            print the words Hunspell accepts
//   hunspell_baseline DIR load [LANGUAGE]           load time (ms): new Hunspell and its first
//                                                   spell, as the add-on's setDictionary and
//                                                   first isMisspelled; its processor time
//                                                   (ms); resident memory (KiB)
//   hunspell_baseline DIR running WORDS             spell throughput over repeated passes, each
//                                                   on a Hunspell object just loaded
//   hunspell_baseline DIR distinct WORDS            spell throughput, each word once (after
//                                                   three warm-up passes on the first tenth)
//   hunspell_baseline DIR fresh WORDS               spell throughput, each word once, each of
//                                                   three timed passes on an object just loaded
//   hunspell_baseline DIR suggest WORDS LISTS_OUT   suggest latency; the lists, one per line
//   hunspell_baseline DIR find TEXT                 FindMisspellings vs the plain loop (words/s)
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/char_class.h"
#include "platform/code_page.h"
#include "spellchecker/hunspell_backend.h"
#include "spellchecker/text_conversion.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The process's processor time in ms: unlike the wall time, it leaves out the spells when the
// machine's other work holds the processor.
double ProcessorMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * 4;  // 4 KiB pages
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::unique_ptr<Hunspell> Load(const std::string& dir, const std::string& language = "en_US") {
  return std::make_unique<Hunspell>((dir + "/" + language + ".aff").c_str(),
                                    (dir + "/" + language + ".dic").c_str());
}

// Repeats `pass` until at least half a second has gone, and returns items per second.
template <typename Pass>
double Throughput(std::size_t items, Pass pass) {
  pass();  // warm-up
  const auto start = Clock::now();
  std::size_t passes = 0;
  do {
    pass();
    ++passes;
  } while (Seconds(start) < 0.5);
  return static_cast<double>(items * passes) / Seconds(start);
}

std::string JsonList(const std::vector<std::string>& list) {
  std::string out = "[";
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ",";
    out += "\"";
    for (char c : list[i]) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    out += "\"";
  }
  return out + "]";
}

// The words of a UTF-16 text as the scanner cuts them, for the plain loop: start and length.
std::vector<std::pair<std::size_t, std::size_t>> ScannerWords(const spellshell::Utf16String& t) {
  using spellshell::CharClass;
  std::vector<std::pair<std::size_t, std::size_t>> words;
  std::size_t i = 0;
  while (i < t.size()) {
    if (spellshell::ClassifyChar(t[i]) != CharClass::kLetter) {
      // Skip to the next separator when a run holds something that is not a letter.
      const CharClass c = spellshell::ClassifyChar(t[i]);
      if (c != CharClass::kPunctuation && c != CharClass::kSpace) {
        while (i < t.size() && spellshell::ClassifyChar(t[i]) != CharClass::kPunctuation &&
               spellshell::ClassifyChar(t[i]) != CharClass::kSpace) {
          ++i;
        }
      }
      ++i;
      continue;
    }
    const std::size_t start = i;
    bool skip = false;
    while (i < t.size()) {
      const CharClass c = spellshell::ClassifyChar(t[i]);
      if (t[i] == u'\'' && i + 1 < t.size() &&
          spellshell::ClassifyChar(t[i + 1]) == CharClass::kLetter) {
        i += 2;
      } else if (c == CharClass::kLetter) {
        ++i;
      } else if (c == CharClass::kPunctuation || c == CharClass::kSpace || t[i] == 0) {
        break;
      } else {
        skip = true;
        break;
      }
    }
    if (skip) continue;  // the outer loop skips the rest of the run
    words.emplace_back(start, i - start);
  }
  return words;
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: hunspell_baseline DIR MODE [ARGS]\n";
    return 2;
  }
  const std::string dir = argv[1];
  const std::string mode = argv[2];

  if (mode == "classify" && argc == 4) {
    auto hunspell = Load(dir);
    for (const std::string& word : ReadLines(argv[3])) {
      if (hunspell->spell(word)) std::cout << word << '\n';
    }
    return 0;
  }
  if (mode == "load" && argc <= 4) {
    const std::string language = argc == 4 ? argv[3] : "en_US";
    const std::string word = "keep";  // made before the clock starts, as the script's is
    const long before = ResidentKiB();
    const double processor = ProcessorMs();
    const auto start = Clock::now();
    auto hunspell = Load(dir, language);
    const bool accepted = hunspell->spell(word);
    const double ms = Seconds(start) * 1000;
    const double processor_ms = ProcessorMs() - processor;
    std::cout << "{\"loadMs\":" << ms << ",\"loadCpuMs\":" << processor_ms
              << ",\"memoryKiB\":" << ResidentKiB() - before
              << ",\"accepted\":" << (accepted ? "true" : "false") << "}\n";
    return 0;
  }
  if (mode == "distinct" && argc == 4) {
    auto hunspell = Load(dir);
    const std::vector<std::string> words = ReadLines(argv[3]);
    const std::size_t warm = words.size() / 10;
    std::size_t rejected = 0;
    // The same three warm-up passes over the first tenth as the script cases make.
    for (int pass = 0; pass < 3; ++pass) {
      for (std::size_t i = 0; i < warm; ++i) rejected += hunspell->spell(words[i]) ? 0 : 1;
    }
    rejected = 0;
    const auto start = Clock::now();
    for (std::size_t i = warm; i < words.size(); ++i) rejected += hunspell->spell(words[i]) ? 0 : 1;
    const double rate = static_cast<double>(words.size() - warm) / Seconds(start);
    std::cout << "{\"wordsPerSecond\":" << rate << ",\"rejected\":" << rejected << "}\n";
    return 0;
  }
  if ((mode == "running" || mode == "fresh") && argc == 4) {
    // As the script cases do: one untimed pass, then each timed pass on an object just loaded
    // (loading not timed); "fresh" makes three passes, "running" as many as fill half a second.
    const std::vector<std::string> words = ReadLines(argv[3]);
    std::size_t rejected = 0;
    const auto pass = [&](Hunspell& hunspell) {
      rejected = 0;
      for (const std::string& word : words) rejected += hunspell.spell(word) ? 0 : 1;
    };
    pass(*Load(dir));
    double seconds = 0;
    std::size_t passes = 0;
    do {
      auto hunspell = Load(dir);
      const auto start = Clock::now();
      pass(*hunspell);
      seconds += Seconds(start);
      ++passes;
    } while (mode == "fresh" ? passes < 3 : seconds < 0.5);
    const double rate = static_cast<double>(words.size() * passes) / seconds;
    std::cout << "{\"wordsPerSecond\":" << rate << ",\"rejected\":" << rejected << "}\n";
    return 0;
  }
  if (mode == "suggest" && argc == 5) {
    auto hunspell = Load(dir);
    std::ofstream lists(argv[4]);
    std::vector<double> latencies;
    for (const std::string& word : ReadLines(argv[3])) {
      const auto start = Clock::now();
      const std::vector<std::string> list = hunspell->suggest(word);
      latencies.push_back(Seconds(start) * 1e6);
      lists << JsonList(list) << '\n';
    }
    std::cout << "{\"latenciesUs\":"
              << "[";
    for (std::size_t i = 0; i < latencies.size(); ++i) {
      std::cout << (i ? "," : "") << latencies[i];
    }
    std::cout << "]}\n";
    return 0;
  }
  if (mode == "find" && argc == 4) {
    std::ifstream in(argv[3], std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    const spellshell::Utf16String text = spellshell::Utf8ToUtf16(contents.str());
    const auto words = ScannerWords(text);
    auto hunspell = Load(dir);
    std::size_t rejected = 0;
    const double plain = Throughput(words.size(), [&] {
      std::string word;
      char buffer[256];
      rejected = 0;
      for (const auto& [start, length] : words) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, text.data() + start, static_cast<int>(length),
                                          buffer, 255, nullptr, nullptr);
        word.assign(buffer, static_cast<std::size_t>(n));
        rejected += hunspell->spell(word) ? 0 : 1;
      }
    });
    spellshell::HunspellBackend backend;
    backend.SetDictionary("en_US", dir);
    std::size_t found = 0;
    const double ours = Throughput(
        words.size(), [&] { found = backend.FindMisspellings(text.data(), text.size()).size(); });
    std::cout << "{\"plainWordsPerSecond\":" << plain << ",\"findWordsPerSecond\":" << ours
              << ",\"words\":" << words.size() << ",\"plainRejected\":" << rejected
              << ",\"findRejected\":" << found << "}\n";
    return 0;
  }
  std::cerr << "hunspell_baseline: unknown mode or arguments\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
