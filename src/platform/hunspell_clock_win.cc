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

extern "C" clock_t __wrap_clock(void) {
  FILETIME creation{};
  FILETIME exit{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) {
    return static_cast<clock_t>(-1);
  }
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  // FILETIME counts 100 ns.
  constexpr unsigned long long kPerClock = 10000000ULL / CLOCKS_PER_SEC;
  return static_cast<clock_t>((ticks(kernel) + ticks(user)) / kPerClock);
}
