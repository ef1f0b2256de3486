// Showing and hiding windows: a window is seen only while it and all its
// ancestors are visible.
#include "platform/linux/window/window_system.h"

namespace wendrel_window {

bool IsVisibleOnScreen(const Window &w) { return LineageHasStyle(w, WS_VISIBLE, WS_VISIBLE); }

}  // namespace wendrel_window

using namespace wendrel_window;

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (nCmdShow == SW_HIDE) {
    if (!wasVisible) return FALSE;
    if (w->IsTopLevel()) {
      ReleaseActivation(hWnd);
    } else if (FocusInside(hWnd)) {
      SetFocus(w->parent);
    }
    w = FindOwn(hWnd);
    if (!w) return TRUE;
    w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    MarkDirty();
    SendMessageW(hWnd, WM_SHOWWINDOW, FALSE, 0);
    return TRUE;
  }
  if (!wasVisible) {
    w->style |= WS_VISIBLE;
    InvalidateTree(hWnd);
    MarkDirty();
    SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
    w = FindOwn(hWnd);
    if (!w) return FALSE;
  }
  if (w->IsTopLevel()) {
    BringToTop(hWnd);
    bool activate = nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE && !(w->exStyle & WS_EX_NOACTIVATE) &&
                    !(w->style & WS_DISABLED);
    if (activate) ActivateWindow(hWnd, true);
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && IsVisibleOnScreen(*w) ? TRUE : FALSE;
}
