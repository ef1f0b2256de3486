#include "platform/linux/controls/menu.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <set>

#include "platform/linux/controls/menu_model.h"
#include "platform/linux/resources/resources.h"
#include "platform/linux/resources/template_reader.h"
#include "platform/linux/window/window.h"

namespace {

std::set<Menu *> &LiveMenus() {
  static std::set<Menu *> menus;
  return menus;
}

HMENU NewMenu() {
  Menu *menu = new Menu;
  LiveMenus().insert(menu);
  return reinterpret_cast<HMENU>(menu);
}

// The menu holding the item and its position there, searching sub-menus when
// the item is named by command.
Menu *FindItem(HMENU handle, UINT item, UINT flags, size_t *position) {
  Menu *menu = LookUpMenu(handle);
  if (!menu) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= menu->items.size()) return nullptr;
    *position = item;
    return menu;
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItem &entry = menu->items[i];
    if (entry.subMenu) {
      if (Menu *inner = FindItem(entry.subMenu, item, flags, position)) return inner;
    } else if (entry.id == item && !entry.IsSeparator()) {
      *position = i;
      return menu;
    }
  }
  return nullptr;
}

// Reads the items of one menu level; false when the template is damaged.
bool ReadMenuItems(TemplateReader &reader, HMENU menu, int depth) {
  if (depth > 8) return false;
  for (;;) {
    uint16_t option = reader.Word();
    if (!reader.ok()) return false;
    if (option & MF_POPUP) {
      std::wstring text = reader.Text();
      HMENU sub = CreatePopupMenu();
      if (!ReadMenuItems(reader, sub, depth + 1)) {
        DestroyMenu(sub);
        return false;
      }
      AppendMenuW(menu, MF_POPUP | (option & (MF_GRAYED | MF_DISABLED | MF_CHECKED)),
                  reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      uint16_t id = reader.Word();
      std::wstring text = reader.Text();
      if (!reader.ok()) return false;
      UINT flags = option & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
      if (id == 0 && text.empty()) flags |= MF_SEPARATOR;
      AppendMenuW(menu, flags, id, text.c_str());
    }
    if (option & MF_END) return true;
  }
}

// Sets an item's state; an open pop-up showing the item is repainted when
// the state changed.
void SetItemState(Menu &menu, MenuItem &item, UINT state) {
  if (item.state == state) return;
  item.state = state;
  if (menu.window) InvalidateRect(menu.window, nullptr, TRUE);
}

HMENU MenuFromTemplate(TemplateReader &reader) {
  reader.Word();  // version
  reader.Skip(reader.Word());
  HMENU menu = CreateMenu();
  if (!ReadMenuItems(reader, menu, 0)) {
    DestroyMenu(menu);
    return nullptr;
  }
  return menu;
}

}  // namespace

bool MenuItem::IsSeparator() const { return (state & MF_SEPARATOR) != 0; }

bool MenuItem::IsChoosable() const { return !IsSeparator() && !(state & (MF_GRAYED | MF_DISABLED)); }

Menu *LookUpMenu(HMENU handle) {
  Menu *menu = reinterpret_cast<Menu *>(handle);
  return LiveMenus().count(menu) ? menu : nullptr;
}

HMENU CreateMenu() { return NewMenu(); }

HMENU CreatePopupMenu() { return NewMenu(); }

BOOL DestroyMenu(HMENU hMenu) {
  Menu *menu = LookUpMenu(hMenu);
  if (!menu) return FALSE;
  LiveMenus().erase(menu);
  for (MenuItem &item : menu->items) {
    if (item.subMenu) DestroyMenu(item.subMenu);
  }
  delete menu;
  return TRUE;
}

BOOL IsMenu(HMENU hMenu) { return LookUpMenu(hMenu) != nullptr; }

HMENU LoadMenuIndirectW(const void *lpMenuTemplate) {
  if (!lpMenuTemplate) return nullptr;
  TemplateReader reader(lpMenuTemplate);
  return MenuFromTemplate(reader);
}

HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName) {
  DWORD size = 0;
  const void *bytes = FindResourceBytes(hInstance, RT_MENU, lpMenuName, &size);
  if (!bytes) return nullptr;
  TemplateReader reader(bytes, size);
  return MenuFromTemplate(reader);
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  Menu *menu = LookUpMenu(hMenu);
  if (!menu) return FALSE;
  MenuItem item;
  item.state = uFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MFT_RADIOCHECK | MF_SEPARATOR);
  if (uFlags & MF_POPUP) {
    item.subMenu = reinterpret_cast<HMENU>(uIDNewItem);
    if (!LookUpMenu(item.subMenu)) return FALSE;
  } else {
    item.id = static_cast<UINT>(uIDNewItem);
  }
  if (!(uFlags & MF_SEPARATOR) && lpNewItem) item.text = lpNewItem;
  menu->items.push_back(std::move(item));
  return TRUE;
}

int GetMenuItemCount(HMENU hMenu) {
  Menu *menu = LookUpMenu(hMenu);
  return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  Menu *menu = LookUpMenu(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return static_cast<UINT>(-1);
  const MenuItem &item = menu->items[static_cast<size_t>(nPos)];
  return item.subMenu ? static_cast<UINT>(-1) : item.id;
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  Menu *menu = LookUpMenu(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return nullptr;
  return menu->items[static_cast<size_t>(nPos)].subMenu;
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags) {
  size_t position = 0;
  Menu *menu = FindItem(hMenu, uIDItem, flags, &position);
  if (!menu) return 0;
  const std::wstring &text = menu->items[position].text;
  if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
  size_t count = std::min(text.size(), static_cast<size_t>(cchMax - 1));
  std::wmemcpy(lpString, text.data(), count);
  lpString[count] = L'\0';
  return static_cast<int>(count);
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  size_t position = 0;
  Menu *menu = FindItem(hMenu, uIDEnableItem, uEnable, &position);
  if (!menu) return -1;
  MenuItem &item = menu->items[position];
  UINT previous = item.state & (MF_GRAYED | MF_DISABLED);
  SetItemState(*menu, item, (item.state & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED)));
  return static_cast<BOOL>(previous);
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  size_t position = 0;
  Menu *menu = FindItem(hMenu, uIDCheckItem, uCheck, &position);
  if (!menu) return static_cast<DWORD>(-1);
  MenuItem &item = menu->items[position];
  DWORD previous = item.state & MF_CHECKED;
  SetItemState(*menu, item,
               (uCheck & MF_CHECKED) ? item.state | MF_CHECKED : item.state & ~(MF_CHECKED | MFT_RADIOCHECK));
  return previous;
}

BOOL CheckMenuRadioItem(HMENU hMenu, UINT first, UINT last, UINT check, UINT flags) {
  size_t firstPos = 0, lastPos = 0;
  Menu *menu = FindItem(hMenu, first, flags, &firstPos);
  if (!menu || FindItem(hMenu, last, flags, &lastPos) != menu || lastPos < firstPos) return FALSE;
  BOOL marked = FALSE;
  for (size_t i = firstPos; i <= lastPos; ++i) {
    MenuItem &item = menu->items[i];
    if (item.subMenu || item.IsSeparator()) continue;
    bool hit = (flags & MF_BYPOSITION) ? i == check : item.id == check;
    UINT marks = MF_CHECKED | MFT_RADIOCHECK;
    SetItemState(*menu, item, hit ? item.state | marks : item.state & ~marks);
    if (hit) marked = TRUE;
  }
  return marked;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  size_t position = 0;
  Menu *menu = FindItem(hMenu, uId, uFlags, &position);
  if (!menu) return static_cast<UINT>(-1);
  const MenuItem &item = menu->items[position];
  UINT state = item.state;
  if (item.subMenu) state |= MF_POPUP;
  return state;
}
