// Files: open a named file for reading, or create or truncate it for writing,
// and move bytes with one call each. Only what the settings file needs; no
// seeking, sharing enforcement or attributes.
//
// A bare name (no '/') lives in the user's settings folder,
// $XDG_CONFIG_HOME/wendrel/ (default ~/.config/wendrel/), which is created when
// a file is first written there; a name with a '/' is used as it stands.
// A file opened with CREATE_ALWAYS is written to a temporary file in the same
// folder and renamed over the old one when the handle is closed, after its
// data reached the disk: a crash or a failed write leaves the old file whole.
#pragma once

#include "platform/linux/handles/handle.h"
#include "platform/linux/win_types.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define FILE_ATTRIBUTE_NORMAL 0x00000080u

// Supports GENERIC_READ with OPEN_EXISTING and GENERIC_WRITE with
// CREATE_ALWAYS; anything else, a missing file, a folder or a name that cannot
// be converted gives INVALID_HANDLE_VALUE. Security attributes and the template
// are ignored.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Reads until the count is reached or the file ends; *lpNumberOfBytesRead
// says how many bytes arrived (0 at the end of the file). No overlapped I/O.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);

// Writes the whole count or fails; a failed write marks the file so that
// CloseHandle discards it instead of replacing the old one.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);
