#include "platform/linux/threads/wait.h"

#include <array>
#include <chrono>
#include <thread>

#include "platform/linux/threads/sync_object.h"

namespace {

using Clock = std::chrono::steady_clock;

// Checks, under SyncMutex, for the lowest signalled object and consumes its
// signal.
DWORD TakeSignalled(const std::array<SyncObject *, MAXIMUM_WAIT_OBJECTS> &objects, DWORD count) {
  for (DWORD i = 0; i < count; ++i) {
    if (objects[i]->IsSignalled()) {
      objects[i]->ConsumeSignal();
      return WAIT_OBJECT_0 + i;
    }
  }
  return WAIT_TIMEOUT;
}

}  // namespace

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || lpHandles == nullptr || bWaitAll) {
    return WAIT_FAILED;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(dwMilliseconds);
  std::unique_lock lock(SyncMutex());
  ParkIfTerminated(lock);

  std::array<SyncObject *, MAXIMUM_WAIT_OBJECTS> objects{};
  for (DWORD i = 0; i < nCount; ++i) {
    objects[i] = FindSyncObject(lpHandles[i]);
    if (objects[i] == nullptr) return WAIT_FAILED;
  }

  DWORD result = TakeSignalled(objects, nCount);
  if (result != WAIT_TIMEOUT || dwMilliseconds == 0) return result;

  // References keep the objects alive should a handle be closed while waiting.
  SyncWaiter waiter;
  for (DWORD i = 0; i < nCount; ++i) {
    objects[i]->AddReference();
    objects[i]->AddWaiter(&waiter);
  }
  bool timedOut = false;
  for (;;) {
    if (dwMilliseconds == INFINITE) {
      waiter.wake.wait(lock);
    } else {
      timedOut = waiter.wake.wait_until(lock, deadline) == std::cv_status::timeout;
    }
    // A thread terminated while it waited takes no signal and never returns.
    if (CurrentThreadTerminated()) break;
    result = TakeSignalled(objects, nCount);
    if (result != WAIT_TIMEOUT || timedOut) break;
  }
  for (DWORD i = 0; i < nCount; ++i) {
    objects[i]->RemoveWaiter(&waiter);
    objects[i]->Release();
  }
  ParkIfTerminated(lock);
  return result;
}

void Sleep(DWORD dwMilliseconds) {
  {
    std::unique_lock lock(SyncMutex());
    ParkIfTerminated(lock);
  }
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
  }
  std::unique_lock lock(SyncMutex());
  ParkIfTerminated(lock);
}

DWORD GetTickCount() {
  auto since =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
  return static_cast<DWORD>(since.count());
}
