#include "platform/linux/shell/menu_bar.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/edit_control.h"
#include "platform/linux/controls/menu.h"
#include "platform/linux/resources/resources.h"
#include "platform/linux/resources/template_reader.h"
#include "platform/linux/shell/menu_tracker.h"
#include "platform/linux/window/input_hooks.h"
#include "platform/linux/window/paint.h"

namespace {

constexpr int kBarRows = 2;

struct BarButton {
  int image = I_IMAGENONE;
  int command = 0;
  BYTE state = TBSTATE_ENABLED;
  BYTE style = TBSTYLE_BUTTON;
  std::wstring caption;
  int popup = -1;  // position of the pop-up in the bar's menu
};

struct ButtonSpan {
  int first;  // cells of the bar's client area
  int columns;
};

struct MenuBar {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  HMENU menu = nullptr;
  std::vector<BarButton> buttons;
  // One glyph and one shortcut key per image added by CommandBar_AddBitmap.
  std::wstring glyphsUnicode, glyphsAscii, keys;
  int keyRoute = 0;
};

MenuBar *BarOf(HWND hwnd) { return ControlState<MenuBar>(hwnd); }

std::wstring ButtonLabel(const MenuBar &bar, const BarButton &button) {
  if (button.style & TBSTYLE_SEP) return L" ";
  if (button.image >= 0) {
    const std::wstring &glyphs = ScreenIsUtf8() ? bar.glyphsUnicode : bar.glyphsAscii;
    wchar_t glyph = static_cast<size_t>(button.image) < glyphs.size() ? glyphs[static_cast<size_t>(button.image)] : L'?';
    return std::wstring(L" ") + glyph + L" ";
  }
  return L" " + button.caption + L" ";
}

std::vector<ButtonSpan> Layout(const MenuBar &bar) {
  std::vector<ButtonSpan> spans;
  int column = 0;
  for (const BarButton &button : bar.buttons) {
    int width = (button.state & TBSTATE_HIDDEN) ? 0 : TextColumns(ButtonLabel(bar, button));
    spans.push_back({column, width});
    column += width;
  }
  return spans;
}

// The key hints on the bar's second row, as far as the bar's buttons call for.
std::wstring Hints(const MenuBar &bar) {
  std::wstring hints;
  bool hasPopups = false;
  for (const BarButton &button : bar.buttons) hasPopups |= button.popup >= 0;
  if (hasPopups) hints += L" Alt+letter/F10 menu ";
  for (const BarButton &button : bar.buttons) {
    if (button.image >= 0 && static_cast<size_t>(button.image) < bar.keys.size() && !(button.style & TBSTYLE_SEP) &&
        bar.keys[static_cast<size_t>(button.image)]) {
      hints += L" ";
      hints += bar.keys[static_cast<size_t>(button.image)];
    }
  }
  if (!bar.keys.empty()) hints += L" tool bar ";
  return hints;
}

void Paint(MenuBar &bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar.hwnd, &ps);
  CellSize size = GetClientCells(bar.hwnd);
  PaintFill(dc, 0, 0, 1, size.columns, L' ', kCellInverse);
  PaintFill(dc, 1, 0, size.rows - 1, size.columns);
  std::vector<ButtonSpan> spans = Layout(bar);
  bool enabled = IsWindowEnabled(bar.parent);
  for (size_t i = 0; i < bar.buttons.size(); ++i) {
    const BarButton &button = bar.buttons[i];
    if (button.state & TBSTATE_HIDDEN) continue;
    uint8_t attr = kCellInverse;
    if (!(button.state & TBSTATE_ENABLED) || !enabled) attr |= kCellDim;
    PaintText(dc, 0, spans[i].first, ButtonLabel(bar, button), attr);
  }
  PaintText(dc, 1, 0, Hints(bar), kCellDim);
  EndPaint(bar.hwnd, &ps);
}

void SendButtonCommand(MenuBar &bar, const BarButton &button) {
  if (!(button.state & TBSTATE_ENABLED)) return;
  PostMessageW(bar.parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(button.command), 0),
               reinterpret_cast<LPARAM>(bar.hwnd));
}

