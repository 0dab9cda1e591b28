// The clock that Hunspell's time limits read, in place of the C runtime's clock() (the build
// links Hunspell with --wrap=clock). Hunspell only ever compares two readings against a limit
// in CLOCKS_PER_SEC units (milliseconds here), so any clock that never goes back serves.
//
// It is the calling thread's own CPU time, as on the other systems (hunspell_clock_posix.cc):
// the C runtime's clock() counts wall time since the process started, so a busy machine or a
// thread that lost its processor cut suggestion lists short, and a word's suggestions depended
// on the load. GetThreadTimes advances once a scheduler tick (about 15.6 ms), so a limit (50,
// 100 or 250 ms) may end up to one tick late; that does not depend on the load either.
#include <time.h>
#include <windows.h>

#include <cstdint>

namespace {

// Hunspell reads its clock up to 100 times a millisecond while it builds compounds. The thread
// times are a kernel call (under Wine a round trip to its server and a read of /proc, some
// 30 us of this thread's own time, which would then use up the limits by itself); the
// performance counter is read in user mode. So the thread times are read again only once 1 ms
// has passed on the counter: less than the times' own tick, and at most 2% of the shortest
// limit (50 ms) of work old.
constexpr int64_t kResampleMicroseconds = 1000;

int64_t CounterMicroseconds() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER count{};
  if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count) ||
      frequency.QuadPart <= 0) {
    return -1;
  }
  return count.QuadPart / frequency.QuadPart * 1000000 +
         count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

// The calling thread's kernel and user time, in milliseconds; -1 when it cannot be read.
int64_t ThreadMilliseconds() {
  FILETIME creation{};
  FILETIME exit{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) return -1;
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  // FILETIME counts 100 ns.
  return (ticks(kernel) + ticks(user)) / 10000;
}

thread_local int64_t sampled_at = INT64_MIN / 2;
thread_local int64_t cpu_time = 0;

}  // namespace

extern "C" clock_t __wrap_clock(void) {
  static_assert(CLOCKS_PER_SEC == 1000, "the C runtime counts clock() in milliseconds");
  const int64_t now = CounterMicroseconds();
  if (now < 0 || now - sampled_at >= kResampleMicroseconds) {
    const int64_t cpu = ThreadMilliseconds();
    if (cpu < 0) return static_cast<clock_t>(-1);
    sampled_at = now;
    cpu_time = cpu;
  }
  return static_cast<clock_t>(cpu_time);
}
