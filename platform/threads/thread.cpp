#include "platform/threads/thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/threads/thread_object.h"

namespace {

thread_local ThreadObject *t_currentThread = nullptr;

// Nice offsets from the process's own level for the eight levels, 0 highest.
constexpr int kNiceOffset[8] = {-15, -10, -5, 0, 5, 10, 15, 19};

int ProcessNice() {
  // The main thread's level when first asked; the user may have started the
  // program under `nice`, and the levels are relative to that.
  static const int nice = [] {
    errno = 0;
    int value = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    return errno == 0 ? value : 0;
  }();
  return nice;
}

// The lowest nice value this process may set: an unprivileged process may only
// lower a nice value down to 20 - RLIMIT_NICE.
int NiceFloor() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return 19;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40) return -20;
  return 20 - static_cast<int>(limit.rlim_cur);
}

void ApplyNice(pid_t tid, int level) {
  int target = std::clamp(ProcessNice() + kNiceOffset[level], -20, 19);
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), target) == 0) return;
  if (errno != EACCES && errno != EPERM) return;
  // Refused raise: go as high as the limit allows, if that is a raise at all.
  errno = 0;
  int current = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  int allowed = std::max(target, NiceFloor());
  if (allowed < current) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), allowed);
}

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
  if (!thread->ended) ApplyNice(thread->tid, nPriority);
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
