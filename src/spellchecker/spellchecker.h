// The script class Spellchecker. Each script object wraps one native Spellchecker, which owns
// the SpellBackend chosen when the object was constructed until the script object is collected.
//
// Threads: every call, the constructor and the destructor run on the script thread of the
// environment that made the object; nothing here is shared between environments. Each
// environment has its own class and keeps its constructor reference in instance data.
#pragma once

#include <memory>
#include <thread>

#include "napi.h"
#include "spellchecker/spell_backend.h"

namespace spellshell {

class Spellchecker final : public Napi::ObjectWrap<Spellchecker> {
 public:
  explicit Spellchecker(const Napi::CallbackInfo& info);
  ~Spellchecker() override;

 private:
  friend Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports);

  Napi::Value IsHunspell(const Napi::CallbackInfo& info);
  Napi::Value IsMisspelled(const Napi::CallbackInfo& info);
  Napi::Value SetDictionary(const Napi::CallbackInfo& info);
  Napi::Value Add(const Napi::CallbackInfo& info);
  Napi::Value Remove(const Napi::CallbackInfo& info);
  Napi::Value GetAvailableDictionaries(const Napi::CallbackInfo& info);
  Napi::Value GetCorrectionsForMisspelling(const Napi::CallbackInfo& info);

  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  std::unique_ptr<SpellBackend> backend_;
  std::thread::id owner_ = std::this_thread::get_id();
};

// Defines the class, sets it on `exports` as "Spellchecker" and keeps the constructor
// reference for the environment's lifetime.
Napi::Object RegisterSpellchecker(Napi::Env env, Napi::Object exports);

}  // namespace spellshell
