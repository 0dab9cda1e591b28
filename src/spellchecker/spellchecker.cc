#include "spellchecker/spellchecker.h"

#include <array>
#include <cassert>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "module/boundary.h"
#include "platform/environment.h"
#include "spellchecker/backend_selection.h"

namespace spellshell {
namespace {

constexpr auto kCacheBytes = static_cast<int64_t>(WordVerdictCache::kBytes);

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

// Per environment: the class's constructor, kept for the environment's lifetime, and the memo
// of the last receiver, whose address every method's callback carries as its data.
struct SpellcheckerClass {
  Napi::FunctionReference constructor;
  std::shared_ptr<Spellchecker::ReceiverMemo> memo = std::make_shared<Spellchecker::ReceiverMemo>();
};

Spellchecker::Spellchecker(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<Spellchecker>(info),
      memo_(info.Env().GetInstanceData<SpellcheckerClass>()->memo) {
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
  // Listed last: a constructor that threw above leaves an object no script can reach, and no
  // destructor runs to unlist it.
  next_live_ = memo_->first_live;
  if (next_live_ != nullptr) next_live_->previous_live_ = this;
  memo_->first_live = this;
}

Spellchecker::~Spellchecker() {
  assert(OnOwnerThread());
  if (memo_->last == this) memo_->last = nullptr;
  (previous_live_ != nullptr ? previous_live_->next_live_ : memo_->first_live) = next_live_;
  if (next_live_ != nullptr) next_live_->previous_live_ = previous_live_;
  int64_t ignored = 0;  // a destructor must not throw; the host only fails on bad arguments
  if (cache_reported_) napi_adjust_external_memory(Env(), -kCacheBytes, &ignored);
  if (dictionary_reported_ != 0) {
    napi_adjust_external_memory(Env(), -dictionary_reported_, &ignored);
  }
  backend_.reset();
}

template <Spellchecker::Method method>
napi_value Spellchecker::Dispatch(napi_env env, napi_callback_info raw) noexcept {
  return GuardCallback(env, [&]() -> napi_value {
    const Napi::CallbackInfo info(env, raw);
    Spellchecker* self = FindReceiver(info);
    assert(self->OnOwnerThread());
    return (self->*method)(info);
  });
}

Spellchecker* Spellchecker::FindReceiver(const Napi::CallbackInfo& info) {
  auto* memo = static_cast<ReceiverMemo*>(info.Data());
  const napi_env env = info.Env();
  const napi_value receiver = info.This();
  if (Spellchecker* only = memo->OnlyLive()) {
    assert(only == Unwrap(Napi::Object(env, receiver)));
    return only;
  }
  if (Spellchecker* last = memo->last) {
    // The wrap's own weak reference: it gives the object while it is alive, and the memo
    // forgets an object before its native side is destroyed.
    const Napi::Object last_object = last->Value();
    bool same = false;
    if (!last_object.IsEmpty() &&
        napi_strict_equals(env, last_object, receiver, &same) == napi_ok && same) {
      return last;
    }
  }
  // The host's signature check has already refused receivers not made by this class, so a
  // failure here (an object whose construction failed) throws the host's own error.
  Spellchecker* found = Unwrap(Napi::Object(env, receiver));
  memo->last = found;
  return found;
}

Napi::Value Spellchecker::IsHunspell(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), backend_->IsHunspell());
}

Napi::Value Spellchecker::IsMisspelled(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  std::array<char, 256> stack;  // no need to clear: only the bytes read are used
  const std::string_view word = ReadWord(info[0], stack, word_);
  using Verdict = WordVerdictCache::Verdict;
  WordVerdictCache::Miss miss;
  if (cache_answers_) {
    const Verdict verdict = cache_.Lookup(word, miss);
    if (verdict != Verdict::kUnknown) {
      return Napi::Boolean::New(info.Env(), verdict == Verdict::kMisspelled);
    }
  }
  if (word.data() != word_.data()) word_.assign(word);
  const bool misspelled = backend_->IsMisspelled(word_);
  if (cache_answers_) cache_.Remember(miss, word_, misspelled);
  return Napi::Boolean::New(info.Env(), misspelled);
}

Napi::Value Spellchecker::SetDictionary(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const std::string language = ReadString(info[0]);
  const std::string directory = info.Length() >= 2 ? ReadString(info[1]) : std::string(".");
  cache_.Clear();  // a new dictionary, or none: every cached answer may be wrong now
  const bool loaded = backend_->SetDictionary(language, directory);
  // A dictionary's memory is outside the script heap: without its weight, the collector sees a
  // small object and may keep a replaced or dropped checker, and its dictionary, for ever.
  const auto weight = static_cast<int64_t>(backend_->DictionaryBytes());
  if (weight != dictionary_reported_) {
    int64_t total = 0;
    if (napi_adjust_external_memory(info.Env(), weight - dictionary_reported_, &total) == napi_ok) {
      dictionary_reported_ = weight;
    }
  }
  // Without a dictionary every answer is "correct" at no cost: nothing worth caching.
  cache_answers_ = loaded && backend_->IsHunspell();
  if (cache_answers_ && cache_.Allocate()) {
    // Let the collector weigh what an unreachable checker holds.
    int64_t total = 0;
    cache_reported_ = napi_adjust_external_memory(info.Env(), kCacheBytes, &total) == napi_ok;
  } else if (!cache_answers_ && cache_.Release() && cache_reported_) {
    // A checker left without a dictionary (dropped on purpose by a load that fails) holds no
    // more than its script object until the collector gets to it.
    int64_t total = 0;
    cache_reported_ = napi_adjust_external_memory(info.Env(), -kCacheBytes, &total) != napi_ok;
  }
  return Napi::Boolean::New(info.Env(), loaded);
}

Napi::Value Spellchecker::Add(const Napi::CallbackInfo& info) {
  return ChangeWordList(info, &SpellBackend::Add);
}

Napi::Value Spellchecker::Remove(const Napi::CallbackInfo& info) {
  return ChangeWordList(info, &SpellBackend::Remove);
}

Napi::Value Spellchecker::ChangeWordList(const Napi::CallbackInfo& info,
                                         void (SpellBackend::*change)(const std::string&)) {
  RequireArgument(info);
  (backend_.get()->*change)(ReadString(info[0]));
  cache_.Clear();  // the word's answer, and those of its derived forms, may have changed
  return info.Env().Undefined();
}

Napi::Value Spellchecker::GetAvailableDictionaries(const Napi::CallbackInfo& info) {
  const std::string directory = info.Length() >= 1 ? ReadString(info[0]) : std::string(".");
  return ToArray(info.Env(), backend_->GetAvailableDictionaries(directory));
}

Napi::Value Spellchecker::GetCorrectionsForMisspelling(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const std::string word = ReadString(info[0]);
  return ToArray(info.Env(), backend_->GetCorrectionsForMisspelling(word));
}

Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports) {
  using S = Spellchecker;
  auto state = std::make_unique<SpellcheckerClass>();
  // Writable and configurable, not enumerable: like methods of a script class. Declared as
  // plain descriptors so that the host still checks the receiver's class before the call.
  const auto method = [memo = state->memo.get()](const char* name, napi_callback callback) {
    napi_property_descriptor descriptor{};
    descriptor.utf8name = name;
    descriptor.method = callback;
    descriptor.attributes = kMethodAttributes;
    descriptor.data = memo;
    return Napi::ClassPropertyDescriptor<S>(descriptor);
  };
  Napi::Function constructor = S::DefineClass(
      env, "Spellchecker",
      {
          method("isHunspell", &S::Dispatch<&S::IsHunspell>),
          method("isMisspelled", &S::Dispatch<&S::IsMisspelled>),
          method("setDictionary", &S::Dispatch<&S::SetDictionary>),
          method("add", &S::Dispatch<&S::Add>),
          method("remove", &S::Dispatch<&S::Remove>),
          method("getAvailableDictionaries", &S::Dispatch<&S::GetAvailableDictionaries>),
          method("getCorrectionsForMisspelling", &S::Dispatch<&S::GetCorrectionsForMisspelling>),
      });
  state->constructor = Napi::Persistent(constructor);
  exports.Set("Spellchecker", constructor);
  // The default finaliser deletes the state when the environment is torn down.
  env.SetInstanceData<SpellcheckerClass>(state.release());
  return exports;
}

}  // namespace spellshell
