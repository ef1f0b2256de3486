// Critical sections: recursive locks owned by one thread, as on Win32. The
// structure holds the lock itself, so it must not be copied or moved between
// InitializeCriticalSection and DeleteCriticalSection.
#pragma once

#include "platform/linux/win_types.h"

typedef struct _CRITICAL_SECTION {
  alignas(16) unsigned char lockStorage[64];
  DWORD initialized;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
