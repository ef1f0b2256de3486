// The base types, constants and macros of the platform calls the system is
// written against. Only the subset the system uses; each service header adds its
// own. Not for Linux types: nothing here names a POSIX or ncurses type.
#pragma once

#include <cstddef>
#include <cstdint>

// Wide strings are the platform's native wchar_t (32 bits on Linux); the system
// only passes them through the calls and the wide-character printf family.
typedef wchar_t WCHAR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef char CHAR;

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef DWORD *LPDWORD;
typedef BYTE *LPBYTE;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

#define TRUE 1
#define FALSE 0

#define WINAPI
#define CALLBACK
#define APIENTRY

// Handles are opaque pointers of distinct types, as in the strict Win32 headers,
// so that a window cannot be passed where a menu is expected.
#define WENDREL_DECLARE_HANDLE(name) \
  struct name##__;                   \
  typedef struct name##__ *name
typedef void *HANDLE;
typedef HANDLE *LPHANDLE;
WENDREL_DECLARE_HANDLE(HWND);
WENDREL_DECLARE_HANDLE(HINSTANCE);
WENDREL_DECLARE_HANDLE(HMENU);
WENDREL_DECLARE_HANDLE(HICON);
WENDREL_DECLARE_HANDLE(HBITMAP);
WENDREL_DECLARE_HANDLE(HBRUSH);
WENDREL_DECLARE_HANDLE(HFONT);
WENDREL_DECLARE_HANDLE(HDC);
WENDREL_DECLARE_HANDLE(HRSRC);
WENDREL_DECLARE_HANDLE(HWAVEOUT);
typedef HANDLE HGDIOBJ;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef HWAVEOUT *LPHWAVEOUT;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INFINITE 0xFFFFFFFFu

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;
typedef const RECT *LPCRECT;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u
