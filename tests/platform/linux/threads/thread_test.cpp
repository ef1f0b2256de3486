#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/watchdog.h"

namespace {

struct Gate {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD seenThreadId = 0;
  std::atomic<bool> passed{false};
  std::atomic<bool> spin{true};
  ~Gate() {
    CloseHandle(release);
    CloseHandle(running);
  }
};

DWORD WINAPI WaitAtGate(LPVOID parameter) {
  auto *gate = static_cast<Gate *>(parameter);
  gate->seenThreadId = GetCurrentThreadId();
  SetEvent(gate->running);
  WaitForSingleObject(gate->release, INFINITE);
  gate->passed = true;
  return 42;
}

TEST(Thread, IsStillActiveUntilItsRoutineReturnsItsExitCode) {
  Watchdog watchdog;
  Gate gate;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(gate.running, INFINITE);
  EXPECT_EQ(gate.seenThreadId, id);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  EXPECT_EQ(GetExitCodeThread(thread, &code), TRUE);
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  SetEvent(gate.release);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_EQ(GetExitCodeThread(thread, &code), TRUE);
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(gate.passed);
  EXPECT_EQ(CloseHandle(thread), TRUE);
  EXPECT_EQ(GetExitCodeThread(thread, &code), FALSE);
}

TEST(Thread, ClosingTheHandleNeitherStopsNorJoinsTheThread) {
  Watchdog watchdog;
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
  WaitForSingleObject(gate.running, INFINITE);
  EXPECT_EQ(CloseHandle(thread), TRUE);  // returns while the thread still waits
  EXPECT_FALSE(gate.passed);
  // A second thread observes the first one finishing after its handle is gone.
  Gate second;
  HANDLE observer = CreateThread(nullptr, 0, WaitAtGate, &second, 0, nullptr);
  SetEvent(gate.release);
  SetEvent(second.release);
  WaitForSingleObject(observer, INFINITE);
  CloseHandle(observer);
  while (!gate.passed) std::this_thread::yield();
}

TEST(Thread, RefusesWhatItDoesNotOffer) {
  Gate gate;
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(CreateThread(nullptr, 0, WaitAtGate, &gate, CREATE_SUSPENDED, nullptr), nullptr);
  DWORD code = 0;
  HANDLE event = gate.release;
  for (HANDLE bad : {HANDLE(nullptr), INVALID_HANDLE_VALUE, event}) {
    EXPECT_EQ(GetExitCodeThread(bad, &code), FALSE);
    EXPECT_EQ(SetThreadPriority(bad, THREAD_PRIORITY_LOWEST), FALSE);
    EXPECT_EQ(GetThreadPriority(bad), THREAD_PRIORITY_ERROR_RETURN);
    EXPECT_EQ(TerminateThread(bad, 1), FALSE);
  }
}

int NiceOf(DWORD threadId) {
  errno = 0;
  int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
  EXPECT_EQ(errno, 0);
  return nice;
}

// Whether the calling thread may lower nice values: CAP_SYS_NICE in its
// effective set (switched there and back within the permitted set) and the soft
// RLIMIT_NICE. The process's own are put back on destruction.
class NicePrivileges {
 public:
  NicePrivileges(bool capSysNice, rlim_t niceLimit) {
    if (syscall(SYS_capget, &header, saved) != 0 || getrlimit(RLIMIT_NICE, &savedLimit) != 0) return;
    __user_cap_data_struct wanted[2] = {saved[0], saved[1]};
    constexpr uint32_t kBit = 1u << CAP_SYS_NICE;
    if (capSysNice && (saved[0].permitted & kBit) == 0) return;
    wanted[0].effective = capSysNice ? (saved[0].effective | kBit) : (saved[0].effective & ~kBit);
    rlimit limit = savedLimit;
    limit.rlim_cur = niceLimit;
    active = syscall(SYS_capset, &header, wanted) == 0 && setrlimit(RLIMIT_NICE, &limit) == 0;
  }
  ~NicePrivileges() {
    syscall(SYS_capset, &header, saved);
    setrlimit(RLIMIT_NICE, &savedLimit);
  }
  bool active = false;

