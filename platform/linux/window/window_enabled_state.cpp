// The enabled state: a disabled window, or one inside a disabled ancestor,
// takes no keys, no focus and no mouse capture.
#include "platform/linux/window/window_system.h"

namespace wendrel_window {

bool IsEnabledInTree(const Window &w) { return LineageHasStyle(w, WS_DISABLED, 0); }

}  // namespace wendrel_window

using namespace wendrel_window;

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (bEnable == !wasDisabled) return wasDisabled ? TRUE : FALSE;
  if (!bEnable) {
    if (FocusInside(hWnd)) {
      // Keys must not reach a disabled window; the focus comes back with the
      // window's next activation.
      HWND root = RootOf(hWnd);
      if (WindowPtr r = Find(root)) r->lastFocus = Interaction().focus;
      SetFocus(nullptr);
    }
    if (Interaction().capture != nullptr && (Interaction().capture == hWnd || IsChild(hWnd, Interaction().capture))) {
      ReleaseCapture();
    }
    w = FindOwn(hWnd);
    if (!w) return TRUE;
    w->style |= WS_DISABLED;
  } else {
    w->style &= ~static_cast<DWORD>(WS_DISABLED);
  }
  InvalidateTree(hWnd);
  MarkDirty();
  SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  w = FindOwn(hWnd);
  if (bEnable && w && w->IsTopLevel() && Interaction().active == nullptr && (w->style & WS_VISIBLE) &&
      !(w->exStyle & WS_EX_NOACTIVATE)) {
    ActivateWindow(hWnd, true);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
