#include "platform/windows/settings_folder_files.h"

#include <shlobj.h>

// This file calls Windows' own functions by their real names.
#undef CreateFileW
#undef WriteFile
#undef CloseHandle

#include <cwchar>
#include <map>
#include <string>

namespace {

std::wstring SettingsFolderPathFor(const std::wstring &appData) { return appData + L"\\Wendrel"; }

bool IsBareName(LPCWSTR name) { return std::wcspbrk(name, L"\\/:") == nullptr; }

std::wstring FolderOf(const std::wstring &path) {
  size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? L"." : path.substr(0, separator);
}

// Every missing folder along the path, as mkdir -p would.
bool MakeFolders(const std::wstring &folder) {
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  size_t separator = folder.find_last_of(L"\\/");
  if (separator != std::wstring::npos && separator > 0 && folder[separator - 1] != L':' &&
      !MakeFolders(folder.substr(0, separator))) {
    return false;
  }
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ProcessIsGone(DWORD processId) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool exited = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return exited;
}

// A writer killed before its close leaves its temporary file behind. Each
// temporary name carries its writer's process id, so the next write of the
// same file removes those whose writer no longer runs.
void RemoveStaleTemporaries(const std::wstring &folder, const std::wstring &prefix) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\" + prefix + L"*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const wchar_t *digits = found.cFileName + prefix.size();
    wchar_t *end = nullptr;
    unsigned long processId = std::wcstoul(digits, &end, 10);
    if (end == digits || *end != L'-' || processId == 0 || processId == GetCurrentProcessId()) continue;
    if (ProcessIsGone(processId)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

struct PendingReplacement {
  std::wstring finalPath;
  std::wstring tempPath;
  bool failed = false;
};

// The files being written, by handle. Any thread may write a file, so the
// table has a lock.
SRWLOCK g_pendingLock = SRWLOCK_INIT;
std::map<HANDLE, PendingReplacement> *g_pending = nullptr;

void Remember(HANDLE file, PendingReplacement replacement) {
  AcquireSRWLockExclusive(&g_pendingLock);
  if (g_pending == nullptr) g_pending = new std::map<HANDLE, PendingReplacement>;
  (*g_pending)[file] = std::move(replacement);
  ReleaseSRWLockExclusive(&g_pendingLock);
}

bool Forget(HANDLE file, PendingReplacement &replacement) {
  AcquireSRWLockExclusive(&g_pendingLock);
  bool found = false;
  if (g_pending != nullptr) {
    auto entry = g_pending->find(file);
    if (entry != g_pending->end()) {
      replacement = std::move(entry->second);
      g_pending->erase(entry);
      found = true;
    }
  }
  ReleaseSRWLockExclusive(&g_pendingLock);
  return found;
}

void MarkFailed(HANDLE file) {
  AcquireSRWLockExclusive(&g_pendingLock);
  if (g_pending != nullptr) {
    auto entry = g_pending->find(file);
    if (entry != g_pending->end()) entry->second.failed = true;
  }
  ReleaseSRWLockExclusive(&g_pendingLock);
}

HANDLE CreateReplacement(const std::wstring &path, bool bareName, DWORD shareMode,
                         LPSECURITY_ATTRIBUTES security, DWORD flagsAndAttributes) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  std::wstring folder = FolderOf(path);
  if (bareName && !MakeFolders(folder)) return INVALID_HANDLE_VALUE;
  size_t separator = path.find_last_of(L"\\/");
  std::wstring base = separator == std::wstring::npos ? path : path.substr(separator + 1);
  std::wstring stem = separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
  std::wstring prefix = L"." + base + L".";
  RemoveStaleTemporaries(folder, prefix);
  static LONG counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring temp = stem + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, shareMode, security, CREATE_NEW, flagsAndAttributes,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return INVALID_HANDLE_VALUE;
    }
    Remember(file, {path, temp, false});
    return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::wstring SettingsFolderPath() {
  DWORD length = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (length > 1) {
    std::wstring appData(length, L'\0');
    length = GetEnvironmentVariableW(L"APPDATA", appData.data(), length);
    appData.resize(length);
    if (!appData.empty()) return SettingsFolderPathFor(appData);
  }
  wchar_t shellFolder[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, shellFolder) == S_OK) {
    return SettingsFolderPathFor(shellFolder);
  }
  return {};
}

HANDLE SettingsFolderCreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                 LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                                 DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (lpFileName == nullptr || lpFileName[0] == L'\0') {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  const bool bareName = IsBareName(lpFileName);
  std::wstring path = lpFileName;
  if (bareName) {
    std::wstring folder = SettingsFolderPath();
    if (folder.empty()) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    path = folder + L"\\" + path;
  }
  if (dwDesiredAccess == GENERIC_WRITE && dwCreationDisposition == CREATE_ALWAYS) {
    return CreateReplacement(path, bareName, dwShareMode, lpSecurityAttributes, dwFlagsAndAttributes);
  }
  return CreateFileW(path.c_str(), dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                     dwFlagsAndAttributes, hTemplateFile);
}

BOOL SettingsFolderWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                             LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  DWORD written = 0;
  BOOL result = WriteFile(hFile, lpBuffer, nNumberOfBytesToWrite, &written, lpOverlapped);
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = written;
  if (!result || (lpOverlapped == nullptr && written != nNumberOfBytesToWrite)) MarkFailed(hFile);
  return result;
}

BOOL SettingsFolderCloseHandle(HANDLE hObject) {
  PendingReplacement replacement;
  if (!Forget(hObject, replacement)) return CloseHandle(hObject);
  bool ok = !replacement.failed && FlushFileBuffers(hObject);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  ok = CloseHandle(hObject) && ok;
  if (ok && MoveFileExW(replacement.tempPath.c_str(), replacement.finalPath.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return TRUE;
  }
  if (error == ERROR_SUCCESS) error = replacement.failed ? ERROR_WRITE_FAULT : GetLastError();
  DeleteFileW(replacement.tempPath.c_str());
  SetLastError(error);
  return FALSE;
}
