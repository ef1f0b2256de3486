// The platform-internal shape of a menu behind an HMENU, read by the pop-up menu
// window and the soft menu bar. Only the user-interface thread touches menus.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/win_types.h"

struct MenuItem {
  UINT id = 0;
  std::wstring text;
  UINT state = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MFT_RADIOCHECK, MF_SEPARATOR
  HMENU subMenu = nullptr;

  bool IsSeparator() const;
  // Greyed and disabled items cannot be chosen, and neither can separators.
  bool IsChoosable() const;
};

struct Menu {
  std::vector<MenuItem> items;
  // The open pop-up window that shows this menu, or null. A change of an
  // item's state repaints it, so an open menu never shows stale states.
  HWND window = nullptr;
};

// The live menu a handle names, or null for a null, destroyed or foreign one.
Menu *LookUpMenu(HMENU menu);
