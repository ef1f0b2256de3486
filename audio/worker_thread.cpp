#include "audio/worker_thread.h"

WorkerThread::WorkerThread() : threadHandle(nullptr), stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WorkerThread::~WorkerThread() {
  StopThread(5000);
  if (stopEvent != nullptr) {
    CloseHandle(stopEvent);
  }
}

DWORD WINAPI WorkerThread::ThreadEntry(LPVOID object) {
  static_cast<WorkerThread *>(object)->ThreadMain();
  return 0;
}

void WorkerThread::StartThread(int priority) {
  if (threadHandle != nullptr) {
    DWORD exitCode = 0;
    if (GetExitCodeThread(threadHandle, &exitCode) && exitCode == STILL_ACTIVE) {
      return;
    }
    CloseHandle(threadHandle);
    threadHandle = nullptr;
  }
  ResetEvent(stopEvent);
  threadHandle = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (threadHandle != nullptr) {
    SetThreadPriority(threadHandle, priority);
  }
}

void WorkerThread::StopThread(int timeoutMs) {
  if (threadHandle == nullptr) {
    return;
  }
  SetEvent(stopEvent);
  if (WaitForSingleObject(threadHandle, static_cast<DWORD>(timeoutMs)) == WAIT_TIMEOUT) {
    TerminateThread(threadHandle, 0);
  }
  CloseHandle(threadHandle);
  threadHandle = nullptr;
}

bool WorkerThread::WaitForStopOr(HANDLE handle, int timeoutMs) {
  if (stopEvent == nullptr) {
    return false;
  }
  HANDLE handles[2] = {stopEvent, handle};
  return WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(timeoutMs)) != WAIT_TIMEOUT;
}

bool WorkerThread::StopRequested() {
  return stopEvent == nullptr || WaitForSingleObject(stopEvent, 0) != WAIT_TIMEOUT;
}
