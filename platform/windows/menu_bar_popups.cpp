// The bar's pop-ups: real pop-up menus, opened upwards from their drop-down
// button. A pop-up menu on its own knows no neighbours, so ←/→ on an item
// without a sub-menu close it and open the next pop-up, as they move along a
// desktop menu bar.
#include "platform/windows/menu_bar_window.h"

namespace {

// What the menu filter saw during the one pop-up that runs at a time.
HMENU g_trackedPopup = nullptr;
int g_move = 0;

// The item of menu that is highlighted, or -1.
int HighlightedItem(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
  }
  return -1;
}

// ←/→ that stay inside the pop-up: → opens a highlighted sub-menu, ← closes
// the open one (its items highlighted).
bool MovesInside(WPARAM key) {
  int item = HighlightedItem(g_trackedPopup);
  HMENU sub = item >= 0 ? GetSubMenu(g_trackedPopup, item) : nullptr;
  if (sub == nullptr) return false;
  return key == VK_RIGHT || HighlightedItem(sub) >= 0;
}

LRESULT CALLBACK MenuFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto *msg = reinterpret_cast<MSG *>(lParam);
  if (code == MSGF_MENU && msg->message == WM_KEYDOWN && (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT) &&
      !MovesInside(msg->wParam)) {
    g_move = msg->wParam == VK_RIGHT ? 1 : -1;
    EndMenu();
    return TRUE;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool MenuBarPopupIsOpen() { return g_trackedPopup != nullptr; }

void RunMenuBarPopup(MenuBarState &bar, size_t index, bool fromKeyboard) {
  HWND parent = bar.parent;
  HWND toolBar = bar.toolBar;
  UINT chosen = 0;
  for (;;) {
    const MenuBarDropDown &dropDown = bar.dropDowns[index];
    HMENU popup = GetSubMenu(bar.menu, dropDown.popup);
    if (popup == nullptr) return;
    RECT button{};
    SendMessageW(toolBar, TB_GETRECT, dropDown.command, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(toolBar, HWND_DESKTOP, reinterpret_cast<POINT *>(&button), 2);
    SendMessageW(toolBar, TB_PRESSBUTTON, dropDown.command, TRUE);
    // A menu opened from the keyboard starts with its first item selected.
    if (fromKeyboard) PostMessageW(parent, WM_KEYDOWN, VK_DOWN, 0);

    g_trackedPopup = popup;
    g_move = 0;
    HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
    // The parent owns the menu: the active window, as a pop-up menu's owner
    // must be for a click elsewhere to close it.
    chosen = static_cast<UINT>(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON,
                                                button.left, button.top, parent, nullptr));
    UnhookWindowsHookEx(filter);
    g_trackedPopup = nullptr;
    if (!IsWindow(toolBar)) return;
    SendMessageW(toolBar, TB_PRESSBUTTON, dropDown.command, FALSE);
    if (g_move == 0) break;
    size_t count = bar.dropDowns.size();
    index = g_move > 0 ? (index + 1) % count : (index + count - 1) % count;
    fromKeyboard = true;
  }
  // Posted once the menu has closed, so that what the command opens (a
  // dialog, a message box) does not run inside the menu's loop.
  if (chosen != 0 && IsWindow(parent)) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}
