// Files as the system relies on them, on desktop Windows: a bare name such as
// "Current.tdf" (no folder in it) lives in the per-user settings folder,
// %APPDATA%\Wendrel\, which is created when a file is first written there; a
// name with a folder is used as it stands. A file opened for writing with
// CREATE_ALWAYS is written to a temporary file in the same folder, flushed and
// moved over the old one when its handle is closed, so a crash or a failed
// write leaves the old file whole. Windows' own CreateFileW would put a bare
// name in the current folder and truncate the old file before the new bytes
// are written.
//
// The calls keep Windows' names through the macros below, so the system's
// code reads the same on both platforms; every other use of them (events,
// threads, other access modes) goes straight to Windows.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

HANDLE SettingsFolderCreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                 LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                                 DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
// A write that fails or falls short marks the file, so that closing it
// discards it instead of replacing the old one.
BOOL SettingsFolderWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                             LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
// For a file being replaced: flush, close, then move it over the old one
// (MoveFileExW with replace and write-through); FALSE, and the old file kept,
// if any step fails.
BOOL SettingsFolderCloseHandle(HANDLE hObject);

// The folder bare names resolve in, without a trailing separator; empty when
// neither %APPDATA% nor the shell names one.
std::wstring SettingsFolderPath();

#define CreateFileW SettingsFolderCreateFileW
#define WriteFile SettingsFolderWriteFile
#define CloseHandle SettingsFolderCloseHandle
