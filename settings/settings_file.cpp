#include "settings/settings_file.h"

FileReadOutcome ReadFileBytesCounted(LPCWSTR name, void *buffer, DWORD size) {
  FileReadOutcome outcome;
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return outcome;
  outcome.opened = true;
  ReadFile(file, buffer, size, &outcome.bytesRead, nullptr);
  CloseHandle(file);
  return outcome;
}

bool ReadFileBytes(LPCWSTR name, void *buffer, DWORD size) {
  FileReadOutcome outcome = ReadFileBytesCounted(name, buffer, size);
  return outcome.opened && outcome.bytesRead == size;
}

bool WriteFileBytes(LPCWSTR name, const void *buffer, DWORD size) {
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, buffer, size, &written, nullptr);
  // The new bytes only replace the old file when the close succeeds, so a
  // failed close is a failed write.
  bool closed = CloseHandle(file) != FALSE;
  return closed && written == size;
}
