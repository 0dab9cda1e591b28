#include "platform/environment.h"

namespace spellshell {

std::mutex& ProcessEnvironmentLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace spellshell
