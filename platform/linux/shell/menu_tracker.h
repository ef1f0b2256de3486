// Pop-up menus opened from the soft menu bar: each open menu is a top-most
// window drawn above the bar, and a nested message loop takes the keys and
// clicks while it keeps dispatching everything else (posted messages from
// other threads included). Platform-internal.
#pragma once

#include <functional>
#include <vector>

#include "platform/linux/window/window.h"

struct MenuBarPopups {
  HWND bar = nullptr;
  HWND owner = nullptr;  // receives WM_INITMENUPOPUP
  HMENU menu = nullptr;
  // Per drop-down button: its pop-up's position in `menu` and the screen
  // column the pop-up opens at.
  std::vector<int> popupPositions;
  std::vector<int> anchorColumns;
  // Screen row of the bar's top: pop-ups open upwards from it.
  int barTopRow = 0;
  // The drop-down button under a click on the bar (client pixels in lParam),
  // or -1.
  std::function<int(LPARAM)> buttonAt;
};

// Runs the menu from drop-down button `start` until an item is chosen (its
// command id) or the menu is closed (0).
UINT TrackMenuBar(const MenuBarPopups &popups, int start);

// True while a menu is open on this thread.
bool IsMenuTracking();
