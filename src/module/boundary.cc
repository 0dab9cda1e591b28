#include "module/boundary.h"

#include <new>
#include <stdexcept>
#include <string>

namespace spellshell {

Napi::Error NativeFailureToError(Napi::Env env, std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return Napi::Error::New(env, "spellshell: out of memory");
  } catch (const std::length_error& error) {
    return Napi::Error::New(env, std::string("spellshell: input too long (") + error.what() + ")");
  } catch (const std::exception& error) {
    return Napi::Error::New(env, std::string("spellshell: native failure (") + error.what() + ")");
  } catch (...) {
    return Napi::Error::New(env, "spellshell: unknown native failure");
  }
}

}  // namespace spellshell
