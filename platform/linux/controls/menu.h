// Menus: pop-up menus of items with command ids, texts, greyed, check and radio
// marks and sub-menus, loaded from menu resources and changed by command id.
// Showing a menu on screen is the menu tracker's job (platform/linux/shell/menu_tracker.h),
// which the state calls repaint while the menu is open.
#pragma once

#include "platform/linux/win_types.h"

#define MF_BYCOMMAND 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define MF_ENABLED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_UNCHECKED 0x00000000u
#define MF_CHECKED 0x00000008u
#define MF_STRING 0x00000000u
#define MF_POPUP 0x00000010u
#define MF_END 0x00000080u
#define MF_SEPARATOR 0x00000800u
#define MFT_RADIOCHECK 0x00000200u

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus.
BOOL DestroyMenu(HMENU hMenu);
BOOL IsMenu(HMENU hMenu);
HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName);
// A menu from a menu template in memory (header of two words, then the items).
HMENU LoadMenuIndirectW(const void *lpMenuTemplate);

// uIDNewItem is the sub-menu's handle when uFlags has MF_POPUP.
BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
int GetMenuItemCount(HMENU hMenu);
// The command id at a position; -1 (as UINT) for a sub-menu or no item.
UINT GetMenuItemID(HMENU hMenu, int nPos);
HMENU GetSubMenu(HMENU hMenu, int nPos);
int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags);

// By command, the item is searched in sub-menus too. Results as the platform's:
// the previous state (MF_GRAYED / MF_CHECKED bits) or -1 when there is no item.
BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
// Marks `check` with a radio mark and clears the marks of the other items from
// first to last (the items between them in the menu that holds `first`). A
// `check` outside the range leaves the whole range unmarked and returns FALSE.
BOOL CheckMenuRadioItem(HMENU hMenu, UINT first, UINT last, UINT check, UINT flags);
// MF_GRAYED, MF_CHECKED, MFT_RADIOCHECK, MF_SEPARATOR, MF_POPUP bits; -1 when
// there is no item.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
