// The pocket computer shell's calls, which desktop Windows lacks: the soft
// menu bar with its tool bar buttons, and the shell's handling of activation
// and setting changes. Only what the system relies on is supplied: a bar made
// from a menu-bar resource (flags 0), answering SHCMBM_GETMENU, with image
// buttons added by CommandBar_AddBitmap and TB_ADDBUTTONS.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include "platform/pocket_shell_records.h"

// The bar's window class, the pocket shell's own name for it.
#define WC_MENUBARW L"menu_worker"

// Creates the bar for hwndParent from the menu-bar resource nToolBarId of
// hInstRes and fills hwndMB. On the desktop the bar is a child along the
// bottom of hwndParent's client area, and hwndParent becomes a desktop window
// (desktop_frame.h): a sizing frame, a default size, its other children
// filling the rest of the client area at every size. FALSE, with hwndMB
// null, when the parent or the resource is missing or dwFlags asks for
// anything.
BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi);

// Adds iNumImages images of bitmap idBitmap of hInst to the bar's tool bar;
// the index of the first one, or -1 when hwndCB is no bar or the bitmap is
// missing.
int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int iImageWidth,
                         int iImageHeight);

// The desktop has no input panel. What is left of the shell's handling is the
// focus: the control that had it when the window was deactivated gets it
// back, and a window that owns no focused control gives it to its first
// child other than the bar, so that keys reach the list as they do on the
// pocket computer.
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai, DWORD dwFlags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);

// The pocket shell brought a running program forward when it was started
// again. On the desktop the running program does it itself when asked: it
// restores its window if minimised, raises and activates it, and the
// keyboard goes there. FALSE when hWnd is no window.
BOOL ShellSetForegroundWindow(HWND hWnd);
#define SetForegroundWindow ShellSetForegroundWindow
