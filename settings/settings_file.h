// The settings file: a record's bytes read from or written to a named file
// through the platform's file calls, with no header, version or checksum.
// Knows nothing about the record's fields; see tone_settings.h.
#pragma once

#include "platform/platform.h"

// Reads up to size bytes over the buffer with one read; true only when exactly
// size bytes were read. A short file still replaces the leading bytes.
bool ReadFileBytes(LPCWSTR name, void *buffer, DWORD size);

// Creates or replaces the file with size bytes from the buffer in one write;
// true only when exactly size bytes were written.
bool WriteFileBytes(LPCWSTR name, const void *buffer, DWORD size);

// What a read did, for a caller that must tell a file it cannot open from a
// short one (the renderer); the program itself only needs ReadFileBytes.
struct FileReadOutcome {
  bool opened = false;
  DWORD bytesRead = 0;
};
FileReadOutcome ReadFileBytesCounted(LPCWSTR name, void *buffer, DWORD size);
