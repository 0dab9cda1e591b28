// The contract every spell-checking backend fulfils. A Spellchecker script object owns exactly
// one backend for its whole life; backends know nothing of Node-API and never throw for a
// failure of their own: they answer false, an empty list or nothing instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace spellshell {

// One misspelled stretch of a text given to FindMisspellings, in UTF-16 code units from the
// start of that text; `end` is exclusive.
struct MisspellingSpan {
  std::uint64_t start = 0;
  std::uint64_t end = 0;

  friend bool operator==(const MisspellingSpan&, const MisspellingSpan&) = default;
};

// A companion through which one other thread checks whole texts. It is created, used and
// destroyed on that one thread, and never outlives the backend that made it.
class ThreadSpellChecker {
 public:
  virtual ~ThreadSpellChecker() = default;
  virtual std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text,
                                                        std::uint64_t length) = 0;
};

// Thread rule: every operation and the destructor run on the thread that owns the backend (the
// script thread). Lists and companions are returned by value and belong to the caller.
class SpellBackend {
 public:
  virtual bool SetDictionary(const std::string& language, const std::string& directory) = 0;
  virtual std::vector<std::string> GetAvailableDictionaries(const std::string& directory) = 0;
  virtual std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) = 0;
  virtual bool IsMisspelled(const std::string& word) = 0;
  virtual bool IsHunspell() = 0;
  virtual std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text,
                                                        std::uint64_t length) = 0;
  virtual void Add(const std::string& word) = 0;
  virtual void Remove(const std::string& word) = 0;
  // The default companion forwards to this backend's FindMisspellings without any locking, so
  // its checks must not overlap with other calls on the same backend.
  virtual std::unique_ptr<ThreadSpellChecker> CreateThreadChecker();
  // About how much memory the loaded dictionary takes, so that the script host's collector can
  // weigh an unreachable checker; 0 when the memory is not the process's own to count.
  virtual std::uint64_t DictionaryBytes() const { return 0; }
  virtual ~SpellBackend() = default;
};

}  // namespace spellshell
