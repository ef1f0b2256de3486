// A watchdog for tests that wait on threads or a message loop: if the test has
// not finished within the limit, it reports which test hung and aborts, so a
// bug fails the run instead of blocking it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

class Watchdog {
 public:
  explicit Watchdog(const char *what, std::chrono::seconds limit = std::chrono::seconds(60))
      : thread([this, what, limit] {
          std::unique_lock<std::mutex> hold(mutex);
          if (!finished.wait_for(hold, limit, [this] { return done; })) {
            std::fprintf(stderr, "watchdog: %s did not finish\n", what);
            std::abort();
          }
        }) {}

  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(mutex);
      done = true;
    }
    finished.notify_one();
    thread.join();
  }

 private:
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::thread thread;
};
