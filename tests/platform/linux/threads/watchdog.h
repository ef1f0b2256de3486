// Ends a test program that hangs: a Watchdog that is not destroyed within its
// limit prints the test's name and aborts, so a deadlock fails instead of
// blocking the run. Built only on the standard library, never on the platform
// calls under test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(20)) {
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                       : std::string("(outside a test)");
    guard = std::thread([this, limit, name] {
      std::unique_lock lock(mutex);
      if (!done.wait_for(lock, limit, [this] { return finished; })) {
        std::fprintf(stderr, "Watchdog: %s hung for more than %llds\n", name.c_str(),
                     static_cast<long long>(limit.count()));
        std::abort();
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard lock(mutex);
      finished = true;
    }
    done.notify_all();
    guard.join();
  }
  Watchdog(const Watchdog &) = delete;
  Watchdog &operator=(const Watchdog &) = delete;

 private:
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::thread guard;
};
