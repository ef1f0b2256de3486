#include "platform/linux/threads/critical_section.h"

#include <cassert>
#include <mutex>
#include <new>

namespace {

// Marks a structure that InitializeCriticalSection has set up, so that using an
// uninitialised or deleted one is caught by an assertion.
constexpr DWORD kInitialized = 0x43524954;

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::lockStorage));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

std::recursive_mutex &LockOf(LPCRITICAL_SECTION section) {
  assert(section != nullptr && section->initialized == kInitialized);
  return *std::launder(reinterpret_cast<std::recursive_mutex *>(section->lockStorage));
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  assert(lpCriticalSection != nullptr);
  new (lpCriticalSection->lockStorage) std::recursive_mutex;
  lpCriticalSection->initialized = kInitialized;
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  LockOf(lpCriticalSection).~recursive_mutex();
  lpCriticalSection->initialized = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  LockOf(lpCriticalSection).lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  return LockOf(lpCriticalSection).try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  LockOf(lpCriticalSection).unlock();
}
