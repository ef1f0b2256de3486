#include "platform/linux/threads/thread.h"

#include <unistd.h>

#include <system_error>
#include <thread>

#include "platform/linux/threads/nice_level.h"
#include "platform/linux/threads/thread_object.h"

namespace {

thread_local ThreadObject *t_currentThread = nullptr;

}  // namespace

ThreadObject *CurrentThreadObject() {
  return t_currentThread;
}

void ThreadObject::Run(ThreadObject *self) {
  t_currentThread = self;
  {
    std::lock_guard lock(SyncMutex());
    self->tid = gettid();
    self->started.notify_all();
  }
  DWORD code = self->routine(self->parameter);
  std::lock_guard lock(SyncMutex());
  if (!self->terminated) self->exitCode = code;
  self->ended = true;
  self->WakeWaiters();
  self->Release();
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, DWORD, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr) return nullptr;
  if ((dwCreationFlags & ~STACK_SIZE_PARAM_IS_A_RESERVATION) != 0) return nullptr;
  std::unique_lock lock(SyncMutex());
  ParkIfTerminated(lock);
  auto *object = new ThreadObject(lpStartAddress, lpParameter);
  object->AddReference();  // the running thread's
  try {
    std::thread(ThreadObject::Run, object).detach();
  } catch (const std::system_error &) {
    object->Release();
    object->Release();
    return nullptr;
  }
  // The id is needed at once by SetThreadPriority; the new thread publishes it
  // before it runs the routine.
  object->started.wait(lock, [object] { return object->tid != 0; });
  if (lpThreadId != nullptr) *lpThreadId = static_cast<DWORD>(object->tid);
  return object->Handle();
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
  if (nPriority < THREAD_PRIORITY_TIME_CRITICAL || nPriority > THREAD_PRIORITY_IDLE) return FALSE;
  std::lock_guard lock(SyncMutex());
  auto *thread = FindSyncObjectAs<ThreadObject>(hThread);
  if (thread == nullptr) return FALSE;
  thread->priority = nPriority;
  // Under the lock, so the id cannot have been reused by another thread yet.
  if (!thread->ended) ApplyNiceLevel(thread->tid, nPriority);
  return TRUE;
}

int GetThreadPriority(HANDLE hThread) {
  std::lock_guard lock(SyncMutex());
  auto *thread = FindSyncObjectAs<ThreadObject>(hThread);
  return thread != nullptr ? thread->priority : THREAD_PRIORITY_ERROR_RETURN;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  if (lpExitCode == nullptr) return FALSE;
  std::lock_guard lock(SyncMutex());
  auto *thread = FindSyncObjectAs<ThreadObject>(hThread);
  if (thread == nullptr) return FALSE;
  *lpExitCode = thread->exitCode;
  return TRUE;
}

BOOL TerminateThread(HANDLE hThread, DWORD dwExitCode) {
  std::unique_lock lock(SyncMutex());
  auto *thread = FindSyncObjectAs<ThreadObject>(hThread);
  if (thread == nullptr) return FALSE;
  if (thread->ended || thread->terminated) return TRUE;
  thread->terminated = true;
  thread->exitCode = dwExitCode;
  thread->WakeWaiters();
  ParkIfTerminated(lock);  // returns unless the caller terminated itself
  return TRUE;
}

DWORD GetCurrentThreadId() {
  return static_cast<DWORD>(gettid());
}

bool CurrentThreadTerminated() {
  return t_currentThread != nullptr && t_currentThread->terminated;
}

void ParkIfTerminated(std::unique_lock<std::mutex> &lock) {
  if (!CurrentThreadTerminated()) return;
  // Never notified and never destroyed: the thread sleeps here until the
  // process ends.
  static std::condition_variable *parked = new std::condition_variable;
  for (;;) parked->wait(lock);
}
