// The common part of the objects a thread can wait on (events and threads): a
// signalled state, the waiters to wake when it changes, and a reference count
// that keeps the object alive while a wait still uses it after CloseHandle.
// Internal to the threads service.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/linux/handles/handle.h"

// One lock guards every waitable object's state, its waiters and its references:
// a wait over several objects then sees them all at one instant, and looking up
// a handle and taking a reference cannot race with the object's deletion.
std::mutex &SyncMutex();

// A thread blocked in a wait; registered with each object it waits on.
struct SyncWaiter {
  std::condition_variable wake;
};

// Every operation below expects SyncMutex to be held by the caller.
class SyncObject : public KernelObject {
 public:
  SyncObject() = default;

  // Drops the handle's reference; the object goes when no wait or running
  // thread holds one any more.
  BOOL Close() override;

  virtual bool IsSignalled() const = 0;
  // A wait has been satisfied by this object: an auto-reset event resets here.
  virtual void ConsumeSignal() {}

  void AddReference() { ++references; }
  void Release();

  void AddWaiter(SyncWaiter *waiter) { waiters.push_back(waiter); }
  void RemoveWaiter(SyncWaiter *waiter);
  void WakeWaiters();

 protected:
  ~SyncObject() override = default;

 private:
  int references = 1;
  std::vector<SyncWaiter *> waiters;
};

// The live waitable object a handle names, or null. SyncMutex must be held; the
// object stays valid while it is held (or while a reference is taken).
SyncObject *FindSyncObject(HANDLE handle);

template <typename T>
T *FindSyncObjectAs(HANDLE handle) {
  return dynamic_cast<T *>(FindSyncObject(handle));
}

// Whether the calling thread has been terminated. SyncMutex must be held.
bool CurrentThreadTerminated();

// A thread terminated by TerminateThread stops for good at the platform's wait
// points: this never returns for such a thread. SyncMutex must be held through
// lock, and is released while parked.
void ParkIfTerminated(std::unique_lock<std::mutex> &lock);
