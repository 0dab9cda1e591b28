// A stand-in for the Windows spell checking service, as an in-process COM server: registered
// with regsvr32 under the class of the system's spell checker factory, it is what
// CoCreateInstance hands the add-on under Wine, which has no spell service of its own.
//
// Its service is deliberately small and predictable, so that tests can state exact answers:
//   - languages "en-US" and "fr-FR", in that order, matched without regard to case;
//   - a text is split into words (runs of letters, with apostrophes inside); a word is spelled
//     correctly when it, or its lowercase form, is in the language's word list or was added;
//   - Check reports every other word, as start index and length in UTF-16 units;
//   - Suggest answers S_FALSE (and an enumeration holding the word itself, as the real service
//     does) for a correct word, otherwise the listed words within two edits, nearest first and
//     in list order among equals;
//   - Add keeps the word for the language, for every checker of it, until the process ends;
//   - an empty text or word is E_INVALIDARG, as with the real service.
//
// Every object aggregates the free-threaded marshaler: Wine has no proxy/stub for the
// spell-checking interfaces, so the global interface table could not hand a checker to another
// apartment otherwise. With it, the other thread gets the object itself, which is why its state
// is guarded by a lock.
//
// FakeSpellServiceLiveObjects (exported) counts the objects alive, so that a test can prove that
// every reference handed out was released. A script cannot call it, so when the process unloads
// the server, the count is also written to the file named by SPELLSHELL_FAKE_SERVICE_REPORT
// (when set): "live objects: N".
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <olectl.h>
#include <spellcheck.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr CLSID kSpellCheckerFactoryClass = {
    0x7AB36653, 0x1796, 0x484B, {0xBD, 0xFA, 0xE7, 0x4F, 0x1D, 0xB7, 0xC1, 0xDC}};
constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{7AB36653-1796-484B-BDFA-E74F1DB7C1DC}";

HMODULE g_module = nullptr;
std::atomic<long> g_live_objects{0};
std::atomic<long> g_server_locks{0};

struct Language {
  const wchar_t* tag;
  std::vector<std::wstring> words;
};

const std::vector<Language>& Languages() {
  static const std::vector<Language> languages = {
      {L"en-US", {L"hello", L"world", L"word", L"words", L"colour", L"the", L"quick", L"brown",
                  L"fox", L"it's"}},
      {L"fr-FR", {L"bonjour", L"café", L"élève", L"monde", L"garçon"}},
  };
  return languages;
}

const Language* FindLanguage(const wchar_t* tag) {
  for (const Language& language : Languages()) {
    if (_wcsicmp(language.tag, tag) == 0) return &language;
  }
  return nullptr;
}

// Words added through any checker, per language tag. Checkers reach it from any thread.
std::mutex g_added_lock;
std::map<std::wstring, std::set<std::wstring>> g_added;

std::wstring Lowercase(std::wstring word) {
  for (wchar_t& c : word) c = static_cast<wchar_t>(std::towlower(c));
  return word;
}

bool IsKnown(const Language& language, const std::wstring& word) {
  const std::wstring lower = Lowercase(word);
  for (const std::wstring& known : language.words) {
    if (known == word || known == lower) return true;
  }
  std::lock_guard<std::mutex> lock(g_added_lock);
  const std::set<std::wstring>& added = g_added[language.tag];
  return added.count(word) != 0 || added.count(lower) != 0;
}

std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

LPWSTR CopyToTaskMemory(const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (copy != nullptr) std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
  return copy;
}

// Reference counting, QueryInterface over IUnknown and the one interface, and the free-threaded
// marshaler as an aggregated inner object that answers IMarshal.
template <typename Interface>
class FreeThreadedObject : public Interface {
 public:
  FreeThreadedObject() { ++g_live_objects; }
  virtual ~FreeThreadedObject() {
    if (marshaler_ != nullptr) marshaler_->Release();
    --g_live_objects;
  }
  FreeThreadedObject(const FreeThreadedObject&) = delete;
  FreeThreadedObject& operator=(const FreeThreadedObject&) = delete;

  HRESULT CreateMarshaler() {
    return CoCreateFreeThreadedMarshaler(static_cast<Interface*>(this), &marshaler_);
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == __uuidof(IMarshal)) {
      return marshaler_ != nullptr ? marshaler_->QueryInterface(riid, object) : E_NOINTERFACE;
    }
    if (riid != __uuidof(IUnknown) && riid != __uuidof(Interface)) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
  IUnknown* marshaler_ = nullptr;  // the inner object: its IUnknown does not delegate
};

