// The clock that Hunspell's time limits read, in place of the C library's clock() (the build
// links Hunspell with --wrap=clock). Hunspell only ever compares two readings against a limit
// in CLOCKS_PER_SEC units, so any steady clock in those units serves.
#include <time.h>

// CLOCK_MONOTONIC is answered by the vDSO, without entering the kernel; process CPU time
// (what clock() reads) is a real system call, and counts the host's other threads as well.
extern "C" clock_t __wrap_clock(void) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return static_cast<clock_t>(-1);
  static_assert(CLOCKS_PER_SEC == 1000000, "POSIX fixes CLOCKS_PER_SEC at one million");
  return static_cast<clock_t>(now.tv_sec) * CLOCKS_PER_SEC +
         static_cast<clock_t>(now.tv_nsec / 1000);
}
