// Windows backends on several threads, as script environments on worker threads make them: COM
// is initialised per thread, so every thread's first backend initialises it there and its last
// one uninitialises it there, whatever the other threads hold.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_com_system.h"
#include "platform/environment.h"
#include "spellchecker/backend_selection.h"
#include "spellchecker/windows_spell_backend.h"

namespace spellshell {
namespace {

using fakes::FakeComSystem;
using Calls = std::vector<std::string>;
using Backends = std::vector<std::unique_ptr<WindowsSpellBackend>>;

// A thread that runs what it is given, one task at a time, while the caller waits: the test
// decides the order of events across threads exactly.
class ThreadRunner {
 public:
  ThreadRunner() : thread_([this] { Loop(); }) {}
  ~ThreadRunner() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  ThreadRunner(const ThreadRunner&) = delete;
  ThreadRunner& operator=(const ThreadRunner&) = delete;

  template <typename Result>
  Result Run(const std::function<Result()>& task) {
    std::packaged_task<Result()> packaged(task);
    std::future<Result> result = packaged.get_future();
    {
      std::lock_guard lock(mutex_);
      tasks_.emplace_back([&packaged] { packaged(); });
    }
    wake_.notify_all();
    return result.get();
  }
  void Run(const std::function<void()>& task) { Run<void>(task); }
  std::thread::id id() const { return thread_.get_id(); }

 private:
  void Loop() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return done_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool done_ = false;
  std::thread thread_;  // last: starts once everything above exists
};

// What a backend made on the calling thread can do: answer through the service.
void ExpectWorkingBackend(WindowsSpellBackend& backend) {
  EXPECT_TRUE(backend.HasSpellCheckerFactory());
  EXPECT_TRUE(backend.SetDictionary("en-US", "."));
  EXPECT_TRUE(backend.IsMisspelled("wrod"));
  EXPECT_FALSE(backend.IsMisspelled("word"));
}

TEST(ComPerThread, AWorkersFirstBackendInitialisesComThereWhileTheMainThreadHoldsOne) {
  FakeComSystem com;
  {
    auto main_backend = std::make_unique<WindowsSpellBackend>();
    ThreadRunner worker;
    com.ClearCalls();
    auto worker_backend = worker.Run<std::unique_ptr<WindowsSpellBackend>>([&] {
      auto backend = std::make_unique<WindowsSpellBackend>();
      EXPECT_FALSE(ComInitFailed);
      EXPECT_EQ(BackendComUsers, 1);
      ExpectWorkingBackend(*backend);
      return backend;
    });
    EXPECT_EQ(com.Calls().front(), "worker: CoInitializeEx");
    EXPECT_TRUE(com.ComInitialized(worker.id()));
    EXPECT_EQ(BackendComUsers, 1);  // the main thread's own count did not move

    // The main thread lets its backend go first: its own COM goes, the worker's stays.
    com.ClearCalls();
    main_backend.reset();
    EXPECT_EQ(com.Calls().back(), "CoUninitialize");
    EXPECT_FALSE(com.ComInitialized(std::this_thread::get_id()));
    worker.Run([&] {
      EXPECT_TRUE(worker_backend->IsMisspelled("wrod"));
      worker_backend.reset();
    });
    EXPECT_EQ(com.Calls().back(), "worker: CoUninitialize");
    EXPECT_FALSE(com.ComInitialized(worker.id()));
  }
  EXPECT_EQ(com.Problems(), Calls());
}

TEST(ComPerThread, SeededInterleavingsKeepEveryThreadBalanced) {
  for (const std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    FakeComSystem com;
    {
      std::mt19937 random(seed);
      // Thread 0 is the test's own; the others run their backends on threads of their own.
      std::vector<std::unique_ptr<ThreadRunner>> runners;
      for (int i = 0; i < 3; ++i) runners.push_back(std::make_unique<ThreadRunner>());
      std::vector<Backends> backends(runners.size() + 1);
      auto on = [&](std::size_t thread, const std::function<void()>& task) {
        if (thread == 0) {
          task();
        } else {
          runners[thread - 1]->Run(task);
        }
      };
      auto id_of = [&](std::size_t thread) {
        return thread == 0 ? std::this_thread::get_id() : runners[thread - 1]->id();
      };
      for (int step = 0; step < 200; ++step) {
        const std::size_t thread = random() % backends.size();
        Backends& own = backends[thread];
        const bool make = own.empty() || random() % 2 == 0;
        on(thread, [&] {
          if (make) {
            own.push_back(std::make_unique<WindowsSpellBackend>());
            ExpectWorkingBackend(*own.back());
          } else {
            own.erase(own.begin() + static_cast<std::ptrdiff_t>(random() % own.size()));
          }
          EXPECT_EQ(BackendComUsers, static_cast<std::int32_t>(own.size()));
        });
        for (std::size_t t = 0; t < backends.size(); ++t) {
          ASSERT_EQ(com.ComInitialized(id_of(t)), !backends[t].empty())
              << "thread " << t << " at step " << step;
        }
      }
      for (std::size_t thread = 0; thread < backends.size(); ++thread) {
        on(thread, [&] { backends[thread].clear(); });
      }
    }
    EXPECT_EQ(com.Problems(), Calls());
  }
}

TEST(ComPerThread, AFailedInitialisationOnOneThreadLeavesTheOthersOnTheWindowsBackend) {
  FakeComSystem com;
  RemoveProcessEnvironmentVariable(kPreferHunspellVariable);  // as `new Spellchecker()` leaves it
  {
    ThreadRunner failing;
    ThreadRunner other;
    com.script.initialize_results = {RPC_E_CHANGED_MODE};  // the next CoInitializeEx only
    failing.Run([] {
      EXPECT_TRUE(CreateSpellBackend()->IsHunspell());
      EXPECT_TRUE(ComInitFailed);
    });
    auto main_backend = CreateSpellBackend();
    EXPECT_FALSE(ComInitFailed);
    EXPECT_FALSE(main_backend->IsHunspell());
    other.Run([] {
      auto backend = CreateSpellBackend();
      EXPECT_FALSE(ComInitFailed);
      EXPECT_FALSE(backend->IsHunspell());
      EXPECT_TRUE(backend->SetDictionary("en-US", "."));
    });
    // The failed thread tries afresh with its next first backend, and now succeeds.
    failing.Run([] {
      EXPECT_FALSE(CreateSpellBackend()->IsHunspell());
      EXPECT_FALSE(ComInitFailed);
    });
  }
  EXPECT_EQ(com.Problems(), Calls());
}

}  // namespace
}  // namespace spellshell
