// The clock behind Hunspell's time limits (the build links Hunspell with --wrap=clock): the
// calling thread's own CPU time, in CLOCKS_PER_SEC units.
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

extern "C" clock_t __wrap_clock(void);

namespace {

// A clock's reading in microseconds, read here without the wrapper.
int64_t Microseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int64_t ThreadMicroseconds() { return Microseconds(CLOCK_THREAD_CPUTIME_ID); }

TEST(HunspellClock, CountsThisThreadsWorkInClocksPerSec) {
  const clock_t before = __wrap_clock();
  // 60 ms of this thread's own processor time, however long a busy machine makes that take.
  const int64_t start = ThreadMicroseconds();
  while (ThreadMicroseconds() - start < 60000) {
  }
  const clock_t elapsed = __wrap_clock() - before;
  EXPECT_GE(elapsed, 60 * CLOCKS_PER_SEC / 1000);
  EXPECT_LT(elapsed, 10 * CLOCKS_PER_SEC);  // and in CLOCKS_PER_SEC units, not ns
}

TEST(HunspellClock, CountsNeitherSleepNorOtherThreadsWork) {
  // Two threads each do 300 ms of their own work while this one waits, blocked: the process
  // works 600 ms or more, over at least 300 ms of wall time, and this thread only wakes up. The
  // bounds are shares of those spans rather than milliseconds: under valgrind, which runs one
  // thread at a time, waking up has cost this thread 74 ms, and the span 23 s of wall time.
  constexpr int64_t kWorkMicroseconds = 300000;
  std::atomic<bool> go{false};
  std::mutex mutex;
  std::condition_variable done;
  int working = 2;
  std::vector<std::thread> busy;
  for (int i = 0; i < 2; ++i) {
    busy.emplace_back([&] {
      while (!go.load()) {
      }
      const int64_t start = Microseconds(CLOCK_THREAD_CPUTIME_ID);
      while (Microseconds(CLOCK_THREAD_CPUTIME_ID) - start < kWorkMicroseconds) {
      }
      const std::lock_guard lock(mutex);
      if (--working == 0) done.notify_one();
    });
  }
  const int64_t wall_before = Microseconds(CLOCK_MONOTONIC);
  const int64_t process_before = Microseconds(CLOCK_PROCESS_CPUTIME_ID);
  const clock_t before = __wrap_clock();
  go = true;
  {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return working == 0; });
  }
  const clock_t elapsed = __wrap_clock() - before;
  const int64_t process = Microseconds(CLOCK_PROCESS_CPUTIME_ID) - process_before;
  const int64_t wall = Microseconds(CLOCK_MONOTONIC) - wall_before;
  for (auto& thread : busy) thread.join();
  static_assert(CLOCKS_PER_SEC == 1000000);
  // A wall clock would read `wall`, the process's CPU time `process`.
  EXPECT_LT(elapsed * 4, wall);
  EXPECT_LT(elapsed * 4, process);
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
