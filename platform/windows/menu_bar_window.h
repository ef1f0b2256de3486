// The soft menu bar's window on the desktop, shared by its creation
// (menu_bar.cpp) and its keyboard (menu_bar_keys.cpp). The bar is a child
// along the bottom of the program's window, holding a real tool bar control:
// the drop-down buttons open the pop-ups of a real menu, the image buttons
// send their commands. Every call runs on the thread that created the bar.
#pragma once

#include <string>
#include <vector>

#include "platform/windows/pocket_shell.h"

// The bar's height on the pocket computer, which the program's window gives
// up for it; on the desktop the bar is this high at 96 DPI, and scaled.
constexpr int kMenuBarHeightPx = 26;

struct MenuBarDropDown {
  int command = 0;
  int popup = 0;  // position of the pop-up in the bar's menu
  std::wstring caption;
};

struct MenuBarState {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  HWND toolBar = nullptr;
  HMENU menu = nullptr;
  HIMAGELIST images = nullptr;  // the tool bar's images, at the screen's DPI
  std::vector<MenuBarDropDown> dropDowns;
};

// The bar that belongs to the top-level window of hwnd, if any.
MenuBarState *MenuBarOfWindow(HWND hwnd);

// Opens drop-down button `index` and runs its pop-up until it closes; ←/→
// move to the neighbouring pop-ups. From the keyboard, the pop-up opens with
// its first item selected, as a desktop menu does. The chosen command is
// posted to the parent once the menu has closed.
void RunMenuBarPopup(MenuBarState &bar, size_t index, bool fromKeyboard);
bool MenuBarPopupIsOpen();

// Installed with the first bar of a thread and removed with its last: the
// desktop's menu keys (Alt, F10, Alt+letter) open the bar's pop-ups, and
// Ctrl+Q closes the bar's window, as the shell does on the pocket computer.
void AddMenuBarKeys();
void RemoveMenuBarKeys();

// Posted to the bar to open a pop-up outside the key hook: wParam is the
// drop-down button's index.
constexpr UINT kOpenPopupMessage = WM_APP + 1;
// Posted to the bar for Enter on a list of its window: wParam is the list.
constexpr UINT kDoubleTapMessage = WM_APP + 3;
