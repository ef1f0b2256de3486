// The shell's handling of activation and setting changes. On a pocket computer
// it keeps the input panel's state; a terminal has no input panel, so all that
// remains is remembering which control had the focus when the window was
// deactivated and giving it back on activation.
#pragma once

#include "platform/pocket_shell_records.h"
#include "platform/linux/window/window.h"


#define SHA_INPUTDIALOG 0x00000001

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai, DWORD dwFlags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);
