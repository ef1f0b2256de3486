#include "audio/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/support/watchdog.h"

namespace {

// What the worker body does, chosen per test.
enum class Body {
  WaitForStop,    // loops until StopRequested
  WaitOnOther,    // one WaitForStopOr(other, INFINITE), result kept
  ReturnAtOnce,   // ends by itself
  IgnoreStop,     // waits on other only: must be terminated
};

class TestWorker : public WorkerThread {
 public:
  explicit TestWorker(Body body) : body(body), other(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TestWorker() override {
    StopThread(5000);
    CloseHandle(other);
    CloseHandle(running);
  }

  HANDLE Thread() const { return threadHandle; }

  Body body;
  HANDLE other;
  std::atomic<int> runs{0};
  std::atomic<int> waitResult{-1};
  HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);

 protected:
  void ThreadMain() override {
    ++runs;
    SetEvent(running);
    switch (body) {
      case Body::WaitForStop:
        while (!StopRequested()) {
          WaitForStopOr(other, 1000);
        }
        break;
      case Body::WaitOnOther:
        waitResult = WaitForStopOr(other, static_cast<int>(INFINITE)) ? 1 : 0;
        break;
      case Body::ReturnAtOnce:
        break;
      case Body::IgnoreStop:
        WaitForSingleObject(other, INFINITE);
        break;
    }
  }
};

DWORD ExitCode(HANDLE thread) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  return code;
}

TEST(WorkerThreadTest, StopWithoutThreadDoesNothing) {
  TestWorker worker(Body::WaitForStop);
  worker.StopThread(5000);
  EXPECT_EQ(worker.Thread(), nullptr);
  EXPECT_EQ(worker.runs, 0);
}

TEST(WorkerThreadTest, StartAtPriorityThenStopJoins) {
  Watchdog watchdog;
  for (int priority : {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_IDLE}) {
    TestWorker worker(Body::WaitForStop);
    worker.StartThread(priority);
    ASSERT_NE(worker.Thread(), nullptr);
    EXPECT_EQ(GetThreadPriority(worker.Thread()), priority);
    ASSERT_EQ(WaitForSingleObject(worker.running, INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(worker.StopRequested());
    worker.StopThread(5000);
    EXPECT_EQ(worker.Thread(), nullptr);
    EXPECT_TRUE(worker.StopRequested());
    EXPECT_EQ(worker.runs, 1);
  }
}

TEST(WorkerThreadTest, StartWhileRunningKeepsTheRunningThread) {
  Watchdog watchdog;
  TestWorker worker(Body::WaitForStop);
  worker.StartThread(THREAD_PRIORITY_LOWEST);
  HANDLE first = worker.Thread();
  ASSERT_EQ(WaitForSingleObject(worker.running, INFINITE), WAIT_OBJECT_0);
  worker.StartThread(THREAD_PRIORITY_HIGHEST);
  EXPECT_EQ(worker.Thread(), first);
  EXPECT_EQ(GetThreadPriority(first), THREAD_PRIORITY_LOWEST);
  EXPECT_EQ(ExitCode(first), STILL_ACTIVE);
  worker.StopThread(5000);
  EXPECT_EQ(worker.runs, 1);
}

TEST(WorkerThreadTest, StartAfterTheThreadEndedReapsItAndStartsAnother) {
  Watchdog watchdog;
  TestWorker worker(Body::ReturnAtOnce);
  worker.StartThread(THREAD_PRIORITY_NORMAL);
  ASSERT_EQ(WaitForSingleObject(worker.Thread(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(worker.Thread()), 0u);
  ResetEvent(worker.running);
  worker.StartThread(THREAD_PRIORITY_NORMAL);
  ASSERT_NE(worker.Thread(), nullptr);
  ASSERT_EQ(WaitForSingleObject(worker.Thread(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(worker.runs, 2);
}

TEST(WorkerThreadTest, WaitForStopOrEndsOnEitherHandle) {
  Watchdog watchdog;
  {
    // The other handle never becomes signalled: the stop event alone ends it.
    TestWorker worker(Body::WaitOnOther);
    worker.StartThread(THREAD_PRIORITY_NORMAL);
    ASSERT_EQ(WaitForSingleObject(worker.running, INFINITE), WAIT_OBJECT_0);
    worker.StopThread(5000);
    EXPECT_EQ(worker.waitResult, 1);
  }
  {
    TestWorker worker(Body::WaitOnOther);
    worker.StartThread(THREAD_PRIORITY_NORMAL);
    SetEvent(worker.other);
    ASSERT_EQ(WaitForSingleObject(worker.Thread(), INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(worker.waitResult, 1);
    EXPECT_FALSE(worker.StopRequested());
  }
}

TEST(WorkerThreadTest, WaitForStopOrReportsATimeOut) {
  TestWorker worker(Body::WaitForStop);
  EXPECT_FALSE(worker.WaitForStopOr(worker.other, 0));
  SetEvent(worker.other);
  EXPECT_TRUE(worker.WaitForStopOr(worker.other, 0));
}

TEST(WorkerThreadTest, AThreadThatIgnoresStopIsTerminatedAfterTheTimeOut) {
  Watchdog watchdog;
  TestWorker worker(Body::IgnoreStop);
  worker.StartThread(THREAD_PRIORITY_NORMAL);
  ASSERT_EQ(WaitForSingleObject(worker.running, INFINITE), WAIT_OBJECT_0);
  worker.StopThread(20);
  EXPECT_EQ(worker.Thread(), nullptr);
  EXPECT_EQ(worker.runs, 1);
}

}  // namespace
