#include "platform/linux/threads/local_memory.h"

#include <cstdlib>

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
  if ((uFlags & ~(LMEM_MOVEABLE | LMEM_ZEROINIT)) != 0) return nullptr;
  // A zero-byte block is still a distinct block, not a failure.
  size_t size = uBytes == 0 ? 1 : uBytes;
  return (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
}

HLOCAL LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}
