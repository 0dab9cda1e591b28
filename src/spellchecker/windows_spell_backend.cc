#include "spellchecker/windows_spell_backend.h"

#include <atomic>
#include <cassert>
#include <utility>

#include "spellchecker/text_conversion.h"

namespace spellshell {

thread_local std::int32_t BackendComUsers = 0;
thread_local bool ComInitFailed = false;

namespace {

// Our own copies, so that neither platform needs the SDK's uuid library.
constexpr CLSID kSpellCheckerFactoryClass = {
    0x7AB36653, 0x1796, 0x484B, {0xBD, 0xFA, 0xE7, 0x4F, 0x1D, 0xB7, 0xC1, 0xDC}};
constexpr IID kSpellCheckerFactoryInterface = {
    0x8E018A9D, 0x2415, 0x4677, {0xBF, 0x08, 0x79, 0x4E, 0xA6, 0x1F, 0x94, 0xBB}};
constexpr IID kSpellCheckerInterface = {
    0xB6FD0B71, 0xE2BC, 0x4653, {0x8D, 0x05, 0xF1, 0x97, 0xE4, 0x12, 0x77, 0x0B}};
constexpr CLSID kGlobalInterfaceTableClass = {
    0x00000323, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kGlobalInterfaceTableInterface = {
    0x00000146, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kUnknownInterface = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The cookie is written on the owning thread and read, before any lock is taken, by
// CreateThreadChecker on another one; atomic access keeps that read well defined.
DWORD LoadCookie(DWORD& cookie) { return std::atomic_ref<DWORD>(cookie).load(); }
void StoreCookie(DWORD& cookie, DWORD value) { std::atomic_ref<DWORD>(cookie).store(value); }

// Creates the process's global interface table, or leaves `table` empty.
void CreateInterfaceTable(ComPtr<IGlobalInterfaceTable>& table) {
  if (FAILED(CoCreateInstance(kGlobalInterfaceTableClass, nullptr, CLSCTX_INPROC_SERVER,
                              kGlobalInterfaceTableInterface, table.PutVoid()))) {
    table.Reset();
  }
}

// Drains an enumeration of strings the service allocated, one at a time, freeing each once it
// is copied. Anything but S_OK (S_FALSE at the end, or a failure) ends it quietly, keeping what
// came before.
std::vector<std::string> ReadStrings(IEnumString* strings) {
  std::vector<std::string> list;
  for (;;) {
    CoTaskMemString item;
    if (strings->Next(1, item.Put(), nullptr) != S_OK) break;
    // A null string under S_OK breaks the contract; reading it as empty avoids a crash.
    list.push_back(Utf16ToUtf8(item.Get() != nullptr ? Utf16String(item.Get()) : Utf16String()));
  }
  return list;
}

// The ranges of every spelling error the checker reports in the text, exactly as reported.
// Shared by the backend and its companion, each on its own checker reference.
std::vector<MisspellingSpan> FindMisspellingsWith(ISpellChecker* checker, const WCHAR* text,
                                                  std::uint64_t length) {
  std::vector<MisspellingSpan> spans;
  if (checker == nullptr) return spans;
  const Utf16String copy(text, length);  // the service wants a NUL-terminated text
  ComPtr<IEnumSpellingError> errors;
  if (FAILED(checker->Check(copy.c_str(), errors.Put()))) return spans;
  for (;;) {
    ComPtr<ISpellingError> error;
    if (errors->Next(error.Put()) != S_OK) break;
    ULONG start = 0;
    ULONG count = 0;
    error->get_StartIndex(&start);  // results ignored: a failing getter leaves 0
    error->get_Length(&count);
    spans.push_back({start, std::uint64_t{start} + count});
  }
  return spans;
}

// The companion for another thread. Its checker reference came from the global interface table
// on its own thread, under its own COM initialisation, which it undoes when destroyed.
class WindowsThreadSpellChecker final : public ThreadSpellChecker {
 public:
  explicit WindowsThreadSpellChecker(WindowsSpellBackend* backend) : backend_(backend) {}
  ~WindowsThreadSpellChecker() override {
    checker_.Reset();  // belongs to this thread's apartment, so it goes before COM does
    if (SUCCEEDED(com_init_result_)) CoUninitialize();
  }
  WindowsThreadSpellChecker(const WindowsThreadSpellChecker&) = delete;
  WindowsThreadSpellChecker& operator=(const WindowsThreadSpellChecker&) = delete;

  bool InitializeCom() {
    com_init_result_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(com_init_result_);
  }
  ComPtr<ISpellChecker>& checker() { return checker_; }

  std::vector<MisspellingSpan> FindMisspellings(const WCHAR* text, std::uint64_t length) override {
    return FindMisspellingsWith(checker_.Get(), text, length);
  }

 private:
  [[maybe_unused]] WindowsSpellBackend* backend_;  // not owned; outlives the companion
  // A failure code until InitializeCom runs, so that only a successful initialisation is undone.
  HRESULT com_init_result_ = CO_E_NOTINITIALIZED;
  ComPtr<ISpellChecker> checker_;
};

}  // namespace

WindowsSpellBackend::WindowsSpellBackend() {
  if (BackendComUsers++ == 0) {
    ComInitFailed = FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (ComInitFailed) return;
  }
  if (FAILED(CoCreateInstance(kSpellCheckerFactoryClass, nullptr, CLSCTX_INPROC_SERVER,
                              kSpellCheckerFactoryInterface, factory_.PutVoid()))) {
    factory_.Reset();
  }
  CreateInterfaceTable(interface_table_);
  mutex_initialized_ = uv_mutex_init(&mutex_) == 0;
}

WindowsSpellBackend::~WindowsSpellBackend() {
  AssertOwningThread();
  // No lock: a companion never outlives its backend, so nobody else can be looking the cookie up.
  if (const DWORD cookie = LoadCookie(checker_cookie_); cookie != 0) {
    if (interface_table_) interface_table_->RevokeInterfaceFromGlobal(cookie);
    StoreCookie(checker_cookie_, 0);
  }
  checker_.Reset();
  factory_.Reset();
  interface_table_.Reset();
  if (mutex_initialized_) uv_mutex_destroy(&mutex_);
  if (--BackendComUsers == 0 && !ComInitFailed) CoUninitialize();
}

void WindowsSpellBackend::AssertOwningThread() const {
  assert(std::this_thread::get_id() == owning_thread_);
}

bool WindowsSpellBackend::HasSpellCheckerFactory() const {
  AssertOwningThread();
  return static_cast<bool>(factory_);
}

bool WindowsSpellBackend::SetDictionary(const std::string& language, const std::string&) {
  AssertOwningThread();
  if (!factory_) return false;
  // The old checker goes first, whatever happens below: a failed call leaves no dictionary.
  if (const DWORD cookie = LoadCookie(checker_cookie_); cookie != 0) {
    HostMutexLock lock(&mutex_);
    if (interface_table_) interface_table_->RevokeInterfaceFromGlobal(cookie);
    StoreCookie(checker_cookie_, 0);
  }
  if (checker_) {
    checker_.Reset();
    StoreCookie(checker_cookie_, 0);
  }

  // The service wants BCP-47 tags ("en-US"); scripts may also write "en_US".
  std::string tag = language;
  for (char& c : tag) {
    if (c == '_') c = '-';
  }
  const Utf16String wide_tag = Utf8ToUtf16(tag);

  BOOL supported = FALSE;
  if (FAILED(factory_->IsSupported(wide_tag.c_str(), &supported)) || !supported) return false;
  if (FAILED(factory_->CreateSpellChecker(wide_tag.c_str(), checker_.Put()))) {
    checker_.Reset();
    return false;
  }

  // The table takes the checker as IUnknown; the companion asks for ISpellChecker back.
  ComPtr<IUnknown> unknown;
  if (FAILED(checker_->QueryInterface(kUnknownInterface, unknown.PutVoid())) || !unknown) {
    checker_.Reset();
    StoreCookie(checker_cookie_, 0);
    return false;
  }
  HRESULT registered = E_POINTER;  // without a table the registration counts as failed
  if (interface_table_) {
    DWORD cookie = 0;
    HostMutexLock lock(&mutex_);
    registered =
        interface_table_->RegisterInterfaceInGlobal(unknown.Get(), kSpellCheckerInterface, &cookie);
    StoreCookie(checker_cookie_, cookie);
  }
  unknown.Reset();

  // A checker another thread cannot reach is not kept: without a table there is no dictionary.
  if (SUCCEEDED(registered) && LoadCookie(checker_cookie_) != 0) return true;
  checker_.Reset();
  return false;
}

std::vector<std::string> WindowsSpellBackend::GetAvailableDictionaries(const std::string&) {
  AssertOwningThread();
  if (!factory_) return {};
  ComPtr<IEnumString> languages;
  if (FAILED(factory_->get_SupportedLanguages(languages.Put()))) return {};
  return ReadStrings(languages.Get());
}

std::vector<std::string> WindowsSpellBackend::GetCorrectionsForMisspelling(
    const std::string& word) {
  AssertOwningThread();
  if (!checker_) return {};
  const Utf16String wide_word = Utf8ToUtf16(word);
  ComPtr<IEnumString> suggestions;
  const HRESULT result = checker_->Suggest(wide_word.c_str(), suggestions.Put());
  // S_FALSE: the word is spelled correctly; the enumeration is released unread.
  if (FAILED(result) || result == S_FALSE) return {};
  return ReadStrings(suggestions.Get());
}

bool WindowsSpellBackend::IsMisspelled(const std::string& word) {
  AssertOwningThread();
  if (!checker_) return false;
  const Utf16String wide_word = Utf8ToUtf16(word);
  ComPtr<IEnumSpellingError> errors;
  if (FAILED(checker_->Check(wide_word.c_str(), errors.Put()))) return false;
  // Any error at all counts, wherever it lies and whatever the service would do about it.
  ComPtr<ISpellingError> first;
  return errors->Next(first.Put()) == S_OK;
}

bool WindowsSpellBackend::IsHunspell() { return false; }

std::vector<MisspellingSpan> WindowsSpellBackend::FindMisspellings(const WCHAR* text,
                                                                   std::uint64_t length) {
  AssertOwningThread();
  return FindMisspellingsWith(checker_.Get(), text, length);
}

void WindowsSpellBackend::Add(const std::string& word) {
  AssertOwningThread();
  if (!checker_) return;
  const Utf16String wide_word = Utf8ToUtf16(word);
  checker_->Add(wide_word.c_str());  // where and how long the word is kept is the service's
}

// Words given to Add stay with the service, which decides where and for how long.
void WindowsSpellBackend::Remove(const std::string&) { AssertOwningThread(); }

std::unique_ptr<ThreadSpellChecker> WindowsSpellBackend::CreateThreadChecker() {
  auto companion = std::make_unique<WindowsThreadSpellChecker>(this);
  // Read before locking: a cookie revoked meanwhile only makes the lookup below fail.
  const DWORD cookie = LoadCookie(checker_cookie_);
  if (cookie == 0) return companion;
  if (!companion->InitializeCom()) return companion;
  ComPtr<IGlobalInterfaceTable> table;
  CreateInterfaceTable(table);
  if (!table) return companion;
  {
    HostMutexLock lock(&mutex_);
    if (FAILED(table->GetInterfaceFromGlobal(cookie, kSpellCheckerInterface,
                                             companion->checker().PutVoid()))) {
      companion->checker().Reset();
    }
  }
  table.Reset();
  return companion;
}

}  // namespace spellshell
