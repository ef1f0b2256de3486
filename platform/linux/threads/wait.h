// Waiting on events and threads with a time-out, sleeping, and the millisecond
// tick count. Waits block on a condition variable; none of them polls.
#pragma once

#include "platform/linux/win_types.h"

#define MAXIMUM_WAIT_OBJECTS 64
#define WAIT_ABANDONED_0 0x00000080u

// WAIT_OBJECT_0 when hHandle (an event or a thread) is signalled within
// dwMilliseconds (INFINITE for no limit), WAIT_TIMEOUT (258) otherwise,
// WAIT_FAILED for a handle that is not a live event or thread. A wait that
// succeeds on an auto-reset event resets it.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Wait-any: WAIT_OBJECT_0 + i for the lowest index i signalled, WAIT_TIMEOUT,
// or WAIT_FAILED for a bad handle, a count of 0 or above MAXIMUM_WAIT_OBJECTS,
// or bWaitAll TRUE (not offered).
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds);

void Sleep(DWORD dwMilliseconds);

// Milliseconds since an arbitrary start, wrapping at 2^32, from a clock that
// never jumps.
DWORD GetTickCount();
