// The script class Spellchecker. Each script object wraps one native Spellchecker, which owns
// the SpellBackend chosen when the object was constructed until the script object is collected.
//
// Threads: every call, the constructor and the destructor run on the script thread of the
// environment that made the object; nothing here is shared between environments. Each
// environment has its own class and keeps its constructor reference, and the receiver of its
// most recent call, in instance data.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "napi.h"
#include "spellchecker/spell_backend.h"
#include "spellchecker/word_verdict_cache.h"

namespace spellshell {

class Spellchecker final : public Napi::ObjectWrap<Spellchecker> {
 public:
  // The native object behind the receiver of the environment's most recent call. Finding it
  // through napi_unwrap is a private-symbol property lookup that costs about as much as the
  // rest of an isMisspelled call on top of Hunspell; editors call one checker over and over,
  // so every call first compares its receiver with the last one. Shared by the environment's
  // class and each of its objects, so that an object destroyed in any order (collection or
  // environment teardown) can make the memo forget it.
  //
  // It also lists the environment's live objects: while there is only one, every receiver
  // that passes the host's class check is that object (an object whose construction failed
  // never reaches script), so the call needs no comparison at all, the common case of an
  // application with one checker.
  struct ReceiverMemo {
    Spellchecker* last = nullptr;
    Spellchecker* first_live = nullptr;  // a list through next_live_/previous_live_
    // The environment's only live object, or null when there are none or several.
    Spellchecker* OnlyLive() const {
      return first_live != nullptr && first_live->next_live_ == nullptr ? first_live : nullptr;
    }
  };

  explicit Spellchecker(const Napi::CallbackInfo& info);
  ~Spellchecker() override;

 private:
  using Method = Napi::Value (Spellchecker::*)(const Napi::CallbackInfo&);
  friend Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports);

  // The plain Node-API callback of every method: finds the receiver, then guards the call.
  template <Method method>
  static napi_value Dispatch(napi_env env, napi_callback_info raw) noexcept;
  static Spellchecker* FindReceiver(const Napi::CallbackInfo& info);

  Napi::Value IsHunspell(const Napi::CallbackInfo& info);
  Napi::Value IsMisspelled(const Napi::CallbackInfo& info);
  Napi::Value SetDictionary(const Napi::CallbackInfo& info);
  Napi::Value Add(const Napi::CallbackInfo& info);
  Napi::Value Remove(const Napi::CallbackInfo& info);
  Napi::Value GetAvailableDictionaries(const Napi::CallbackInfo& info);
  Napi::Value GetCorrectionsForMisspelling(const Napi::CallbackInfo& info);
  // Add and Remove: the backend call, then every cached answer is dropped.
  Napi::Value ChangeWordList(const Napi::CallbackInfo& info,
                             void (SpellBackend::*change)(const std::string&));

  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  std::shared_ptr<ReceiverMemo> memo_;
  Spellchecker* previous_live_ = nullptr;
  Spellchecker* next_live_ = nullptr;
  std::unique_ptr<SpellBackend> backend_;
  // Hunspell's answers change only through this object's own calls, so they can be cached once
  // a dictionary is loaded; the system service's can change behind our back (its user
  // dictionary is shared).
  bool cache_answers_ = false;
  bool cache_reported_ = false;  // the cache's memory is counted as the object's external memory
  int64_t dictionary_reported_ = 0;  // the dictionary's weight, counted the same way
  WordVerdictCache cache_;
  std::string word_;  // reused for every word, so a long word costs one allocation per object
  std::thread::id owner_ = std::this_thread::get_id();
};

// Defines the class, sets it on `exports` as "Spellchecker" and keeps the constructor
// reference for the environment's lifetime.
Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports);

}  // namespace spellshell
