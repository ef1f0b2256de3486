// The bar's keys. The program's window has no menu of its own, so Windows'
// menu keys would find nothing to open; a hook on the thread's messages sees
// the keys before they are dispatched (whichever control has the focus) and
// turns Alt, F10 and Alt+letter into the bar's pop-ups, Ctrl+Q into a close
// of the bar's window, as the pocket computer's shell does, and Enter on a
// list into the double tap the pocket computer's action button gave. Keys that
// reach a disabled window (a modal dialog over it) or come while a pop-up
// runs are left alone.
#include <cwctype>

#include "platform/windows/menu_bar_window.h"

namespace {

HHOOK g_hook = nullptr;
int g_barCount = 0;
// Alt went down and nothing else since: its release opens the first pop-up.
bool g_altAlone = false;

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsList(HWND window) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

void Open(MenuBarState &bar, size_t index) { PostMessageW(bar.hwnd, kOpenPopupMessage, index, 0); }

// True when the key was the bar's.
bool HandleKey(const MSG &msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || MenuBarPopupIsOpen()) return false;
  MenuBarState *bar = MenuBarOfWindow(msg.hwnd);
  if (bar == nullptr || bar->dropDowns.empty() || !IsWindowEnabled(bar->parent)) return false;
  bool altDown = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_MENU;
  bool altUp = msg.message == WM_SYSKEYUP && msg.wParam == VK_MENU;
  if (!altUp && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) g_altAlone = altDown;
  if (altUp && g_altAlone) {
    g_altAlone = false;
    Open(*bar, 0);
    return true;
  }
  switch (msg.message) {
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_F10 && !Pressed(VK_SHIFT)) {
        Open(*bar, 0);
        return true;
      }
      return false;
    case WM_SYSCHAR:
      for (size_t i = 0; i < bar->dropDowns.size(); ++i) {
        const std::wstring &caption = bar->dropDowns[i].caption;
        if (!caption.empty() && std::towupper(caption[0]) == std::towupper(static_cast<wint_t>(msg.wParam))) {
          Open(*bar, i);
          return true;
        }
      }
      return false;
    case WM_KEYDOWN:
      if (msg.wParam == 'Q' && Pressed(VK_CONTROL) && !Pressed(VK_MENU)) {
        PostMessageW(bar->parent, WM_CLOSE, 0, 0);
        return true;
      }
      if (msg.wParam == VK_RETURN && IsList(msg.hwnd) && GetParent(msg.hwnd) == bar->parent &&
          !Pressed(VK_CONTROL) && !Pressed(VK_SHIFT)) {
        // Outside the hook: the edit dialog runs a loop of its own.
        PostMessageW(bar->hwnd, kDoubleTapMessage, reinterpret_cast<WPARAM>(msg.hwnd), 0);
        return true;
      }
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto *msg = reinterpret_cast<MSG *>(lParam);
    if (HandleKey(*msg)) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void AddMenuBarKeys() {
  if (g_barCount++ == 0) g_hook = SetWindowsHookExW(WH_GETMESSAGE, KeyHook, nullptr, GetCurrentThreadId());
}

void RemoveMenuBarKeys() {
  if (--g_barCount == 0 && g_hook != nullptr) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
}
