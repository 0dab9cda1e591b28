// The fake spell checking service: the factory the class registry hands out, the checkers it
// makes, and the enumerations and errors they return. Their answers come from the system's
// FakeComScript; every call is logged through the system.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fake_com_object.h"

namespace spellshell::fakes {

class FakeSpellCheckerFactory final : public FakeComObject<ISpellCheckerFactory> {
 public:
  using FakeComObject::FakeComObject;

  HRESULT STDMETHODCALLTYPE get_SupportedLanguages(IEnumString** languages) override;
  HRESULT STDMETHODCALLTYPE IsSupported(LPCWSTR language_tag, BOOL* supported) override;
  HRESULT STDMETHODCALLTYPE CreateSpellChecker(LPCWSTR language_tag,
                                               ISpellChecker** checker) override;
};

class FakeSpellChecker final : public FakeComObject<ISpellChecker> {
 public:
  FakeSpellChecker(FakeComSystem& system, std::string name, std::u16string language);

  // A proxy for this checker in the calling thread's apartment, with one reference.
  FakeSpellChecker* MakeProxy();

  HRESULT STDMETHODCALLTYPE get_LanguageTag(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE Check(LPCWSTR text, IEnumSpellingError** errors) override;
  HRESULT STDMETHODCALLTYPE Suggest(LPCWSTR word, IEnumString** suggestions) override;
  HRESULT STDMETHODCALLTYPE Add(LPCWSTR word) override;
  HRESULT STDMETHODCALLTYPE Ignore(LPCWSTR word) override;
  HRESULT STDMETHODCALLTYPE AutoCorrect(LPCWSTR from, LPCWSTR to) override;
  HRESULT STDMETHODCALLTYPE GetOptionValue(LPCWSTR option_id, BYTE* value) override;
  HRESULT STDMETHODCALLTYPE get_OptionIds(IEnumString** value) override;
  HRESULT STDMETHODCALLTYPE get_Id(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_LocalizedName(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE add_SpellCheckerChanged(ISpellCheckerChangedEventHandler* handler,
                                                    DWORD* event_cookie) override;
  HRESULT STDMETHODCALLTYPE remove_SpellCheckerChanged(DWORD event_cookie) override;
  HRESULT STDMETHODCALLTYPE GetOptionDescription(LPCWSTR option_id,
                                                 IOptionDescription** value) override;
  HRESULT STDMETHODCALLTYPE ComprehensiveCheck(LPCWSTR text, IEnumSpellingError** errors) override;

 private:
  HRESULT RefuseInterface(REFIID riid) override;

  const std::u16string language_;
};

class FakeEnumString final : public FakeComObject<IEnumString> {
 public:
  FakeEnumString(FakeComSystem& system, std::string name, std::vector<std::u16string> items);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* strings, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override;

 private:
  const std::vector<std::u16string> items_;
  std::size_t position_ = 0;
};

class FakeEnumSpellingError final : public FakeComObject<IEnumSpellingError> {
 public:
  FakeEnumSpellingError(FakeComSystem& system, std::string name,
                        std::vector<std::pair<ULONG, ULONG>> errors);

  HRESULT STDMETHODCALLTYPE Next(ISpellingError** error) override;

 private:
  const std::vector<std::pair<ULONG, ULONG>> errors_;  // start, length
  std::size_t position_ = 0;
};

class FakeSpellingError final : public FakeComObject<ISpellingError> {
 public:
  FakeSpellingError(FakeComSystem& system, std::string name, ULONG start, ULONG length);

  HRESULT STDMETHODCALLTYPE get_StartIndex(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE get_Length(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE get_CorrectiveAction(CORRECTIVE_ACTION* value) override;
  HRESULT STDMETHODCALLTYPE get_Replacement(LPWSTR* value) override;

 private:
  const ULONG start_;
  const ULONG length_;
};

}  // namespace spellshell::fakes
