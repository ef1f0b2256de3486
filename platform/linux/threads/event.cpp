#include "platform/linux/threads/event.h"

#include "platform/linux/threads/event_object.h"

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  if (lpName != nullptr) return nullptr;
  return (new EventObject(bManualReset != FALSE, bInitialState != FALSE))->Handle();
}

BOOL SetEvent(HANDLE hEvent) {
  std::lock_guard lock(SyncMutex());
  auto *event = FindSyncObjectAs<EventObject>(hEvent);
  if (event == nullptr) return FALSE;
  event->signalled = true;
  event->WakeWaiters();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  std::lock_guard lock(SyncMutex());
  auto *event = FindSyncObjectAs<EventObject>(hEvent);
  if (event == nullptr) return FALSE;
  event->signalled = false;
  return TRUE;
}

bool IsEventHandle(HANDLE handle) {
  std::lock_guard lock(SyncMutex());
  return FindSyncObjectAs<EventObject>(handle) != nullptr;
}
