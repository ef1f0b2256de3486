// Finding and loading the program's resources (menus, strings, bitmaps, icons,
// dialog templates) by type and name or number, as the platform's resource
// calls do. There is one module: every instance handle, null included, names
// the program itself.
#pragma once

#include <string>

#include "platform/win_types.h"

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

// A name is a number (MAKEINTRESOURCEW or "#123") or a text compared without
// regard to case.
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
const void *FindResourceBytes(LPCWSTR type, LPCWSTR name, DWORD *size);
// The whole text of a string resource; false when missing.
bool LoadResourceString(UINT id, std::wstring *text);
