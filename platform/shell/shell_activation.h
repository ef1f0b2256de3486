// The shell's handling of activation and setting changes. On a pocket computer
// it keeps the input panel's state; a terminal has no input panel, so all that
// remains is remembering which control had the focus when the window was
// deactivated and giving it back on activation.
#pragma once

#include "platform/window/window.h"

typedef struct tagSHACTIVATEINFO {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

#define SHA_INPUTDIALOG 0x00000001

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai, DWORD dwFlags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);
