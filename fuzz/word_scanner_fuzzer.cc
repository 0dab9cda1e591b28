// The Hunspell backend's word scanner (FindMisspellings) over arbitrary UTF-16 text. The first
// input byte picks the fixture dictionary (UTF-8, or ISO-8859-1 behind a converter); the rest
// are little-endian code units. Every range must lie inside the text, the ranges must come in
// order without overlapping, each must start on a letter that does not continue a word and end
// at the end of the text or before a separator, and each must be a word that IsMisspelled
// rejects too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fixture_dictionaries.h"
#include "platform/char_class.h"
#include "spellchecker/hunspell_backend.h"
#include "spellchecker/text_conversion.h"

namespace {

using spellshell::CharClass;
using spellshell::ClassifyChar;
using spellshell::HunspellBackend;

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::unique_ptr<HunspellBackend>>* backends = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const spellshell::fuzzing::ScratchFolder folder;
  spellshell::fuzzing::WriteUtf8Dictionary(folder);
  spellshell::fuzzing::WriteLatin1Dictionary(folder);
  backends = new std::vector<std::unique_ptr<HunspellBackend>>();
  for (const char* language : {"xx_UTF8", "xx_LATIN"}) {
    auto backend = std::make_unique<HunspellBackend>();
    Require(backend->SetDictionary(language, folder.str()));
    backends->push_back(std::move(backend));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  HunspellBackend& backend = *(*backends)[data[0] % backends->size()];
  // The text gets a heap block of its own, exactly as long as its units, so that a read past
  // its end is caught.
  const std::size_t length = (size - 1) / 2;
  auto text = std::make_unique<WCHAR[]>(length == 0 ? 1 : length);
  for (std::size_t i = 0; i < length; ++i) {
    text[i] = static_cast<WCHAR>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
  }

  const std::vector<spellshell::MisspellingSpan> spans =
      backend.FindMisspellings(text.get(), length);
  auto is_letter = [&](std::uint64_t i) { return ClassifyChar(text[i]) == CharClass::kLetter; };
  auto is_separator = [&](std::uint64_t i) {
    const CharClass c = ClassifyChar(text[i]);
    return text[i] == 0 || c == CharClass::kPunctuation || c == CharClass::kSpace;
  };
  std::uint64_t previous_end = 0;
  for (std::size_t k = 0; k < spans.size(); ++k) {
    const auto& span = spans[k];
    Require(span.start < span.end && span.end <= length);
    Require(k == 0 || span.start > previous_end);  // a separator lies between two words
    previous_end = span.end;
    Require(is_letter(span.start));
    // Nothing before the start belongs to the word: it is the text's start or follows a
    // separator (an apostrophe included, being punctuation).
    if (span.start > 0) Require(is_separator(span.start - 1));
    Require(span.end == length || is_separator(span.end));
    const spellshell::Utf16String word(text.get() + span.start, span.end - span.start);
    const std::string utf8 = spellshell::Utf16ToUtf8(word);
    Require(utf8.size() <= 255);  // longer words cannot be checked and are never reported
    Require(backend.IsMisspelled(utf8));
  }
  return 0;
}
