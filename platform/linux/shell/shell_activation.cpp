#include "platform/linux/shell/shell_activation.h"

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO *psai, DWORD) {
  if (!psai) return FALSE;
  bool active = LOWORD(wParam) != WA_INACTIVE;
  if (!active) {
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) psai->hwndLastFocus = focus;
  } else if (psai->hwndLastFocus && IsWindow(psai->hwndLastFocus) && IsChild(hwnd, psai->hwndLastFocus)) {
    HWND focus = GetFocus();
    if (!focus || focus == hwnd) SetFocus(psai->hwndLastFocus);
  }
  psai->fActive = active ? 1u : 0u;
  return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *psai) { return psai ? TRUE : FALSE; }
