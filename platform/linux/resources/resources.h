// Finding and loading resources (menus, strings, bitmaps, icons, dialog
// templates, raw data) by type and name or number, as the platform's resource
// calls do. There is one module, the program: its entry code hands the
// platform the program's compiled resource file once at start, and the module
// handle that returns, or a null one, names it; any other handle finds
// nothing. This layer knows no program's resources of its own.
#pragma once

#include <string>

#include "platform/linux/win_types.h"

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

// Makes the compiled resource file `resFile` (the standard .res layout) the
// program's resources, replacing any given before, and returns the program's
// instance handle. The bytes are read where they are and must live for the
// whole run. Null, and the program without resources, when they are not a
// whole resource file. Called by the entry code before anything looks up a
// resource, on the thread that will look them up.
HINSTANCE RegisterProgramResources(const void *resFile, size_t size);

// A name or type is a number (MAKEINTRESOURCEW or "#123") or a text compared
// without regard to case.
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);

// Copies string uID, cut to cchBufferMax - 1 characters, and returns its length;
// 0 with an empty buffer when there is no such string. A zero cchBufferMax
// (a read-only pointer into the resource) is not available here: the stored
// texts are 16-bit and a WCHAR is not, so it returns 0.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// An icon group, as a handle that lives for the whole run; null when missing.
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);

// Platform-internal.

// The bytes and size of a resource, or null and 0.
const void *FindResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, DWORD *size);
// The whole text of a string resource; false when missing.
bool LoadResourceString(HINSTANCE instance, UINT id, std::wstring *text);
