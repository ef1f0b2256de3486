#include "platform/linux/threads/sync_object.h"

#include <algorithm>

std::mutex &SyncMutex() {
  // Never destroyed: a thread parked after termination may still be waiting on
  // it while the process runs its static destructors.
  static std::mutex *mutex = new std::mutex;
  return *mutex;
}

BOOL SyncObject::Close() {
  std::lock_guard lock(SyncMutex());
  Release();
  return TRUE;
}

void SyncObject::Release() {
  if (--references == 0) delete this;
}

void SyncObject::RemoveWaiter(SyncWaiter *waiter) {
  auto found = std::find(waiters.begin(), waiters.end(), waiter);
  if (found != waiters.end()) waiters.erase(found);
}

void SyncObject::WakeWaiters() {
  for (SyncWaiter *waiter : waiters) waiter->wake.notify_one();
}

SyncObject *FindSyncObject(HANDLE handle) {
  return dynamic_cast<SyncObject *>(LookUpKernelObject(handle));
}
