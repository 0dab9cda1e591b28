#include "shell/shell_functions.h"

#include <string>

#include "module/boundary.h"
#include "shell/shell_dialogs.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {
namespace {

using ShowDialog = void (*)(const WCHAR* path);

// Reads the first argument (undefined when there is none) with the two-pass string read and no
// type test: anything but a string fails with the host's TypeError before the desktop is
// asked. Whatever the desktop then does is not reported.
napi_value ShowForPath(napi_env env, napi_callback_info info, ShowDialog show) {
  return GuardCallback(env, [&]() -> napi_value {
    const Napi::CallbackInfo call(env, info);
    const std::string path = call[0].As<Napi::String>().Utf8Value();
    const Utf16String wide = Utf8ToUtf16(path);
    show(wide.c_str());
    return nullptr;  // undefined
  });
}

napi_value OpenAs(napi_env env, napi_callback_info info) {
  return ShowForPath(env, info, &ShowOpenWithDialog);
}

napi_value OpenProperties(napi_env env, napi_callback_info info) {
  return ShowForPath(env, info, &ShowPropertiesDialog);
}

// No name of its own (the function's `name` is "") and no callback data.
void AddFunction(Napi::Env env, Napi::Object exports, const char* key, std::size_t key_length,
                 napi_callback callback) {
  napi_value function = nullptr;
  napi_status status =
      napi_create_function(env, nullptr, NAPI_AUTO_LENGTH, callback, nullptr, &function);
  NAPI_THROW_IF_FAILED_VOID(env, status);
  napi_value name = nullptr;
  status = napi_create_string_utf8(env, key, key_length, &name);
  NAPI_THROW_IF_FAILED_VOID(env, status);
  status = napi_set_property(env, exports, name, function);
  NAPI_THROW_IF_FAILED_VOID(env, status);
}

}  // namespace

void RegisterShellDialogs(Napi::Env env, Napi::Object exports) {
  AddFunction(env, exports, "openAs", 6, &OpenAs);
  AddFunction(env, exports, "openProperties", 14, &OpenProperties);
}

}  // namespace spellshell
