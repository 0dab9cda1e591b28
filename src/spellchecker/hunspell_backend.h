// The backend over Hunspell dictionaries: an ".aff" affix file and a ".dic" word list per
// language in a directory the caller names.
//
// Ownership: owns at most one Hunspell instance (the loaded dictionary) and, for dictionaries
// in an 8-bit encoding, the converter to that encoding. Words given to Add and Remove live only
// in the current instance and are lost when it is replaced.
// Threads: no locks. All calls come from the owning thread; FindMisspellings may run on another
// thread through the default companion, but never overlapping any other call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/legacy_encoding.h"
#include "spellchecker/spell_backend.h"
#include "spellchecker/text_converter.h"

class Hunspell;

namespace spellshell {

class HunspellBackend final : public SpellBackend {
 public:
  HunspellBackend();
  ~HunspellBackend() override;

  bool SetDictionary(const std::string& language, const std::string& directory) override;
  std::vector<std::string> GetAvailableDictionaries(const std::string& directory) override;
  std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) override;
  bool IsMisspelled(const std::string& word) override;
  bool IsHunspell() override;
  std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text, std::uint64_t length) override;
  void Add(const std::string& word) override;
  void Remove(const std::string& word) override;
  std::uint64_t DictionaryBytes() const override { return dictionary_bytes_; }

  // The two paths SetDictionary uses for a language and directory: every "-" of the language
  // becomes "_", and "/" is always inserted after the directory.
  static std::string AffixPath(const std::string& language, const std::string& directory);
  static std::string WordListPath(const std::string& language, const std::string& directory);

 private:
  // The word as the dictionary's own bytes: the caller's bytes up to the first NUL, converted
  // to the dictionary's encoding when that is not UTF-8. False when it has no form there.
  bool ToDictionaryForm(const std::string& word, std::string& scratch, const std::string*& out);
  // Hunspell's verdict on a word already in the dictionary's form.
  bool Accepts(const std::string& dictionary_word) const;

  std::unique_ptr<Hunspell> hunspell_;
  TextConverter converter_;
  std::unique_ptr<LegacyEncoding> encoding_;  // null for UTF-8 dictionaries
  std::uint64_t dictionary_bytes_ = 0;
};

}  // namespace spellshell
