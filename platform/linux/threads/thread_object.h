// The kernel object behind a thread handle: the routine's exit code, whether it
// has ended or been terminated, and the kernel id used for its nice value.
// Internal to the threads service.
#pragma once

#include <sys/types.h>

#include "platform/linux/threads/sync_object.h"
#include "platform/linux/threads/thread.h"

class ThreadObject : public SyncObject {
 public:
  ThreadObject(LPTHREAD_START_ROUTINE routine, LPVOID parameter)
      : routine(routine), parameter(parameter) {}

  bool IsSignalled() const override { return ended || terminated; }

  // The body of the new thread: runs the routine and signals the handle.
  static void Run(ThreadObject *self);

  LPTHREAD_START_ROUTINE routine;
  LPVOID parameter;
  std::condition_variable started;  // tid has been published
  pid_t tid = 0;
  DWORD exitCode = STILL_ACTIVE;
  bool ended = false;
  bool terminated = false;
  int priority = THREAD_PRIORITY_NORMAL;
};

// The calling thread's object if CreateThread started it, else null.
ThreadObject *CurrentThreadObject();