 private:
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved[2] = {};
  rlimit savedLimit{};
};

// The player starts its feeder at LOWEST and raises it to HIGHEST once its ring
// is full. An unprivileged process can raise a nice value but never lower it,
// so LOWEST must not leave the thread stuck below normal for good.
TEST(Thread, PriorityLevelsNeverLeaveAnOrdinaryUserBelowNormal) {
  Watchdog watchdog;
  const int normal = NiceOf(static_cast<DWORD>(getpid()));
  const struct {
    const char *name;
    bool capSysNice;
    int lowest;
    int highest;
  } cases[] = {
      {"ordinary user", false, normal, normal},
      {"CAP_SYS_NICE", true, std::min(normal + 10, 19), std::max(normal - 10, -20)},
  };
  int ran = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    NicePrivileges privileges(c.capSysNice, 0);
    if (!privileges.active) {
      std::printf("skipped \"%s\": this process cannot take those privileges\n", c.name);
      continue;
    }
    ++ran;
    Gate gate;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    const int ownNice = NiceOf(GetCurrentThreadId());
    const struct {
      int level;
      int nice;
    } steps[] = {
        {THREAD_PRIORITY_LOWEST, c.lowest},
        {THREAD_PRIORITY_HIGHEST, c.highest},
        {THREAD_PRIORITY_LOWEST, c.lowest},  // a raise undone, where it was made
        {THREAD_PRIORITY_NORMAL, normal},
    };
    for (const auto &step : steps) {
      EXPECT_EQ(SetThreadPriority(thread, step.level), TRUE);
      EXPECT_EQ(GetThreadPriority(thread), step.level);
      EXPECT_EQ(NiceOf(id), step.nice) << "level " << step.level;
    }
    EXPECT_EQ(NiceOf(GetCurrentThreadId()), ownNice);  // that thread only
    EXPECT_EQ(SetThreadPriority(thread, 8), FALSE);
    EXPECT_EQ(SetThreadPriority(thread, -1), FALSE);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    SetEvent(gate.release);
    WaitForSingleObject(thread, INFINITE);
    EXPECT_EQ(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST), TRUE);  // ended: nothing to change
    CloseHandle(thread);
  }
  EXPECT_GE(ran, 1);
}

struct Spinner {
  HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> spin{true};
  std::atomic<bool> left{false};  // the routine is done with this object
  ~Spinner() { CloseHandle(running); }
};

DWORD WINAPI Spin(LPVOID parameter) {
  auto *spinner = static_cast<Spinner *>(parameter);
  SetEvent(spinner->running);
  while (spinner->spin) std::this_thread::yield();
  spinner->left = true;
  return 99;
}

TEST(TerminateThread, AStuckWaiterNeverRunsOnAndTheHandleReportsTheCode) {
  Watchdog watchdog;
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
  WaitForSingleObject(gate.running, INFINITE);
  EXPECT_EQ(TerminateThread(thread, 7), TRUE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 7u);
  // The release reaches a thread that is frozen in its wait: it never gets past
  // it to touch what its owner has given up.
  SetEvent(gate.release);
  EXPECT_EQ(TerminateThread(thread, 8), TRUE);  // already ended: code kept
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(CloseHandle(thread), TRUE);
  Sleep(30);
  EXPECT_FALSE(gate.passed);
}

TEST(TerminateThread, ABusyThreadIsReleasedAndItsLaterReturnIsIgnored) {
  Watchdog watchdog;
  Spinner spinner;
  HANDLE thread = CreateThread(nullptr, 0, Spin, &spinner, 0, nullptr);
  WaitForSingleObject(spinner.running, INFINITE);
  EXPECT_EQ(TerminateThread(thread, 3), TRUE);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  // No wait point in its loop, so it runs on; let it return. The code it
  // returns must not replace the one given, and its handle may be closed first.
  EXPECT_EQ(CloseHandle(thread), TRUE);
  spinner.spin = false;
  while (!spinner.left) std::this_thread::yield();
}

