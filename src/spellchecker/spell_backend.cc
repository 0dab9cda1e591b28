#include "spellchecker/spell_backend.h"

namespace spellshell {
namespace {

class DefaultThreadSpellChecker final : public ThreadSpellChecker {
 public:
  explicit DefaultThreadSpellChecker(SpellBackend* backend) : backend_(backend) {}

  std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text, std::uint64_t length) override {
    return backend_->FindMisspellings(text, length);
  }

 private:
  SpellBackend* backend_;  // not owned; outlives the companion
};

}  // namespace

std::unique_ptr<ThreadSpellChecker> SpellBackend::CreateThreadChecker() {
  return std::make_unique<DefaultThreadSpellChecker>(this);
}

}  // namespace spellshell
