// The output file on Windows: a temporary file beside the named one, moved
// over it with replace and write-through by Commit, as the POSIX version
// renames it. Standard output is written through its handle, never through
// the C library's text mode, which would turn every 0x0A byte of a WAV file
// into 0x0D 0x0A.
#include "tools/render/output_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace {

std::wstring ToWide(const std::string &text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string SystemMessage(DWORD error) {
  char *text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<char *>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                              message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

HANDLE AsHandle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Fail(const std::string &what) {
  error = what + ": " + SystemMessage(GetLastError());
  return false;
}

bool OutputFile::Open(const std::string &name) {
  Discard();
  error.clear();
  path = name;
  if (name == "-") {
    toStdout = true;
    fd = reinterpret_cast<intptr_t>(GetStdHandle(STD_OUTPUT_HANDLE));
    return true;
  }
  std::wstring wideName = ToWide(name);
  if (wideName.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return Fail("cannot write " + name);
  }
  DWORD attributes = GetFileAttributesW(wideName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetLastError(ERROR_DIRECTORY);
    return Fail("cannot write " + name);
  }
  // Beside the target, so that the move stays within one volume.
  size_t slash = name.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + "." + base + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) +
               ".tmp";
    HANDLE file = CreateFileW(ToWide(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      fd = reinterpret_cast<intptr_t>(file);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  tempPath.clear();
  return Fail("cannot write " + name);
}

bool OutputFile::Write(const void *data, size_t size) {
  const auto *bytes = static_cast<const char *>(data);
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(fd), bytes, chunk, &written, nullptr) || written == 0) {
      return Fail("cannot write " + (toStdout ? std::string("standard output") : path));
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool OutputFile::Commit() {
  if (toStdout) {
    fd = -1;
    return true;
  }
  if (!FlushFileBuffers(AsHandle(fd))) return Fail("cannot write " + path);
  HANDLE closing = AsHandle(fd);
  fd = -1;
  if (!CloseHandle(closing) || !MoveFileExW(ToWide(tempPath).c_str(), ToWide(path).c_str(),
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot write " + path);
    Discard();
    return false;
  }
  tempPath.clear();
  return true;
}

void OutputFile::Discard() {
  if (fd >= 0 && !toStdout) CloseHandle(AsHandle(fd));
  fd = -1;
  toStdout = false;
  if (!tempPath.empty()) DeleteFileW(ToWide(tempPath).c_str());
  tempPath.clear();
}
