// The clock behind Hunspell's time limits (the build links Hunspell with --wrap=clock): the
// calling thread's own CPU time, in CLOCKS_PER_SEC units.
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

extern "C" clock_t __wrap_clock(void);

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Keeps this thread's processor busy for `span` of wall time.
void Spin(milliseconds span) {
  const auto end = steady_clock::now() + span;
  while (steady_clock::now() < end) {
  }
}

TEST(HunspellClock, CountsThisThreadsWorkInClocksPerSec) {
  const clock_t before = __wrap_clock();
  Spin(milliseconds(60));
  const clock_t elapsed = __wrap_clock() - before;
  // At least 30 of the 60 ms: a busy test machine may take the processor away for a while.
  EXPECT_GE(elapsed, 30 * CLOCKS_PER_SEC / 1000);
  EXPECT_LT(elapsed, 10 * CLOCKS_PER_SEC);  // and in CLOCKS_PER_SEC units, not ns
}

TEST(HunspellClock, CountsNeitherSleepNorOtherThreadsWork) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (int i = 0; i < 2; ++i) {
    busy.emplace_back([&stop] {
      while (!stop.load(std::memory_order_relaxed)) {
      }
    });
  }
  const clock_t before = __wrap_clock();
  std::this_thread::sleep_for(milliseconds(60));
  const clock_t elapsed = __wrap_clock() - before;
  stop = true;
  for (auto& thread : busy) thread.join();
  // The wall clock would say 60 ms, the process's CPU time 120 or more; waking up costs this
  // thread well under 5 ms, and some 20 under valgrind, which runs one thread at a time and
  // translates the code it wakes into.
  EXPECT_LT(elapsed, 40 * CLOCKS_PER_SEC / 1000);
}

TEST(HunspellClock, NeverGoesBack) {
  clock_t last = __wrap_clock();
  for (int i = 0; i < 100000; ++i) {
    const clock_t now = __wrap_clock();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
