// Keyboard focus, activation of top-level windows and mouse capture.
#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

bool Inside(HWND container, HWND hwnd) { return hwnd != nullptr && (hwnd == container || IsChild(container, hwnd)); }

bool OwnedBy(HWND hwnd, HWND owner) {
  WindowPtr w = Find(hwnd);
  while (w && w->owner != nullptr) {
    if (w->owner == owner) return true;
    w = Find(w->owner);
  }
  return false;
}

bool Activatable(const WindowPtr &w) {
  return w && w->IsTopLevel() && !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
         !(w->exStyle & WS_EX_NOACTIVATE) && w->thread == std::this_thread::get_id();
}

}  // namespace

bool FocusInside(HWND hwnd) { return Inside(hwnd, Interaction().focus); }

void ActivateWindow(HWND hwnd, bool restoreFocus) {
  WindowPtr w = FindOwn(hwnd);
  if (!w || !w->IsTopLevel() || w->destroying) return;
  InteractionState &state = Interaction();
  HWND old = state.active;
  if (old != hwnd) {
    if (WindowPtr previous = Find(old)) {
      if (Inside(old, state.focus)) previous->lastFocus = state.focus;
    }
    state.active = hwnd;
    BringToTop(hwnd);
    if (Find(old)) SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    if (state.active == hwnd) {
      SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    }
  } else {
    BringToTop(hwnd);
  }
  if (!restoreFocus || state.active != hwnd || Inside(hwnd, state.focus)) return;
  w = FindOwn(hwnd);
  if (!w) return;
  HWND target = hwnd;
  WindowPtr remembered = FindOwn(w->lastFocus);
  if (remembered && Inside(hwnd, w->lastFocus) && IsEnabledInTree(*remembered) && !remembered->destroying) {
    target = w->lastFocus;
  }
  SetFocus(target);
}

void ReleaseActivation(HWND hwnd) {
  InteractionState &state = Interaction();
  bool activeGoes = state.active != nullptr && (state.active == hwnd || OwnedBy(state.active, hwnd));
  if (!activeGoes) {
    if (Inside(hwnd, state.focus)) SetFocus(nullptr);
    return;
  }
  WindowPtr w = Find(hwnd);
  HWND next = nullptr;
  if (w && w->owner != nullptr && Activatable(Find(w->owner))) next = w->owner;
  if (next == nullptr) {
    std::vector<HWND> z = ZOrder();
    for (auto it = z.rbegin(); it != z.rend(); ++it) {
      if (*it == hwnd || OwnedBy(*it, hwnd)) continue;
      if (Activatable(Find(*it))) {
        next = *it;
        break;
      }
    }
  }
  if (next != nullptr) {
    ActivateWindow(next, true);
    return;
  }
  HWND old = state.active;
  state.active = nullptr;
  if (Find(old)) SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  SetFocus(nullptr);
}

void ForgetFocus(HWND hwnd) {
  InteractionState &state = Interaction();
  if (state.focus == hwnd) state.focus = nullptr;
  if (state.active == hwnd) state.active = nullptr;
  if (state.capture == hwnd) state.capture = nullptr;
}

HWND MainWindow() {
  // Handles grow with creation, so the registry's order is creation order.
  for (const WindowPtr &w : AllWindows()) {
    if (w->IsTopLevel() && !(w->style & WS_POPUP) && (w->style & WS_VISIBLE) && !w->destroying && IsUiThread() &&
        w->thread == std::this_thread::get_id()) {
      return w->handle;
    }
  }
  return nullptr;
}

}  // namespace wendrel_window

using namespace wendrel_window;

HWND SetFocus(HWND hWnd) {
  InteractionState &state = Interaction();
  HWND old = state.focus;
  if (hWnd == nullptr) {
    state.focus = nullptr;
    if (old != nullptr && FindOwn(old)) SendMessageW(old, WM_KILLFOCUS, 0, 0);
    MarkDirty();
    return old;
  }
  WindowPtr w = FindOwn(hWnd);
  if (!w || w->destroying || !IsEnabledInTree(*w)) return nullptr;
  HWND root = RootOf(hWnd);
  WindowPtr r = Find(root);
  if (r && state.active != root && !(r->exStyle & WS_EX_NOACTIVATE)) {
    ActivateWindow(root, false);
    if (!FindOwn(hWnd)) return nullptr;
  }
  old = state.focus;
  if (old == hWnd) return old;
  state.focus = hWnd;
  if (old != nullptr && FindOwn(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  if (state.focus == hWnd) SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  MarkDirty();
  return old;
}

HWND GetFocus(void) { return Interaction().focus; }

HWND GetActiveWindow(void) { return Interaction().active; }

HWND SetActiveWindow(HWND hWnd) {
  HWND old = Interaction().active;
  WindowPtr w = FindOwn(hWnd);
  if (!w || !w->IsTopLevel() || w->destroying || (w->style & WS_DISABLED)) return nullptr;
  ActivateWindow(hWnd, true);
  return old;
}

HWND GetForegroundWindow(void) { return Interaction().active; }

HWND SetCapture(HWND hWnd) {
  HWND old = Interaction().capture;
  if (!FindOwn(hWnd)) return old;
  Interaction().capture = hWnd;
  if (old != nullptr && old != hWnd && FindOwn(old)) {
    SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  }
  return old;
}

BOOL ReleaseCapture(void) {
  HWND old = Interaction().capture;
  Interaction().capture = nullptr;
  if (old != nullptr && FindOwn(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture(void) { return Interaction().capture; }

SHORT GetKeyState(int nVirtKey) {
  const InteractionState &state = Interaction();
  bool down = false;
  switch (nVirtKey) {
    case VK_SHIFT:
      down = state.shiftDown;
      break;
    case VK_CONTROL:
      down = state.ctrlDown;
      break;
    case VK_MENU:
      down = state.altDown;
      break;
    default:
      break;
  }
  return down ? static_cast<SHORT>(0x8000) : 0;
}
