// WorkerThread: the base of an object that owns one worker thread and the
// manual-reset event that asks it to end. Not a thread pool and not a general
// thread wrapper: one thread at a time, started and stopped by the owner.
//
// Contract:
// - StartThread and StopThread are called by the owner, on the owner's thread
//   only (never from ThreadMain).
// - ThreadMain runs on the worker thread; it polls StopRequested or waits with
//   WaitForStopOr, and returns when asked to stop.
// - A derived class must stop the thread in its own destructor before its
//   members go away: the base destructor joins too, but by then ThreadMain's
//   object is already half destroyed.
#pragma once

#include "platform/platform.h"

class WorkerThread {
 public:
  WorkerThread();
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread &) = delete;
  WorkerThread &operator=(const WorkerThread &) = delete;

  // Starts ThreadMain on a new thread at priority, unless a thread started
  // earlier still runs, which is then left alone. A thread that has ended on
  // its own is reaped first.
  void StartThread(int priority);

  // Asks the thread to end and joins it, terminating it after timeoutMs. Does
  // nothing when no thread was started.
  void StopThread(int timeoutMs);

  // Waits until the stop event or handle is signalled, or timeoutMs passes.
  // True unless it timed out.
  bool WaitForStopOr(HANDLE handle, int timeoutMs);

  // True once the owner has asked the thread to end.
  bool StopRequested();

 protected:
  virtual void ThreadMain() = 0;

  HANDLE threadHandle;
  HANDLE stopEvent;

 private:
  static DWORD WINAPI ThreadEntry(LPVOID object);
};