TEST(TerminateThread, TheCodeGivenOutlivesTheRoutinesReturn) {
  Watchdog watchdog;
  Spinner spinner;
  HANDLE thread = CreateThread(nullptr, 0, Spin, &spinner, 0, nullptr);
  WaitForSingleObject(spinner.running, INFINITE);
  EXPECT_EQ(TerminateThread(thread, 3), TRUE);
  spinner.spin = false;
  while (!spinner.left) std::this_thread::yield();
  // The routine has returned 99 by now or is about to; neither shows.
  for (int i = 0; i < 3; ++i) {
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 3u);
    Sleep(1);
  }
  CloseHandle(thread);
}

struct Counter {
  CRITICAL_SECTION lock;
  long value = 0;  // deliberately not atomic: the lock alone must protect it
};

DWORD WINAPI CountUnderLock(LPVOID parameter) {
  auto *counter = static_cast<Counter *>(parameter);
  for (int i = 0; i < 20000; ++i) {
    EnterCriticalSection(&counter->lock);
    EnterCriticalSection(&counter->lock);  // recursive, as on Win32
    long seen = counter->value;
    counter->value = seen + 1;
    LeaveCriticalSection(&counter->lock);
    LeaveCriticalSection(&counter->lock);
  }
  return 0;
}

TEST(CriticalSection, ExcludesOtherThreadsAndNestsWithinOne) {
  Watchdog watchdog;
  Counter counter;
  InitializeCriticalSection(&counter.lock);
  HANDLE threads[2] = {CreateThread(nullptr, 0, CountUnderLock, &counter, 0, nullptr),
                       CreateThread(nullptr, 0, CountUnderLock, &counter, 0, nullptr)};
  for (HANDLE thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
  }
  EXPECT_EQ(counter.value, 40000);
  DeleteCriticalSection(&counter.lock);
}

DWORD WINAPI TryOnce(LPVOID parameter) {
  auto *lock = static_cast<CRITICAL_SECTION *>(parameter);
  if (!TryEnterCriticalSection(lock)) return 0;
  LeaveCriticalSection(lock);
  return 1;
}

TEST(CriticalSection, IsHeldUntilTheLastLeave) {
  Watchdog watchdog;
  CRITICAL_SECTION lock;
  InitializeCriticalSection(&lock);
  EnterCriticalSection(&lock);
  EnterCriticalSection(&lock);
  LeaveCriticalSection(&lock);
  auto tryFromAnotherThread = [&lock] {
    HANDLE thread = CreateThread(nullptr, 0, TryOnce, &lock, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
  };
  EXPECT_EQ(tryFromAnotherThread(), 0u);
  LeaveCriticalSection(&lock);
  EXPECT_EQ(tryFromAnotherThread(), 1u);
  DeleteCriticalSection(&lock);
}

struct AllocCase {
  UINT flags;
  size_t bytes;
  bool succeeds;
  bool zeroed;
};

TEST(LocalAlloc, HonoursTheFlagsItOffers) {
  const AllocCase cases[] = {
      {LPTR, 4096, true, true},
      {LMEM_FIXED, 64, true, false},
      {LMEM_MOVEABLE, 17640, true, false},
      {LHND, 100, true, true},
      {LMEM_FIXED, 0, true, false},
      {0x0100 /* LMEM_DISCARDABLE */, 16, false, false},
  };
  for (const AllocCase &c : cases) {
    SCOPED_TRACE(c.flags);
    auto *block = static_cast<BYTE *>(LocalAlloc(c.flags, c.bytes));
    EXPECT_EQ(block != nullptr, c.succeeds);
    if (block == nullptr) continue;
    if (c.zeroed) {
      for (size_t i = 0; i < c.bytes; ++i) ASSERT_EQ(block[i], 0) << i;
    }
    for (size_t i = 0; i < c.bytes; ++i) block[i] = static_cast<BYTE>(i);  // writable throughout
    EXPECT_EQ(LocalFree(block), nullptr);
  }
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

}  // namespace
