#include "fake_spell_service.h"

#include <algorithm>

#include "fake_com_system.h"

namespace spellshell::fakes {
namespace {

std::u16string Text(LPCWSTR text) { return text != nullptr ? std::u16string(text) : u""; }

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80;
}

// Every run of letters that is not in the word list, as (start, length).
std::vector<std::pair<ULONG, ULONG>> UnknownWords(const std::u16string& text,
                                                  const std::set<std::u16string>& words) {
  std::vector<std::pair<ULONG, ULONG>> found;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsLetter(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && IsLetter(text[i])) ++i;
    if (words.count(text.substr(start, i - start)) == 0) {
      found.emplace_back(static_cast<ULONG>(start), static_cast<ULONG>(i - start));
    }
  }
  return found;
}

// Whether an enumeration that has handed out `position` items must now fail.
bool FailsNow(const FakeComScript& script, std::size_t position) {
  return script.enumerations_fail_after.has_value() && position >= *script.enumerations_fail_after;
}

}  // namespace

HRESULT FakeSpellCheckerFactory::get_SupportedLanguages(IEnumString** languages) {
  Enter("get_SupportedLanguages");
  std::lock_guard lock(system_.mutex());
  if (languages == nullptr) return E_POINTER;
  *languages = nullptr;
  if (FAILED(system_.script.supported_languages_result)) {
    return system_.script.supported_languages_result;
  }
  *languages = system_.Make<FakeEnumString>("strings", system_.script.languages);
  return S_OK;
}

HRESULT FakeSpellCheckerFactory::IsSupported(LPCWSTR language_tag, BOOL* supported) {
  Enter("IsSupported " + LogText(Text(language_tag)));
  std::lock_guard lock(system_.mutex());
  if (language_tag == nullptr || supported == nullptr) return E_POINTER;
  *supported = FALSE;
  if (FAILED(system_.script.is_supported_result)) return system_.script.is_supported_result;
  const auto& languages = system_.script.languages;
  *supported = std::find(languages.begin(), languages.end(), language_tag) != languages.end();
  return S_OK;
}

HRESULT FakeSpellCheckerFactory::CreateSpellChecker(LPCWSTR language_tag, ISpellChecker** checker) {
  Enter("CreateSpellChecker " + LogText(Text(language_tag)));
  std::lock_guard lock(system_.mutex());
  if (language_tag == nullptr || checker == nullptr) return E_POINTER;
  *checker = nullptr;
  if (FAILED(system_.script.create_checker_result)) return system_.script.create_checker_result;
  const auto& languages = system_.script.languages;
  if (std::find(languages.begin(), languages.end(), language_tag) == languages.end()) {
    return E_INVALIDARG;
  }
  *checker = system_.Make<FakeSpellChecker>("checker", std::u16string(language_tag));
  return S_OK;
}

FakeSpellChecker::FakeSpellChecker(FakeComSystem& system, std::string name, std::u16string language)
    : FakeComObject(system, std::move(name)), language_(std::move(language)) {}

FakeSpellChecker* FakeSpellChecker::MakeProxy() {
  return system_.Make<FakeSpellChecker>("proxy", language_);
}

HRESULT FakeSpellChecker::RefuseInterface(REFIID riid) {
  std::lock_guard lock(system_.mutex());
  return riid == kUnknownInterface ? system_.script.query_unknown_result : S_OK;
}

