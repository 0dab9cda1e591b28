// The one place where failures cross into the script. Every callback the script can reach runs
// its body through RunGuarded (inside node-addon-api's wrappers) or GuardCallback (for plain
// Node-API callbacks):
//   - a Napi::Error carries its script error value and is thrown into the script as it is;
//   - any other native failure (out of memory, a length error, any std::exception) becomes a
//     script Error with a clear message instead of unwinding into the host, which would end
//     the host application.
#pragma once

#include <exception>
#include <utility>

#include "napi.h"

namespace spellshell {

// Builds the script error for a native failure that is not a Napi::Error. Call it only from a
// catch block, with std::current_exception().
Napi::Error NativeFailureToError(Napi::Env env, std::exception_ptr failure);

template <typename Body>
auto RunGuarded(Napi::Env env, Body&& body) -> decltype(body()) {
  try {
    return std::forward<Body>(body)();
  } catch (const Napi::Error&) {
    throw;
  } catch (...) {
    throw NativeFailureToError(env, std::current_exception());
  }
}

// For plain napi_callback functions: a raised error becomes the pending exception and the
// callback gives the host no value.
template <typename Body>
napi_value GuardCallback(napi_env env, Body&& body) noexcept {
  try {
    return RunGuarded(Napi::Env(env), std::forward<Body>(body));
  } catch (const Napi::Error& error) {
    error.ThrowAsJavaScriptException();
    return nullptr;
  } catch (...) {
    // Only reachable if the host could not even make the error object; nothing may unwind
    // into the host.
    return nullptr;
  }
}

}  // namespace spellshell
