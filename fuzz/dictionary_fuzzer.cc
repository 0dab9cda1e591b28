// Dictionary files as an attacker or a broken download could write them. The input is an
// affix file, optionally followed by "%%%%" and a word-list file (a fixed small word list
// otherwise). The backend loads them and is then asked everything it offers; whatever the
// files hold, it must neither crash, nor hang, nor throw.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fixture_dictionaries.h"
#include "spellchecker/hunspell_backend.h"

namespace {

const spellshell::fuzzing::ScratchFolder* folder = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = new spellshell::fuzzing::ScratchFolder();  // kept for the whole run
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find("%%%%");
  std::string affix(input.substr(0, marker));
  std::string word_list = marker == std::string_view::npos
                              ? std::string("4\nhello\nworld\ncaf\xC3\xA9\nwalk/S\n")
                              : std::string(input.substr(marker + 4));
  folder->Write("xx_FUZZ.aff", affix);
  folder->Write("xx_FUZZ.dic", word_list);

  spellshell::HunspellBackend backend;
  if (!backend.SetDictionary("xx_FUZZ", folder->str())) return 0;
  for (const char* word : {"hello", "walks", "wrold", "caf\xC3\xA9", "", "x", "'", "-"}) {
    backend.IsMisspelled(word);
  }
  backend.GetCorrectionsForMisspelling("wrold");
  backend.GetCorrectionsForMisspelling("Helo");
  backend.Add("zzyzx");
  backend.Remove("hello");
  backend.IsMisspelled("zzyzx");
  const std::u16string text = u"Helo wrold, caf\u00e9 walks don't";
  backend.FindMisspellings(reinterpret_cast<const WCHAR*>(text.data()), text.size());
  return 0;
}