HRESULT FakeSpellChecker::get_LanguageTag(LPWSTR* value) {
  Enter("get_LanguageTag");
  if (value == nullptr) return E_POINTER;
  *value = system_.AllocateString(language_);
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT FakeSpellChecker::Check(LPCWSTR text, IEnumSpellingError** errors) {
  Enter("Check " + LogText(Text(text)));
  std::lock_guard lock(system_.mutex());
  if (text == nullptr || errors == nullptr) return E_POINTER;
  *errors = nullptr;
  const FakeComScript& script = system_.script;
  if (FAILED(script.check_result)) return script.check_result;
  *errors = system_.Make<FakeEnumSpellingError>("errors", script.reported_errors
                                                              ? *script.reported_errors
                                                              : UnknownWords(text, script.words));
  return S_OK;
}

HRESULT FakeSpellChecker::Suggest(LPCWSTR word, IEnumString** suggestions) {
  Enter("Suggest " + LogText(Text(word)));
  std::lock_guard lock(system_.mutex());
  if (word == nullptr || suggestions == nullptr) return E_POINTER;
  *suggestions = nullptr;
  const FakeComScript& script = system_.script;
  if (FAILED(script.suggest_result)) return script.suggest_result;
  // A correct word: the service answers S_FALSE along with an empty enumeration.
  if (script.words.count(word) != 0) {
    *suggestions = system_.Make<FakeEnumString>("strings", std::vector<std::u16string>());
    return S_FALSE;
  }
  const auto found = script.suggestions.find(word);
  *suggestions = system_.Make<FakeEnumString>(
      "strings", found != script.suggestions.end() ? found->second : std::vector<std::u16string>());
  return S_OK;
}

HRESULT FakeSpellChecker::Add(LPCWSTR word) {
  Enter("Add " + LogText(Text(word)));
  std::lock_guard lock(system_.mutex());
  if (word == nullptr) return E_POINTER;
  system_.script.words.insert(word);
  return S_OK;
}

// The rest of the interface exists so that the vtable is complete; the module never calls it.
HRESULT FakeSpellChecker::Ignore(LPCWSTR) {
  Enter("Ignore");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::AutoCorrect(LPCWSTR, LPCWSTR) {
  Enter("AutoCorrect");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::GetOptionValue(LPCWSTR, BYTE*) {
  Enter("GetOptionValue");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::get_OptionIds(IEnumString**) {
  Enter("get_OptionIds");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::get_Id(LPWSTR*) {
  Enter("get_Id");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::get_LocalizedName(LPWSTR*) {
  Enter("get_LocalizedName");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::add_SpellCheckerChanged(ISpellCheckerChangedEventHandler*, DWORD*) {
  Enter("add_SpellCheckerChanged");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::remove_SpellCheckerChanged(DWORD) {
  Enter("remove_SpellCheckerChanged");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::GetOptionDescription(LPCWSTR, IOptionDescription**) {
  Enter("GetOptionDescription");
  return E_NOTIMPL;
}
HRESULT FakeSpellChecker::ComprehensiveCheck(LPCWSTR, IEnumSpellingError**) {
  Enter("ComprehensiveCheck");
  return E_NOTIMPL;
}

FakeEnumString::FakeEnumString(FakeComSystem& system, std::string name,
                               std::vector<std::u16string> items)
    : FakeComObject(system, std::move(name)), items_(std::move(items)) {}

HRESULT FakeEnumString::Next(ULONG count, LPOLESTR* strings, ULONG* fetched) {
  Enter("Next");
  std::lock_guard lock(system_.mutex());
  if (strings == nullptr) return E_POINTER;
  if (count != 1) {
    // COM allows more, but then only with a fetched count; the module asks for one at a time.
    system_.ReportProblem(name() + ".Next asked for " + std::to_string(count) + " strings");
    return E_INVALIDARG;
  }
  strings[0] = nullptr;
  if (fetched != nullptr) *fetched = 0;
  if (FailsNow(system_.script, position_)) return E_FAIL;
  if (position_ >= items_.size()) return S_FALSE;
  strings[0] = system_.AllocateString(items_[position_++]);
  if (fetched != nullptr) *fetched = 1;
  return S_OK;
}

HRESULT FakeEnumString::Skip(ULONG) {
  Enter("Skip");
  return E_NOTIMPL;
}
HRESULT FakeEnumString::Reset() {
  Enter("Reset");
  return E_NOTIMPL;
}
HRESULT FakeEnumString::Clone(IEnumString**) {
  Enter("Clone");
  return E_NOTIMPL;
}

FakeEnumSpellingError::FakeEnumSpellingError(FakeComSystem& system, std::string name,
                                             std::vector<std::pair<ULONG, ULONG>> errors)
    : FakeComObject(system, std::move(name)), errors_(std::move(errors)) {}

HRESULT FakeEnumSpellingError::Next(ISpellingError** error) {
  Enter("Next");
  std::lock_guard lock(system_.mutex());
  if (error == nullptr) return E_POINTER;
  *error = nullptr;
  if (FailsNow(system_.script, position_)) return E_FAIL;
  if (position_ >= errors_.size()) return S_FALSE;
  const auto [start, length] = errors_[position_++];
  *error = system_.Make<FakeSpellingError>("error", start, length);
  return S_OK;
}

FakeSpellingError::FakeSpellingError(FakeComSystem& system, std::string name, ULONG start,
                                     ULONG length)
    : FakeComObject(system, std::move(name)), start_(start), length_(length) {}

HRESULT FakeSpellingError::get_StartIndex(ULONG* value) {
  Enter("get_StartIndex");
  if (value == nullptr) return E_POINTER;
  *value = start_;
  return S_OK;
}

HRESULT FakeSpellingError::get_Length(ULONG* value) {
  Enter("get_Length");
  if (value == nullptr) return E_POINTER;
  *value = length_;
  return S_OK;
}

HRESULT FakeSpellingError::get_CorrectiveAction(CORRECTIVE_ACTION* value) {
  Enter("get_CorrectiveAction");
  if (value == nullptr) return E_POINTER;
  *value = CORRECTIVE_ACTION_GET_SUGGESTIONS;
  return S_OK;
}

HRESULT FakeSpellingError::get_Replacement(LPWSTR* value) {
  Enter("get_Replacement");
  if (value == nullptr) return E_POINTER;
  *value = system_.AllocateString(u"");
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace spellshell::fakes
