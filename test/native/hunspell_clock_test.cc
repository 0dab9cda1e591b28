// The clock behind Hunspell's time limits (the build links Hunspell with --wrap=clock).
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <thread>

extern "C" clock_t __wrap_clock(void);

namespace {

TEST(HunspellClock, CountsTimeThatNoThreadSpendsWorking) {
  // clock() would count the process's CPU time, which a sleep does not use: about 0 here.
  const clock_t before = __wrap_clock();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const clock_t elapsed = __wrap_clock() - before;
  EXPECT_GE(elapsed, 25 * CLOCKS_PER_SEC / 1000);  // 25 ms: the sleep's 30 less rounding
  EXPECT_LT(elapsed, 10 * CLOCKS_PER_SEC);         // and in CLOCKS_PER_SEC units, not ns
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
