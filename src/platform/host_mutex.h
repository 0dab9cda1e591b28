// The host's mutex, by libuv's names. Node exports libuv from its own executable, so the add-on
// binds these symbols to the hosting process instead of carrying a second libuv; the native
// tests link the system's libuv. The declarations repeat libuv's ABI (uv_mutex_t is a
// pthread mutex on POSIX and a critical section on Windows) so that no uv.h is needed.
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"
typedef CRITICAL_SECTION uv_mutex_t;
#else
#include <pthread.h>
typedef pthread_mutex_t uv_mutex_t;
#endif

extern "C" {
int uv_mutex_init(uv_mutex_t* handle);
void uv_mutex_destroy(uv_mutex_t* handle);
void uv_mutex_lock(uv_mutex_t* handle);
void uv_mutex_unlock(uv_mutex_t* handle);
}

namespace spellshell {

// Holds a host mutex for one scope.
class HostMutexLock {
 public:
  explicit HostMutexLock(uv_mutex_t* mutex) : mutex_(mutex) { uv_mutex_lock(mutex_); }
  ~HostMutexLock() { uv_mutex_unlock(mutex_); }
  HostMutexLock(const HostMutexLock&) = delete;
  HostMutexLock& operator=(const HostMutexLock&) = delete;

 private:
  uv_mutex_t* mutex_;
};

}  // namespace spellshell
