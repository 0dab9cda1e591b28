// Loads the built add-on the way a host would, but from a process without Node-API: with lazy
// binding its napi_* and uv_* imports stay unresolved until first called, so the version entry
// point can be asked on its own.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

// node-addon-api takes the address of these two (to pick an error constructor), so they are
// bound when the add-on is loaded rather than at first call. Inside node the executable
// provides them; here these stand-ins do, exported from the test executable.
extern "C" __attribute__((visibility("default"))) int napi_create_error(void*, void*, void*,
                                                                        void**) {
  return 9;  // napi_generic_failure: never called in this test
}
extern "C" __attribute__((visibility("default"))) int napi_create_type_error(void*, void*, void*,
                                                                             void**) {
  return 9;
}

namespace {

TEST(ModuleEntry, DeclaresNodeApiVersion8) {
  void* addon = dlopen(SPELLSHELL_ADDON_PATH, RTLD_LAZY | RTLD_LOCAL);
  ASSERT_NE(addon, nullptr) << dlerror();
  using GetVersion = std::int32_t (*)();
  auto get_version =
      reinterpret_cast<GetVersion>(dlsym(addon, "node_api_module_get_api_version_v1"));
  ASSERT_NE(get_version, nullptr) << dlerror();
  EXPECT_EQ(get_version(), 8);
  EXPECT_NE(dlsym(addon, "napi_register_module_v1"), nullptr);
  // Everything else stays hidden inside the add-on.
  EXPECT_EQ(dlsym(addon, "_ZN10spellshell18CreateSpellBackendEv"), nullptr);
  dlclose(addon);
}

}  // namespace
