// Ends a test program that hangs: a Watchdog still alive after its limit
// names the running test and ends the process, so a deadlock or a message
// loop that never returns fails the run instead of blocking it. Built only on
// the standard library, never on the platform calls under test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class Watchdog {
 public:
  explicit Watchdog(int seconds = 60) {
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                             : std::string("(outside a test)");
    guard = std::thread([this, seconds, name] {
      std::unique_lock<std::mutex> hold(mutex);
      if (!done.wait_for(hold, std::chrono::seconds(seconds), [this] { return finished; })) {
        std::fprintf(stderr, "watchdog: %s still running after %d s\n", name.c_str(), seconds);
        std::fflush(stderr);
        // Not abort(): the program's crash handlers (the screen session's)
        // would then run in a process whose other threads may hold the very
        // locks they need, and the hang would go on.
        std::_Exit(3);
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(mutex);
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
