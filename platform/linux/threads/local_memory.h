// LocalAlloc and LocalFree for plain memory blocks. Memory never moves here, so
// a block asked for as LMEM_MOVEABLE is returned as a pointer too, as the
// pocket computer does.
#pragma once

#include "platform/linux/win_types.h"

#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)

// A block of uBytes (zero-filled with LMEM_ZEROINIT), or null if memory is short
// or uFlags holds anything but the flags above.
HLOCAL LocalAlloc(UINT uFlags, size_t uBytes);

// Null on success (and for a null block), as on Win32.
HLOCAL LocalFree(HLOCAL hMem);