// Creates an object with one reference and its marshaler, and hands it out as `Interface`.
template <typename Object, typename Interface, typename... Arguments>
HRESULT Make(Interface** out, Arguments&&... arguments) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  auto* object = new (std::nothrow) Object(std::forward<Arguments>(arguments)...);
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = object->CreateMarshaler();
  if (FAILED(result)) {
    object->Release();
    return result;
  }
  *out = object;
  return S_OK;
}

class StringEnumeration final : public FreeThreadedObject<IEnumString> {
 public:
  explicit StringEnumeration(std::vector<std::wstring> items) : items_(std::move(items)) {}

  STDMETHODIMP Next(ULONG count, LPOLESTR* strings, ULONG* fetched) override {
    if (strings == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    ULONG given = 0;
    while (given < count && position_ < items_.size()) {
      strings[given] = CopyToTaskMemory(items_[position_]);
      if (strings[given] == nullptr) break;
      ++given;
      ++position_;
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    std::lock_guard<std::mutex> lock(lock_);
    const std::size_t left = items_.size() - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    std::lock_guard<std::mutex> lock(lock_);
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumString**) override { return E_NOTIMPL; }

 private:
  std::mutex lock_;
  const std::vector<std::wstring> items_;
  std::size_t position_ = 0;
};

class SpellingError final : public FreeThreadedObject<ISpellingError> {
 public:
  SpellingError(ULONG start, ULONG length) : start_(start), length_(length) {}

  STDMETHODIMP get_StartIndex(ULONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = start_;
    return S_OK;
  }
  STDMETHODIMP get_Length(ULONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = length_;
    return S_OK;
  }
  STDMETHODIMP get_CorrectiveAction(CORRECTIVE_ACTION* value) override {
    if (value == nullptr) return E_POINTER;
    *value = CORRECTIVE_ACTION_GET_SUGGESTIONS;
    return S_OK;
  }
  STDMETHODIMP get_Replacement(LPWSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = CopyToTaskMemory(L"");
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  const ULONG start_;
  const ULONG length_;
};

class SpellingErrorEnumeration final : public FreeThreadedObject<IEnumSpellingError> {
 public:
  explicit SpellingErrorEnumeration(std::vector<std::pair<ULONG, ULONG>> errors)
      : errors_(std::move(errors)) {}

  STDMETHODIMP Next(ISpellingError** error) override {
    if (error == nullptr) return E_POINTER;
    *error = nullptr;
    std::lock_guard<std::mutex> lock(lock_);
    if (position_ == errors_.size()) return S_FALSE;
    const auto [start, length] = errors_[position_++];
    return Make<SpellingError>(error, start, length);
  }

 private:
  std::mutex lock_;
  const std::vector<std::pair<ULONG, ULONG>> errors_;  // start, length
  std::size_t position_ = 0;
};

class SpellChecker final : public FreeThreadedObject<ISpellChecker> {
 public:
  explicit SpellChecker(const Language& language) : language_(language) {}

  STDMETHODIMP get_LanguageTag(LPWSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = CopyToTaskMemory(language_.tag);
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  STDMETHODIMP Check(LPCWSTR text, IEnumSpellingError** errors) override {
    if (text == nullptr || errors == nullptr) return E_POINTER;
    if (*text == L'\0') return E_INVALIDARG;
    std::vector<std::pair<ULONG, ULONG>> found;
    const std::wstring all(text);
    std::size_t i = 0;
    while (i < all.size()) {
      if (!std::iswalpha(all[i])) {
        ++i;
        continue;
      }
      const std::size_t start = i;
      while (i < all.size() && (std::iswalpha(all[i]) ||
                                (all[i] == L'\'' && i + 1 < all.size() && std::iswalpha(all[i + 1])))) {
        ++i;
      }
      if (!IsKnown(language_, all.substr(start, i - start))) {
        found.emplace_back(static_cast<ULONG>(start), static_cast<ULONG>(i - start));
      }
    }
    return Make<SpellingErrorEnumeration>(errors, std::move(found));
  }

  STDMETHODIMP Suggest(LPCWSTR word, IEnumString** suggestions) override {
    if (word == nullptr || suggestions == nullptr) return E_POINTER;
    if (*word == L'\0') return E_INVALIDARG;
    if (IsKnown(language_, word)) {
      const HRESULT made = Make<StringEnumeration>(suggestions, std::vector<std::wstring>{word});
      return FAILED(made) ? made : S_FALSE;
    }
    std::vector<std::pair<std::size_t, std::wstring>> nearby;
    for (const std::wstring& known : language_.words) {
      const std::size_t distance = EditDistance(Lowercase(word), known);
      if (distance <= 2) nearby.emplace_back(distance, known);
    }
    std::stable_sort(nearby.begin(), nearby.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> words;
    for (auto& [distance, known] : nearby) words.push_back(std::move(known));
    return Make<StringEnumeration>(suggestions, std::move(words));
  }

  STDMETHODIMP Add(LPCWSTR word) override {
    if (word == nullptr) return E_POINTER;
    if (*word == L'\0') return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(g_added_lock);
    g_added[language_.tag].insert(word);
    return S_OK;
  }

  // Nothing below is used by the add-on.
  STDMETHODIMP Ignore(LPCWSTR) override { return E_NOTIMPL; }
  STDMETHODIMP AutoCorrect(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  STDMETHODIMP GetOptionValue(LPCWSTR, BYTE*) override { return E_NOTIMPL; }
  STDMETHODIMP get_OptionIds(IEnumString**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Id(LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocalizedName(LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP add_SpellCheckerChanged(ISpellCheckerChangedEventHandler*, DWORD*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP remove_SpellCheckerChanged(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetOptionDescription(LPCWSTR, IOptionDescription**) override { return E_NOTIMPL; }
  STDMETHODIMP ComprehensiveCheck(LPCWSTR text, IEnumSpellingError** errors) override {
    return Check(text, errors);
  }

 private:
  const Language& language_;
};

class SpellCheckerFactory final : public FreeThreadedObject<ISpellCheckerFactory> {
 public:
  STDMETHODIMP get_SupportedLanguages(IEnumString** languages) override {
    std::vector<std::wstring> tags;
    for (const Language& language : Languages()) tags.emplace_back(language.tag);
    return Make<StringEnumeration>(languages, std::move(tags));
  }
  STDMETHODIMP IsSupported(LPCWSTR tag, BOOL* supported) override {
    if (tag == nullptr || supported == nullptr) return E_POINTER;
    if (*tag == L'\0') return E_INVALIDARG;
    *supported = FindLanguage(tag) != nullptr ? TRUE : FALSE;
    return S_OK;
  }
  STDMETHODIMP CreateSpellChecker(LPCWSTR tag, ISpellChecker** checker) override {
    if (tag == nullptr || checker == nullptr) return E_POINTER;
    const Language* language = FindLanguage(tag);
    if (language == nullptr) return E_INVALIDARG;
    return Make<SpellChecker>(checker, *language);
  }
};

// The class object lives as long as the DLL and is not counted among the live objects.
class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ISpellCheckerFactory* factory = nullptr;
    const HRESULT made = Make<SpellCheckerFactory>(&factory);
    if (FAILED(made)) return made;
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ++g_server_locks;
    } else {
      --g_server_locks;
    }
    return S_OK;
  }
};

ClassFactory g_class_factory;

LONG SetStringValue(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Only kernel32 here: DllMain runs under the loader lock.
void WriteReport() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"SPELLSHELL_FAKE_SERVICE_REPORT", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = "live objects: " + std::to_string(g_live_objects.load()) + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    WriteReport();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != kSpellCheckerFactoryClass) return CLASS_E_CLASSNOTAVAILABLE;
  return g_class_factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() { return g_live_objects == 0 && g_server_locks == 0 ? S_OK : S_FALSE; }

// Machine-wide, like the service it stands in for (regsvr32 runs as administrator under Wine).
// "Both": created in the caller's apartment, whichever kind it is.
STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return SELFREG_E_CLASS;
  HKEY class_key = nullptr;
  HKEY server_key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &class_key, nullptr);
  if (status == ERROR_SUCCESS) status = SetStringValue(class_key, nullptr, L"spellshell test spell service");
  if (status == ERROR_SUCCESS) {
    status = RegCreateKeyExW(class_key, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                             &server_key, nullptr);
  }
  if (status == ERROR_SUCCESS) status = SetStringValue(server_key, nullptr, path);
  if (status == ERROR_SUCCESS) status = SetStringValue(server_key, L"ThreadingModel", L"Both");
  if (server_key != nullptr) RegCloseKey(server_key);
  if (class_key != nullptr) RegCloseKey(class_key);
  return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  const LONG status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

long FakeSpellServiceLiveObjects() { return g_live_objects; }

}  // extern "C"
