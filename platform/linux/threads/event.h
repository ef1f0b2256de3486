// Unnamed manual- and auto-reset events. An event is a kernel object, closed by
// CloseHandle, and waited on with WaitForSingleObject or WaitForMultipleObjects.
#pragma once

#include "platform/linux/win_types.h"

// Returns null for a named event: names are not offered. lpEventAttributes is
// ignored.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                    LPCWSTR lpName);

// Set: a manual-reset event releases every waiter and stays set until reset; an
// auto-reset event releases one waiter (or the next wait) and resets itself.
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
