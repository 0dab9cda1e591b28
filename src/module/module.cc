// The add-on's entry points. The host calls napi_register_module_v1 once for every script
// environment (the main thread and each worker) that loads the add-on, and each call builds a
// new set of members: nothing is shared between environments but the process environment and
// the COM bookkeeping of the Windows backend.
#include "module/boundary.h"
#include "napi.h"
#include "shell/shell_functions.h"
#include "spellchecker/spellchecker.h"

namespace spellshell {
namespace {

Napi::Object InitModule(Napi::Env env, Napi::Object exports) {
  RegisterSpellchecker(env, exports);
  RegisterShellDialogs(env, exports);
  return exports;
}

}  // namespace
}  // namespace spellshell

extern "C" {

NAPI_MODULE_EXPORT int32_t node_api_module_get_api_version_v1(void) { return NAPI_VERSION; }

NAPI_MODULE_EXPORT napi_value napi_register_module_v1(napi_env env, napi_value exports) {
  return spellshell::GuardCallback(env, [&]() -> napi_value {
    return spellshell::InitModule(Napi::Env(env), Napi::Object(env, exports));
  });
}

}  // extern "C"
