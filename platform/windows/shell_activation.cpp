#include "platform/windows/pocket_shell.h"

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO *psai, DWORD) {
  if (psai == nullptr) return FALSE;
  bool active = LOWORD(wParam) != WA_INACTIVE;
  HWND focus = GetFocus();
  if (!active) {
    if (focus != nullptr && IsChild(hwnd, focus)) psai->hwndLastFocus = focus;
  } else if (focus == nullptr || focus == hwnd) {
    // The window procedure does not pass the message on, so Windows' own
    // default (the focus to the frame itself) never happens; with no focus
    // at all, keys would reach the frame as system keys.
    HWND restore = psai->hwndLastFocus;
    if (restore == nullptr || !IsWindow(restore) || !IsChild(hwnd, restore)) restore = GetWindow(hwnd, GW_CHILD);
    if (restore != nullptr) SetFocus(restore);
  }
  psai->fActive = active ? 1u : 0u;
  return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *psai) { return psai != nullptr ? TRUE : FALSE; }
