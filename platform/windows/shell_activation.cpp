#include "platform/windows/pocket_shell.h"

namespace {

// The window's first child that is not the soft menu bar, which sits among
// its children on the desktop and takes no keys of its own.
HWND FirstContent(HWND hwnd) {
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = L"";
    GetClassNameW(child, name, 32);
    if (lstrcmpW(name, WC_MENUBARW) != 0) return child;
  }
  return nullptr;
}

}  // namespace

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO *psai, DWORD) {
  if (psai == nullptr) return FALSE;
  bool active = LOWORD(wParam) != WA_INACTIVE;
  HWND focus = GetFocus();
  if (!active) {
    if (focus != nullptr && IsChild(hwnd, focus)) psai->hwndLastFocus = focus;
  } else if (focus == nullptr || !IsChild(hwnd, focus)) {
    // The focus may still be in a dialog that is closing, or nowhere: the
    // window procedure does not pass the message on, so Windows' default
    // (the focus to the frame itself) happens late or not at all, and keys
    // would reach the frame, not the list.
    HWND restore = psai->hwndLastFocus;
    if (restore == nullptr || !IsWindow(restore) || !IsChild(hwnd, restore)) restore = FirstContent(hwnd);
    if (restore != nullptr) SetFocus(restore);
  }
  psai->fActive = active ? 1u : 0u;
  return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *psai) { return psai != nullptr ? TRUE : FALSE; }
