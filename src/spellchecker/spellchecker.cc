#include "spellchecker/spellchecker.h"

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
    const std::string word = ReadString(info[0]);
    return Napi::Boolean::New(info.Env(), backend_->IsMisspelled(word));
  });
}

Napi::Value Spellchecker::SetDictionary(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    const std::string language = ReadString(info[0]);
    const std::string directory = info.Length() >= 2 ? ReadString(info[1]) : std::string(".");
    return Napi::Boolean::New(info.Env(), backend_->SetDictionary(language, directory));
  });
}

Napi::Value Spellchecker::Add(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    backend_->Add(ReadString(info[0]));
    return info.Env().Undefined();
  });
}

Napi::Value Spellchecker::Remove(const Napi::CallbackInfo& info) {
  assert(OnOwnerThread());
  return RunGuarded(info.Env(), [&] {
    RequireArgument(info);
    backend_->Remove(ReadString(info[0]));
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