int ButtonAtColumn(MenuBar &bar, int column) {
  std::vector<ButtonSpan> spans = Layout(bar);
  for (size_t i = 0; i < spans.size(); ++i) {
    if (column >= spans[i].first && column < spans[i].first + spans[i].columns) return static_cast<int>(i);
  }
  return -1;
}

void OpenMenu(MenuBar &bar, int buttonIndex) {
  MenuBarPopups popups;
  popups.bar = bar.hwnd;
  popups.owner = bar.parent;
  popups.menu = bar.menu;
  RECT barRect{};
  GetWindowRect(bar.hwnd, &barRect);
  popups.barTopRow = barRect.top / kCellHeightPx;
  std::vector<ButtonSpan> spans = Layout(bar);
  int start = 0;
  std::vector<int> dropDowns;
  for (size_t i = 0; i < bar.buttons.size(); ++i) {
    if (bar.buttons[i].popup < 0 || (bar.buttons[i].state & TBSTATE_HIDDEN)) continue;
    if (static_cast<int>(i) == buttonIndex) start = static_cast<int>(dropDowns.size());
    dropDowns.push_back(static_cast<int>(i));
    popups.popupPositions.push_back(bar.buttons[i].popup);
    popups.anchorColumns.push_back(barRect.left / kCellWidthPx + spans[i].first);
  }
  if (dropDowns.empty()) return;
  HWND hwnd = bar.hwnd;
  popups.buttonAt = [hwnd, dropDowns](LPARAM lParam) {
    MenuBar *bar = BarOf(hwnd);
    if (!bar) return -1;
    int button = ButtonAtColumn(*bar, static_cast<SHORT>(LOWORD(lParam)) / kCellWidthPx);
    auto found = std::find(dropDowns.begin(), dropDowns.end(), button);
    return found == dropDowns.end() ? -1 : static_cast<int>(found - dropDowns.begin());
  };
  HWND parent = bar.parent;
  UINT chosen = TrackMenuBar(popups, start);
  // Menu commands are posted after the menu has closed, so that what they open
  // (a dialog, a message box) does not run inside the menu's loop.
  if (chosen && IsWindow(parent)) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
}

bool AcceptsInput(MenuBar &bar) {
  return !IsMenuTracking() && IsWindow(bar.parent) && IsWindowEnabled(bar.parent) &&
         GetActiveWindow() == bar.parent;
}

bool IsEditBox(HWND hwnd) {
  WCHAR name[32] = L"";
  return hwnd && GetClassNameW(hwnd, name, 32) && wcscasecmp(name, WC_EDITW) == 0;
}

