#include "platform/linux/shell/menu_tracker.h"

#include <algorithm>
#include <cwctype>
#include <string>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/menu.h"
#include "platform/linux/controls/menu_model.h"
#include "platform/linux/controls/text_fit.h"
#include "platform/linux/window/paint.h"

namespace {

#define WC_POPUPMENUW L"#32768"

bool g_tracking = false;

struct PopupWindow {
  HMENU menu = nullptr;
  int highlight = -1;
  int scroll = 0;
};

PopupWindow *PopupOf(HWND hwnd) { return reinterpret_cast<PopupWindow *>(GetWindowLongPtrW(hwnd, 0)); }

const wchar_t *Glyph(const wchar_t *unicode, const wchar_t *ascii) { return ScreenIsUtf8() ? unicode : ascii; }

void PaintPopup(HWND hwnd, PopupWindow &popup) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  CellSize size = GetClientCells(hwnd);
  PaintFill(dc, 0, 0, size.rows, size.columns);
  Menu *menu = LookUpMenu(popup.menu);
  if (menu) {
    int count = static_cast<int>(menu->items.size());
    for (int row = 0; row < size.rows && popup.scroll + row < count; ++row) {
      int index = popup.scroll + row;
      const MenuItem &item = menu->items[static_cast<size_t>(index)];
      if (item.IsSeparator()) {
        PaintFill(dc, row, 0, 1, size.columns, Glyph(L"\u2500", L"-")[0], kCellDim);
        continue;
      }
      uint8_t attr = (item.state & (MF_GRAYED | MF_DISABLED)) ? kCellDim : kCellNormal;
      if (index == popup.highlight) attr |= kCellInverse;
      PaintFill(dc, row, 0, 1, size.columns, L' ', attr);
      if (item.state & MF_CHECKED) {
        PaintText(dc, row, 0, (item.state & MFT_RADIOCHECK) ? Glyph(L"\u2022", L"*") : Glyph(L"\u2713", L"x"), attr);
      }
      PaintText(dc, row, 2, FitText(item.text, size.columns - 4), attr);
      if (item.subMenu) PaintText(dc, row, size.columns - 1, Glyph(L"\u25B8", L">"), attr);
    }
    if (popup.scroll > 0) PaintText(dc, 0, size.columns - 1, Glyph(L"\u25B2", L"^"), kCellBold);
    if (popup.scroll + size.rows < count) {
      PaintText(dc, size.rows - 1, size.columns - 1, Glyph(L"\u25BC", L"v"), kCellBold);
    }
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PopupMenuProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PopupWindow *popup = PopupOf(hwnd);
  switch (message) {
    case WM_PAINT:
      if (popup) {
        PaintPopup(hwnd, *popup);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      delete popup;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void EnsurePopupClass() { RegisterStateClass(WC_POPUPMENUW, PopupMenuProc); }

int ScreenColumns() {
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  return screen.right / kCellWidthPx;
}

struct Level {
  HWND window = nullptr;
  HMENU menu = nullptr;
};

class Tracker {
 public:
  explicit Tracker(const MenuBarPopups &popups) : popups(popups) {}

  UINT Run(int start) {
    OpenBarPopup(start);
    MSG msg;
    while (!levels.empty() && IsWindow(popups.bar)) {
      BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (got == -1) break;
      if (!Handle(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    CloseAll();
    return chosen;
  }

 private:
  const MenuBarPopups &popups;
  std::vector<Level> levels;
  int barIndex = 0;
  UINT chosen = 0;

  PopupWindow &Top() { return *PopupOf(levels.back().window); }
  Menu *TopMenu() { return LookUpMenu(levels.back().menu); }

  void CloseAll() {
    while (!levels.empty()) CloseTop();
  }

  void CloseTop() {
    // The menu may have gone with the bar that owned it.
    if (Menu *menu = LookUpMenu(levels.back().menu)) menu->window = nullptr;
    if (IsWindow(levels.back().window)) DestroyWindow(levels.back().window);
    levels.pop_back();
  }

  // A window for `menu` whose bottom edge is at most `bottomRow` and whose top
  // is near `topRow` when given (sub-menus), else right above the bar.
  void OpenLevel(HMENU menuHandle, int leftColumn, int topRow, int itemIndex) {
    if (!LookUpMenu(menuHandle)) return;
    SendMessageW(popups.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menuHandle), itemIndex);
    // Looked up after the owner's handling, which may change or destroy it.
    Menu *menu = LookUpMenu(menuHandle);
    if (!menu) return;
    int width = 6;
    for (const MenuItem &item : menu->items) width = std::max(width, TextColumns(item.text) + 4);
    int outerWidth = width + 2;
    int maxRows = std::max(3, popups.barTopRow);
    int outerHeight = std::min(static_cast<int>(menu->items.size()) + 2, maxRows);
    int columns = ScreenColumns();
    if (leftColumn + outerWidth > columns) leftColumn = std::max(0, columns - outerWidth);
    int top = topRow < 0 ? popups.barTopRow - outerHeight : std::min(topRow, popups.barTopRow - outerHeight);
    top = std::max(0, top);
    EnsurePopupClass();
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, WC_POPUPMENUW, L"", WS_POPUP | WS_BORDER,
                                  leftColumn * kCellWidthPx, top * kCellHeightPx, outerWidth * kCellWidthPx,
                                  outerHeight * kCellHeightPx, popups.bar, nullptr, nullptr, nullptr);
    if (!window) return;
    auto *popup = new PopupWindow;
    popup->menu = menuHandle;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(popup));
    levels.push_back({window, menuHandle});
    menu->window = window;
    MoveHighlight(0, +1);
    ShowWindow(window, SW_SHOWNA);
  }

  void OpenBarPopup(int index) {
    CloseAll();
    int count = static_cast<int>(popups.popupPositions.size());
    if (count == 0) return;
    barIndex = (index % count + count) % count;
    HMENU sub = GetSubMenu(popups.menu, popups.popupPositions[static_cast<size_t>(barIndex)]);
    OpenLevel(sub, popups.anchorColumns[static_cast<size_t>(barIndex)], -1, barIndex);
  }

  void OpenSubMenu() {
    PopupWindow &popup = Top();
    Menu *menu = TopMenu();
    if (!menu || popup.highlight < 0) return;
    const MenuItem &item = menu->items[static_cast<size_t>(popup.highlight)];
    if (!item.subMenu || (item.state & (MF_GRAYED | MF_DISABLED))) return;
    RECT parent{};
    GetWindowRect(levels.back().window, &parent);
    int row = parent.top / kCellHeightPx + 1 + popup.highlight - popup.scroll;
    int column = parent.right / kCellWidthPx;
    Menu *subMenu = LookUpMenu(item.subMenu);
    int width = 8;
    if (subMenu) {
      for (const MenuItem &entry : subMenu->items) width = std::max(width, TextColumns(entry.text) + 6);
    }
    if (column + width > ScreenColumns()) column = std::max(0, static_cast<int>(parent.left / kCellWidthPx) - width);
    OpenLevel(item.subMenu, column, row - 1, popup.highlight);
  }

  // Moves the highlight `step` items (from `from` when step is 0), skipping
  // separators; greyed items may be highlighted but not chosen.
  void MoveHighlight(int from, int step) {
    PopupWindow &popup = Top();
    Menu *menu = TopMenu();
    int count = menu ? static_cast<int>(menu->items.size()) : 0;
    if (count == 0) return;
    int index = step == 0 || popup.highlight < 0 ? from : popup.highlight + step;
    int direction = step < 0 ? -1 : 1;
    for (int tries = 0; tries < count; ++tries) {
      index = (index % count + count) % count;
      if (!menu->items[static_cast<size_t>(index)].IsSeparator()) break;
      index += direction;
    }
    popup.highlight = (index % count + count) % count;
    CellSize size = GetClientCells(levels.back().window);
    int rows = std::max(1, size.rows);
    if (popup.highlight < popup.scroll) popup.scroll = popup.highlight;
    if (popup.highlight >= popup.scroll + rows) popup.scroll = popup.highlight - rows + 1;
    InvalidateRect(levels.back().window, nullptr, TRUE);
  }

  void Activate() {
    PopupWindow &popup = Top();
    Menu *menu = TopMenu();
    if (!menu || popup.highlight < 0) return;
    const MenuItem &item = menu->items[static_cast<size_t>(popup.highlight)];
    if (item.subMenu) {
      OpenSubMenu();
    } else if (item.IsChoosable()) {
      chosen = item.id;
      CloseAll();
    }
  }

  bool OnKey(WPARAM key, bool alt) {
    if (alt && key >= 'A' && key <= 'Z') {
      for (size_t i = 0; i < popups.popupPositions.size(); ++i) {
        WCHAR text[64] = L"";
        GetMenuStringW(popups.menu, static_cast<UINT>(popups.popupPositions[i]), text, 64, MF_BYPOSITION);
        if (std::towupper(static_cast<wint_t>(text[0])) == key) {
          OpenBarPopup(static_cast<int>(i));
          return true;
        }
      }
      return true;
    }
    switch (key) {
      case VK_ESCAPE:
        CloseTop();
        break;
      case VK_F10:
        CloseAll();
        break;
      case VK_UP:
        MoveHighlight(0, -1);
        break;
      case VK_DOWN:
        MoveHighlight(0, +1);
        break;
      case VK_HOME:
        MoveHighlight(0, 0);
        break;
      case VK_END: {
        Menu *menu = TopMenu();
        if (menu) {
          Top().highlight = -1;
          MoveHighlight(static_cast<int>(menu->items.size()) - 1, 0);
        }
        break;
      }
      case VK_RIGHT: {
        Menu *menu = TopMenu();
        int highlight = Top().highlight;
        if (menu && highlight >= 0 && menu->items[static_cast<size_t>(highlight)].subMenu) {
          OpenSubMenu();
        } else {
          OpenBarPopup(barIndex + 1);
        }
        break;
      }
      case VK_LEFT:
        if (levels.size() > 1) {
          CloseTop();
        } else {
          OpenBarPopup(barIndex - 1);
        }
        break;
      case VK_RETURN:
      case VK_SPACE:
        Activate();
        break;
      default:
        break;
    }
    return true;
  }

  bool OnClick(const MSG &msg) {
    for (size_t level = 0; level < levels.size(); ++level) {
      if (msg.hwnd != levels[level].window) continue;
      while (levels.size() > level + 1) CloseTop();
      PopupWindow &popup = Top();
      Menu *menu = TopMenu();
      int row = static_cast<SHORT>(HIWORD(msg.lParam)) / kCellHeightPx;
      int index = popup.scroll + row;
      if (menu && row >= 0 && index < static_cast<int>(menu->items.size()) &&
          !menu->items[static_cast<size_t>(index)].IsSeparator()) {
        popup.highlight = index;
        InvalidateRect(msg.hwnd, nullptr, TRUE);
        Activate();
      }
      return true;
    }
    if (msg.hwnd == popups.bar && popups.buttonAt) {
      int button = popups.buttonAt(msg.lParam);
      if (button >= 0 && button != barIndex) {
        OpenBarPopup(button);
        return true;
      }
    }
    // A click anywhere else closes the menu and goes no further.
    CloseAll();
    return true;
  }

  // True when the menu took the message.
  bool Handle(const MSG &msg) {
    switch (msg.message) {
      case WM_KEYDOWN:
        return OnKey(msg.wParam, false);
      case WM_SYSKEYDOWN:
        return OnKey(msg.wParam, true);
      case WM_KEYF1:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_KEYUP:
      case WM_SYSKEYUP:
        return true;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        return OnClick(msg);
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MOUSEWHEEL:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

UINT TrackMenuBar(const MenuBarPopups &popups, int start) {
  if (g_tracking) return 0;
  g_tracking = true;
  Tracker tracker(popups);
  UINT chosen = tracker.Run(start);
  g_tracking = false;
  return chosen;
}

bool IsMenuTracking() { return g_tracking; }
