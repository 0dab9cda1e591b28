#include "spellchecker/hunspell_backend.h"

#include <hunspell/hunspell.hxx>

#include <array>
#include <cstring>

#include "platform/char_class.h"
#include "platform/dictionary_file.h"
#include "platform/temporary_file.h"
#include "spellchecker/affix_file.h"
#include "spellchecker/word_list_file.h"

namespace spellshell {
namespace {

std::string DictionaryPath(const std::string& language, const std::string& directory,
                           const char* suffix) {
  std::string path;
  path.reserve(directory.size() + 1 + language.size() + 4);
  path.append(directory).push_back('/');
  for (char c : language) path.push_back(c == '-' ? '_' : c);
  path.append(suffix);
  return path;
}

// Hunspell takes C strings, so a word ends at its first NUL byte.
std::size_t CStringLength(const std::string& word) { return strnlen(word.data(), word.size()); }

enum class ScanState { kBetweenWords, kInWord, kSkipping };

}  // namespace

HunspellBackend::HunspellBackend() = default;
HunspellBackend::~HunspellBackend() = default;

std::string HunspellBackend::AffixPath(const std::string& language, const std::string& directory) {
  return DictionaryPath(language, directory, ".aff");
}

std::string HunspellBackend::WordListPath(const std::string& language,
                                          const std::string& directory) {
  return DictionaryPath(language, directory, ".dic");
}

bool HunspellBackend::SetDictionary(const std::string& language, const std::string& directory) {
  // Drop the old dictionary first: a failure below leaves none.
  encoding_.reset();
  hunspell_.reset();
  dictionary_bytes_ = 0;
  const std::string affix_path = AffixPath(language, directory);
  const std::string word_list_path = WordListPath(language, directory);
  // Only the word list decides the result, and only by being openable; Hunspell copes with the
  // rest, except with files that would hang or crash it ("" for an affix file also keeps
  // Hunspell from printing that it cannot open it).
  if (!CanOpenDictionaryFile(word_list_path)) return false;
  std::string affix = HunspellDictionaryPath(affix_path);
  std::string word_list = HunspellDictionaryPath(word_list_path);
  // An affix file Hunspell would choke on is left out, as a missing one would be, unless leaving
  // out its PHONE table (a copy without it) is enough.
  std::unique_ptr<TemporaryFile> mended_affix;
  if (!IsLoadableAffixFile(affix, word_list)) {
    if (std::optional<std::string> contents = AffixFileWithoutPhoneTables(affix)) {
      mended_affix = TemporaryFile::Create(*contents);
    }
    const bool mended =
        mended_affix && IsLoadableAffixFile(mended_affix->hunspell_path(), word_list);
    affix = mended ? mended_affix->hunspell_path() : std::string();
  }
  // A word list that would take minutes to load goes in a mended copy, removed once Hunspell
  // has read it; when no copy can be written, the dictionary is not loaded rather than hang.
  std::unique_ptr<TemporaryFile> mended;
  WordListSize size;
  if (std::optional<std::string> contents = MendedWordList(word_list, &size)) {
    mended = TemporaryFile::Create(*contents);
    if (!mended) return false;
    word_list = mended->hunspell_path();
  }
  hunspell_ = std::make_unique<Hunspell>(affix.c_str(), word_list.c_str(), nullptr);
  // Measured as the growth of the process's resident memory per loaded dictionary: 8.2 MB for
  // Debian's en_US (79,000 entries, 0.86 MB), 12.7 MB for fr_FR (84,000 entries, 2.6 MB). An
  // entry and its bytes in Hunspell's tables, plus what its affix rules add, about match.
  dictionary_bytes_ = 64 * size.entries + 4 * size.bytes;
  const char* declared = hunspell_->get_dic_encoding();
  if (declared != nullptr && !IsUtf8EncodingName(declared)) {
    encoding_ = LegacyEncoding::Open(declared);
  }
  return true;
}

std::vector<std::string> HunspellBackend::GetAvailableDictionaries(const std::string&) {
  return {};
}

bool HunspellBackend::ToDictionaryForm(const std::string& word, std::string& scratch,
                                       const std::string*& out) {
  const std::size_t length = CStringLength(word);
  if (encoding_ != nullptr) {
    out = &scratch;
    return encoding_->FromUtf8(std::string_view(word.data(), length), scratch);
  }
  if (length == word.size()) {
    out = &word;  // the common case: no copy
  } else {
    scratch.assign(word.data(), length);
    out = &scratch;
  }
  return true;
}

bool HunspellBackend::Accepts(const std::string& dictionary_word) const {
  return hunspell_->spell(dictionary_word);
}

std::vector<std::string> HunspellBackend::GetCorrectionsForMisspelling(const std::string& word) {
  if (!hunspell_) return {};
  std::string scratch;
  const std::string* form = nullptr;
  if (!ToDictionaryForm(word, scratch, form)) return {};
  std::vector<std::string> suggestions = hunspell_->suggest(*form);
  if (encoding_ != nullptr) {
    std::string utf8;
    std::vector<std::string> converted;
    converted.reserve(suggestions.size());
    for (const std::string& suggestion : suggestions) {
      // A suggestion that cannot be shown correctly is left out rather than corrupted.
      if (encoding_->ToUtf8(suggestion, utf8)) converted.push_back(utf8);
    }
    return converted;
  }
  return suggestions;
}

bool HunspellBackend::IsMisspelled(const std::string& word) {
  if (!hunspell_) return false;
  std::string scratch;
  const std::string* form = nullptr;
  if (!ToDictionaryForm(word, scratch, form)) return true;
  return !Accepts(*form);
}

bool HunspellBackend::IsHunspell() { return true; }

void HunspellBackend::Add(const std::string& word) {
  if (!hunspell_) return;
  std::string scratch;
  const std::string* form = nullptr;
  if (ToDictionaryForm(word, scratch, form)) hunspell_->add(*form);
}

void HunspellBackend::Remove(const std::string& word) {
  if (!hunspell_) return;
  std::string scratch;
  const std::string* form = nullptr;
  if (ToDictionaryForm(word, scratch, form)) hunspell_->remove(*form);
}

std::vector<MisspellingSpan> HunspellBackend::FindMisspellings(const WCHAR* text,
                                                               std::uint64_t length) {
  std::vector<MisspellingSpan> result;
  if (!hunspell_) return result;

  // 255 bytes + NUL: a longer word converts to the empty string, which Hunspell accepts, so
  // such words are never reported.
  std::array<char, 256> buffer{};
  // Reused for every word: Hunspell takes std::string, and past its first growth this
  // allocates nothing per word.
  std::string word;
  std::string legacy;
  word.reserve(buffer.size());

  auto check = [&](std::uint64_t start, std::uint64_t end) {
    converter_.Utf16ToUtf8Buffer(buffer.data(), static_cast<std::int32_t>(buffer.size()),
                                 text + start, static_cast<std::int32_t>(end - start));
    word.assign(buffer.data());
    bool accepted;
    if (encoding_ == nullptr) {
      accepted = Accepts(word);
    } else {
      accepted = encoding_->FromUtf8(word, legacy) && Accepts(legacy);
    }
    if (!accepted) result.push_back({start, end});
  };

  ScanState state = ScanState::kBetweenWords;
  std::uint64_t word_start = 0;
  for (std::uint64_t i = 0; i < length; ++i) {
    const WCHAR c = text[i];
    const CharClass cls = ClassifyChar(c);
    const bool separator = cls == CharClass::kPunctuation || cls == CharClass::kSpace;
    switch (state) {
      case ScanState::kBetweenWords:
        if (cls == CharClass::kLetter) {
          word_start = i;
          state = ScanState::kInWord;
        } else if (!separator) {
          state = ScanState::kSkipping;
        }
        break;
      case ScanState::kInWord:
        if (c == u'\'' && i + 1 < length && ClassifyChar(text[i + 1]) == CharClass::kLetter) {
          ++i;  // the apostrophe and the letter after it belong to the word
        } else if (c == 0 || separator) {
          check(word_start, i);
          state = ScanState::kBetweenWords;
        } else if (cls != CharClass::kLetter) {
          state = ScanState::kSkipping;  // a word with a digit or symbol is not checked
        }
        break;
      case ScanState::kSkipping:
        if (separator) state = ScanState::kBetweenWords;
        break;
    }
  }
  if (state == ScanState::kInWord) check(word_start, length);
  return result;
}

}  // namespace spellshell