// The drop-down button a menu key opens: Alt+<first letter of its caption>,
// or F10 for the first; -1 for any other key.
int PopupButtonForKey(const MenuBar &bar, UINT vk, bool alt, bool ctrl) {
  bool menuKey = (alt && !ctrl && vk >= 'A' && vk <= 'Z') || (vk == VK_F10 && !alt && !ctrl);
  if (!menuKey) return -1;
  for (size_t i = 0; i < bar.buttons.size(); ++i) {
    const BarButton &button = bar.buttons[i];
    if (button.popup < 0 || button.caption.empty()) continue;
    if (vk == VK_F10 || static_cast<unsigned>(std::towupper(static_cast<wint_t>(button.caption[0]))) == vk) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The tool bar button whose image has this key, or null.
const BarButton *ToolButtonForCharacter(const MenuBar &bar, wchar_t ch) {
  if (!ch) return nullptr;
  size_t image = bar.keys.find(ch);
  if (image == std::wstring::npos) return nullptr;
  for (const BarButton &button : bar.buttons) {
    if (button.image == static_cast<int>(image) && !(button.style & TBSTYLE_SEP)) return &button;
  }
  return nullptr;
}

// Whether the bar takes a key from the focused window; it then arrives at the
// bar's window procedure as a message.
bool TakesKey(MenuBar &bar, HWND focus, const KeyEvent &key) {
  if (!AcceptsInput(bar)) return false;
  if (PopupButtonForKey(bar, key.vk, key.alt, key.ctrl) >= 0) return true;
  return !key.alt && !key.ctrl && !IsEditBox(focus) && ToolButtonForCharacter(bar, key.ch);
}

void OnClick(MenuBar &bar, LPARAM lParam) {
  // A click needs no activation, but a modal dialog over the parent blocks it.
  if (IsMenuTracking() || !IsWindowEnabled(bar.parent)) return;
  if (static_cast<SHORT>(HIWORD(lParam)) / kCellHeightPx != 0) return;
  int index = ButtonAtColumn(bar, static_cast<SHORT>(LOWORD(lParam)) / kCellWidthPx);
  if (index < 0) return;
  const BarButton &button = bar.buttons[static_cast<size_t>(index)];
  if (button.style & TBSTYLE_SEP) return;
  if (button.popup >= 0) {
    OpenMenu(bar, index);
  } else {
    SendButtonCommand(bar, button);
  }
}

LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MenuBar *bar = BarOf(hwnd);
  if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      Paint(*bar);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnClick(*bar, lParam);
      return 0;
    // Keys its route took. Looked at again, as things may have changed since:
    // a message posted before the key may have opened a dialog.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (int button = PopupButtonForKey(*bar, static_cast<UINT>(wParam), message == WM_SYSKEYDOWN,
                                         GetKeyState(VK_CONTROL) < 0);
          button >= 0 && AcceptsInput(*bar)) {
        OpenMenu(*bar, button);
      }
      return 0;
    case WM_CHAR:
      if (const BarButton *button = ToolButtonForCharacter(*bar, static_cast<wchar_t>(wParam));
          button && AcceptsInput(*bar) && !IsEditBox(GetFocus())) {
        SendButtonCommand(*bar, *button);
      }
      return 0;
    case SHCMBM_GETMENU:
      return reinterpret_cast<LRESULT>(bar->menu);
    case SHCMBM_GETSUBMENU:
      for (const BarButton &button : bar->buttons) {
        if (button.command == static_cast<int>(lParam) && button.popup >= 0)
          return reinterpret_cast<LRESULT>(GetSubMenu(bar->menu, button.popup));
      }
      return 0;
    case TB_ADDBUTTONSW: {
      auto *added = reinterpret_cast<const TBBUTTON *>(lParam);
      if (!added) return FALSE;
      for (WPARAM i = 0; i < wParam; ++i) {
        BarButton button;
        button.image = added[i].iBitmap;
        button.command = added[i].idCommand;
        button.state = added[i].fsState;
        button.style = added[i].fsStyle;
        if (button.style & TBSTYLE_SEP) button.image = I_IMAGENONE;
        bar->buttons.push_back(button);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TB_BUTTONCOUNT:
      return static_cast<LRESULT>(bar->buttons.size());
    case TB_ENABLEBUTTON:
      for (BarButton &button : bar->buttons) {
        if (button.command == static_cast<int>(wParam)) {
          button.state = static_cast<BYTE>(LOWORD(lParam) ? (button.state | TBSTATE_ENABLED) : (button.state & ~TBSTATE_ENABLED));
          InvalidateRect(hwnd, nullptr, TRUE);
          return TRUE;
        }
      }
      return FALSE;
    case WM_DESTROY:
      RemoveKeyRoute(bar->keyRoute);
      DestroyMenu(bar->menu);
      bar->menu = nullptr;
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      delete bar;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void EnsureBarClass() { RegisterStateClass(WC_MENUBARW, MenuBarProc); }

// The buttons of a menu-bar resource: the menu id, a count, then seven words
// per button (image, command, state, style, caption string, 0, pop-up).
bool ReadMenuBarResource(HINSTANCE instance, UINT id, UINT *menuId, std::vector<BarButton> *buttons) {
  DWORD size = 0;
  const void *data = FindResourceBytes(instance, RT_RCDATA, MAKEINTRESOURCEW(id), &size);
  if (!data) return false;
  TemplateReader reader(data, size);
  *menuId = reader.Word();
  uint16_t count = reader.Word();
  for (uint16_t i = 0; i < count && reader.ok(); ++i) {
    BarButton button;
    button.image = static_cast<int16_t>(reader.Word());
    button.command = reader.Word();
    button.state = static_cast<BYTE>(reader.Word());
    button.style = static_cast<BYTE>(reader.Word());
    uint16_t caption = reader.Word();
    reader.Word();
    uint16_t popup = reader.Word();
    if (!reader.ok()) break;
    if (caption) LoadResourceString(instance, caption, &button.caption);
    if (button.style & TBSTYLE_DROPDOWN) button.popup = popup;
    buttons->push_back(std::move(button));
  }
  return reader.ok();
}

struct BitmapGlyphs {
  std::wstring unicode, ascii, keys;
};

// The stand-ins the program gives for a bitmap's images; empty texts when it
// gives none.
BitmapGlyphs ReadBitmapGlyphs(HINSTANCE instance, int idBitmap) {
  BitmapGlyphs glyphs;
  DWORD size = 0;
  const void *data = FindResourceBytes(instance, kBitmapGlyphsType, MAKEINTRESOURCEW(idBitmap), &size);
  if (!data) return glyphs;
  TemplateReader reader(data, size);
  glyphs.unicode = reader.Text();
  glyphs.ascii = reader.Text();
  glyphs.keys = reader.Text();
  if (!reader.ok()) glyphs = {};
  return glyphs;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi) {
  if (!pmbi) return FALSE;
  pmbi->hwndMB = nullptr;
  if (!IsWindow(pmbi->hwndParent)) return FALSE;
  auto *bar = new MenuBar;
  bar->parent = pmbi->hwndParent;
  if (!(pmbi->dwFlags & SHCMBF_EMPTYBAR)) {
    UINT menuId = 0;
    if (pmbi->dwFlags & SHCMBF_HMENU) {
      menuId = pmbi->nToolBarId;
      bar->menu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(menuId));
      for (int i = 0; i < GetMenuItemCount(bar->menu); ++i) {
        BarButton button;
        button.style = TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE;
        button.popup = i;
        WCHAR text[64] = L"";
        GetMenuStringW(bar->menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        button.caption = text;
        bar->buttons.push_back(button);
      }
    } else if (ReadMenuBarResource(pmbi->hInstRes, pmbi->nToolBarId, &menuId, &bar->buttons)) {
      bar->menu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(menuId));
    }
    if (!bar->menu) {
      delete bar;
      return FALSE;
    }
  }
  EnsureControlClasses();
  EnsureBarClass();
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  int height = kBarRows * kCellHeightPx;
  DWORD style = WS_POPUP | ((pmbi->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE);
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE, WC_MENUBARW, L"", style, screen.left, screen.bottom - height,
                              screen.right - screen.left, height, pmbi->hwndParent, nullptr, pmbi->hInstRes, nullptr);
  if (!hwnd) {
    DestroyMenu(bar->menu);
    delete bar;
    return FALSE;
  }
  bar->hwnd = hwnd;
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(bar));
  bar->keyRoute = AddKeyRoute([hwnd](HWND focus, const KeyEvent &key) {
    MenuBar *bar = BarOf(hwnd);
    return bar && TakesKey(*bar, focus, key) ? hwnd : nullptr;
  });
  // Images for the bitmap named at creation, as CommandBar_AddBitmap would add.
  if (pmbi->nBmpId && pmbi->cBmpImages > 0) {
    CommandBar_AddBitmap(hwnd, pmbi->hInstRes, pmbi->nBmpId, pmbi->cBmpImages, 16, 16);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  pmbi->hwndMB = hwnd;
  return TRUE;
}

int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int, int) {
  MenuBar *bar = IsWindow(hwndCB) ? BarOf(hwndCB) : nullptr;
  if (!bar || iNumImages <= 0 || idBitmap <= 0 || idBitmap > 0xFFFF) return -1;
  if (!FindResourceW(hInst, MAKEINTRESOURCEW(idBitmap), RT_BITMAP)) return -1;
  BitmapGlyphs glyphs = ReadBitmapGlyphs(hInst, idBitmap);
  auto at = [](const std::wstring &text, int i, wchar_t missing) {
    return i < static_cast<int>(text.size()) ? text[static_cast<size_t>(i)] : missing;
  };
  int first = static_cast<int>(bar->glyphsUnicode.size());
  for (int i = 0; i < iNumImages; ++i) {
    bar->glyphsUnicode.push_back(at(glyphs.unicode, i, L'?'));
    bar->glyphsAscii.push_back(at(glyphs.ascii, i, L'?'));
    // An image without a key of its own gets a blank, which no key matches.
    bar->keys.push_back(at(glyphs.keys, i, L'\0'));
  }
  InvalidateRect(hwndCB, nullptr, TRUE);
  return first;
}
