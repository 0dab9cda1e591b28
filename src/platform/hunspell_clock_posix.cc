// The clock that Hunspell's time limits read, in place of the C library's clock() (the build
// links Hunspell with --wrap=clock). Hunspell only ever compares two readings against a limit
// in CLOCKS_PER_SEC units, so any clock that never goes back, in those units, serves.
//
// It is the calling thread's own CPU time: a suggestion step stops after as much work as on an
// idle machine, whatever other threads and processes do, so a word's suggestions depend on the
// word and the dictionaries alone. A wall clock cut lists short on a busy machine or when the
// thread lost its processor; the process's CPU time (what clock() reads) would let the
// service's parallel workers use up each other's limits.
#include <time.h>

#include <cstdint>

namespace {

int64_t Microseconds(clockid_t clock) {
  timespec now{};
  if (clock_gettime(clock, &now) != 0) return -1;
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Reading the thread's CPU time is a system call (about 3 us on a virtual machine), and
// Hunspell reads its clock up to 100 times a millisecond while it builds compounds; the
// monotonic clock is answered without one (30 ns). So the CPU time is read again only once
// 250 us have passed on the monotonic clock: a reading is at most 250 us of this thread's work
// old, 0.5% of the shortest limit (50 ms), and the system calls cost at most about 1%.
constexpr int64_t kResampleMicroseconds = 250;

thread_local int64_t sampled_at = INT64_MIN / 2;
thread_local int64_t cpu_time = 0;

}  // namespace

extern "C" clock_t __wrap_clock(void) {
  static_assert(CLOCKS_PER_SEC == 1000000, "POSIX fixes CLOCKS_PER_SEC at one million");
  const int64_t now = Microseconds(CLOCK_MONOTONIC);
  if (now - sampled_at >= kResampleMicroseconds) {
    const int64_t cpu = Microseconds(CLOCK_THREAD_CPUTIME_ID);
    if (cpu < 0) return static_cast<clock_t>(-1);
    sampled_at = now;
    cpu_time = cpu;
  }
  return static_cast<clock_t>(cpu_time);
}
