// The floor of any per-word binding, for `npm run bench`: two plain functions over one Hunspell
// object, with no class, no receiver, no cache and no guard.
//
//   const minimal = require('./minimal_binding.node');
//   minimal.load(affPath, dicPath);   // replaces the one Hunspell object
//   minimal.spell(word);              // true when Hunspell accepts the word
//
// What it pays per word is what every binding pays: the host's call into a native function,
// reading the string, Hunspell's spell, and making a boolean. Errors are not reported beyond a
// failed status; this is a measuring stick, not an API.
#include <node_api.h>
#include <hunspell/hunspell.hxx>

#include <memory>
#include <string>

namespace {

// One per process: the bench loads it in one environment only.
std::unique_ptr<Hunspell> hunspell;

std::string ReadString(napi_env env, napi_value value) {
  std::size_t length = 0;
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) return {};
  std::string text(length, '\0');
  napi_get_value_string_utf8(env, value, text.data(), length + 1, &length);
  return text;
}

napi_value Load(napi_env env, napi_callback_info info) {
  std::size_t argc = 2;
  napi_value argv[2];
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  hunspell.reset();
  hunspell = std::make_unique<Hunspell>(ReadString(env, argv[0]).c_str(),
                                        ReadString(env, argv[1]).c_str());
  return nullptr;
}

napi_value Spell(napi_env env, napi_callback_info info) {
  std::size_t argc = 1;
  napi_value word;
  napi_get_cb_info(env, info, &argc, &word, nullptr, nullptr);
  // One read into the stack for the words of text (a string of 255 bytes or more is cut, which
  // the bench's words never are); std::string is what Hunspell's spell takes.
  char buffer[256];
  std::size_t length = 0;
  napi_get_value_string_utf8(env, word, buffer, sizeof buffer, &length);
  const bool accepted = hunspell != nullptr && hunspell->spell(std::string(buffer, length));
  napi_value result;
  napi_get_boolean(env, accepted, &result);
  return result;
}

napi_value Init(napi_env env, napi_value exports) {
  const napi_property_descriptor functions[] = {
      {"load", nullptr, Load, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"spell", nullptr, Spell, nullptr, nullptr, nullptr, napi_default, nullptr},
  };
  napi_define_properties(env, exports, 2, functions);
  return exports;
}

}  // namespace

NAPI_MODULE(minimal_binding, Init)
