#include "spellchecker/spellchecker.h"

#include <array>
#include <cassert>
#include <mutex>
#include <string>
#include <vector>

#include "module/boundary.h"
#include "platform/environment.h"
#include "spellchecker/backend_selection.h"

namespace spellshell {
namespace {

// Writable and configurable, not enumerable: like methods of a script class.
constexpr auto kMethodAttributes =
    static_cast<napi_property_attributes>(napi_writable | napi_configurable);

// Methods that need a word throw this plain Error when called with no argument at all.
void RequireArgument(const Napi::CallbackInfo& info) {
  if (info.Length() < 1) throw Napi::Error::New(info.Env(), "Bad argument.");
}

// Two passes of napi_get_value_string_utf8 (length, then bytes), with no type test and no
// coercion: a value that is not a string fails the first pass with the host's TypeError.
std::string ReadString(const Napi::Value& value) { return value.As<Napi::String>().Utf8Value(); }

// The same bytes as ReadString, read for short strings in one call into the caller's stack
// buffer: the host writes whole characters only, so a result that leaves more room than the
// longest UTF-8 character (4 bytes) is the whole string. Longer strings take the two passes,
// into `heap`. A value that is not a string fails the first call exactly as ReadString would.
std::string_view ReadWord(const Napi::Value& value, std::array<char, 256>& stack,
                          std::string& heap) {
  std::size_t length = 0;
  const napi_status status =
      napi_get_value_string_utf8(value.Env(), value, stack.data(), stack.size(), &length);
  if (status != napi_ok) throw Napi::Error::New(value.Env());
  if (length + 4 < stack.size()) return {stack.data(), length};
  heap = ReadString(value);
  return heap;
}

Napi::Array ToArray(Napi::Env env, const std::vector<std::string>& list) {
  Napi::Array array = Napi::Array::New(env, list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    // The script string ends at the element's first NUL byte.
    array.Set(static_cast<std::uint32_t>(i), Napi::String::New(env, list[i].c_str()));
  }
  return array;
}

}  // namespace

Spellchecker::Spellchecker(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Spellchecker>(info) {
  RunGuarded(info.Env(), [&] {
    // Write and read under one lock: constructions on worker threads must neither corrupt
    // the C runtime's environment nor see each other's value.
    std::lock_guard<std::mutex> lock(ProcessEnvironmentLock());
    if (info.Length() > 0) {
      SetProcessEnvironmentVariable(kPreferHunspellVariable, "true");
    } else {
      RemoveProcessEnvironmentVariable(kPreferHunspellVariable);
    }
    backend_ = CreateSpellBackend();
    cache_answers_ = backend_->IsHunspell();
  });
}

Spellchecker::~Spellchecker() {
  assert(OnOwnerThread());
  backend_.reset();
}

Napi::Value Spellchecker::IsHunspell(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(),
                    [&] { return Napi::Boolean::New(info.Env(), backend_->IsHunspell()); });
}

Napi::Value Spellchecker::IsMisspelled(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    std::array<char, 256> stack;  // no need to clear: only the bytes read are used
    const std::string_view word = ReadWord(info[0], stack, word_);
    if (cache_answers_) {
      const auto verdict = cache_.Find(word);
      if (verdict != WordVerdictCache::Verdict::kUnknown) {
        return Napi::Boolean::New(info.Env(), verdict == WordVerdictCache::Verdict::kMisspelled);
      }
    }
    if (word.data() != word_.data()) word_.assign(word);
    const bool misspelled = backend_->IsMisspelled(word_);
    if (cache_answers_) cache_.Store(word_, misspelled);
    return Napi::Boolean::New(info.Env(), misspelled);
  });
}

Napi::Value Spellchecker::SetDictionary(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    const std::string language = ReadString(info[0]);
    const std::string directory = info.Length() >= 2 ? ReadString(info[1]) : std::string(".");
    cache_.Clear();  // a new dictionary, or none: every cached answer may be wrong now
    return Napi::Boolean::New(info.Env(), backend_->SetDictionary(language, directory));
  });
}

Napi::Value Spellchecker::Add(const Napi::CallbackInfo& info) {
  return ChangeWordList(info, &SpellBackend::Add);
}

Napi::Value Spellchecker::Remove(const Napi::CallbackInfo& info) {
  return ChangeWordList(info, &SpellBackend::Remove);
}

Napi::Value Spellchecker::ChangeWordList(const Napi::CallbackInfo& info,
                                         void (SpellBackend::*change)(const std::string&)) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    (backend_.get()->*change)(ReadString(info[0]));
    cache_.Clear();  // the word's answer, and those of its derived forms, may have changed
    return info.Env().Undefined();
  });
}

Napi::Value Spellchecker::GetAvailableDictionaries(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&]() -> Napi::Value {
    const std::string directory = info.Length() >= 1 ? ReadString(info[0]) : std::string(".");
    return ToArray(info.Env(), backend_->GetAvailableDictionaries(directory));
  });
}

Napi::Value Spellchecker::GetCorrectionsForMisspelling(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&]() -> Napi::Value {
    RequireArgument(info);
    const std::string word = ReadString(info[0]);
    return ToArray(info.Env(), backend_->GetCorrectionsForMisspelling(word));
  });
}

Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports) {
  using S = Spellchecker;
  Napi::Function constructor =
      S::DefineClass(env, "Spellchecker",
                     {
                         S::InstanceMethod<&S::IsHunspell>("isHunspell", kMethodAttributes),
                         S::InstanceMethod<&S::IsMisspelled>("isMisspelled", kMethodAttributes),
                         S::InstanceMethod<&S::SetDictionary>("setDictionary", kMethodAttributes),
                         S::InstanceMethod<&S::Add>("add", kMethodAttributes),
                         S::InstanceMethod<&S::Remove>("remove", kMethodAttributes),
                         S::InstanceMethod<&S::GetAvailableDictionaries>("getAvailableDictionaries",
                                                                         kMethodAttributes),
                         S::InstanceMethod<&S::GetCorrectionsForMisspelling>(
                             "getCorrectionsForMisspelling", kMethodAttributes),
                     });
  auto reference = std::make_unique<Napi::FunctionReference>(Napi::Persistent(constructor));
  exports.Set("Spellchecker", constructor);
  // The default finaliser deletes the reference when the environment is torn down.
  env.SetInstanceData<Napi::FunctionReference>(reference.release());
  return exports;
}

}  // namespace spellshell
