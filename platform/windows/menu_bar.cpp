// The soft menu bar on the desktop: a window owned by the program's window,
// kept along that window's bottom edge, outside it, where the pocket
// computer's bar would be. Owned rather than a child, because the window gives
// the bar's height up (it is shortened by the bar's height) and its client
// area belongs to the list; owned windows also stay above their owner and
// hide with it. The bar never takes the activation, so the focus stays in
// the program's window while its buttons are clicked.
#include <algorithm>

#include "platform/windows/menu_bar_window.h"

namespace {

constexpr UINT_PTR kFollowSubclassId = 1;
constexpr int kToolBarId = 1;

std::vector<MenuBarState *> g_bars;

MenuBarState *StateOf(HWND bar) { return reinterpret_cast<MenuBarState *>(GetWindowLongPtrW(bar, GWLP_USERDATA)); }

void PlaceBelow(const MenuBarState &bar) {
  RECT rc;
  if (!GetWindowRect(bar.parent, &rc)) return;
  SetWindowPos(bar.hwnd, nullptr, rc.left, rc.bottom, rc.right - rc.left, kMenuBarHeightPx,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK FollowParent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_WINDOWPOSCHANGED) PlaceBelow(*reinterpret_cast<MenuBarState *>(data));
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

const MenuBarDropDown *DropDownFor(const MenuBarState &bar, int command, size_t *index) {
  for (size_t i = 0; i < bar.dropDowns.size(); ++i) {
    if (bar.dropDowns[i].command == command) {
      *index = i;
      return &bar.dropDowns[i];
    }
  }
  return nullptr;
}

LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MenuBarState *bar = StateOf(hwnd);
  if (bar == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_SIZE:
      MoveWindow(bar->toolBar, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case SHCMBM_GETMENU:
      return reinterpret_cast<LRESULT>(bar->menu);
    case WM_NOTIFY: {
      const auto *header = reinterpret_cast<const NMHDR *>(lParam);
      if (header->hwndFrom != bar->toolBar || header->code != TBN_DROPDOWN) break;
      size_t index = 0;
      if (DropDownFor(*bar, reinterpret_cast<const NMTOOLBARW *>(lParam)->iItem, &index) != nullptr) {
        RunMenuBarPopup(*bar, index, false);
      }
      return TBDDRET_DEFAULT;
    }
    case WM_COMMAND: {
      // The tool bar's image buttons; the drop-down buttons' own commands
      // have no action, as on the pocket computer.
      size_t index = 0;
      if (reinterpret_cast<HWND>(lParam) == bar->toolBar && DropDownFor(*bar, LOWORD(wParam), &index) == nullptr) {
        PostMessageW(bar->parent, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    }
    case kOpenPopupMessage:
      if (wParam < bar->dropDowns.size() && IsWindowEnabled(bar->parent)) RunMenuBarPopup(*bar, wParam, true);
      return 0;
    case WM_DESTROY:
      RemoveMenuBarKeys();
      RemoveWindowSubclass(bar->parent, FollowParent, kFollowSubclassId);
      g_bars.erase(std::remove(g_bars.begin(), g_bars.end(), bar), g_bars.end());
      DestroyMenu(bar->menu);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete bar;
      return 0;
    default:
      // The tool bar's own messages (TB_ADDBUTTONS and the rest) go to the
      // tool bar control.
      if (message > WM_USER && message < WM_USER + 0x100) return SendMessageW(bar->toolBar, message, wParam, lParam);
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The menu-bar resource: the menu id, a count, then seven 16-bit words per
// button (image, command, state, style, caption string, 0, pop-up).
bool ReadMenuBarResource(HINSTANCE instance, UINT id, UINT *menuId, std::vector<TBBUTTON> *buttons,
                         std::vector<MenuBarDropDown> *dropDowns) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
  HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
  if (loaded == nullptr) return false;
  const auto *words = static_cast<const WORD *>(LockResource(loaded));
  DWORD count = SizeofResource(instance, found) / sizeof(WORD);
  if (words == nullptr || count < 2 || count < 2 + 7u * words[1]) return false;
  *menuId = words[0];
  for (WORD i = 0; i < words[1]; ++i) {
    const WORD *w = words + 2 + 7 * i;
    TBBUTTON button{};
    button.iBitmap = static_cast<SHORT>(w[0]);
    button.idCommand = w[1];
    button.fsState = static_cast<BYTE>(w[2]);
    button.fsStyle = static_cast<BYTE>(w[3]);
    button.iString = -1;
    if (button.fsStyle & BTNS_DROPDOWN) {
      MenuBarDropDown dropDown;
      dropDown.command = w[1];
      dropDown.popup = w[6];
      const WCHAR *text = nullptr;
      int length = w[4] != 0 ? LoadStringW(instance, w[4], reinterpret_cast<LPWSTR>(&text), 0) : 0;
      if (length > 0) dropDown.caption.assign(text, static_cast<size_t>(length));
      dropDowns->push_back(std::move(dropDown));
      // Text only, where the pocket computer shows a text button.
      button.fsStyle |= BTNS_SHOWTEXT;
    }
    buttons->push_back(button);
  }
  return true;
}

void RegisterBarClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = MenuBarProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = WC_MENUBARW;
  RegisterClassW(&wc);
}

}  // namespace

MenuBarState *MenuBarOfWindow(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  for (MenuBarState *bar : g_bars) {
    if (bar->parent == root || bar->hwnd == root) return bar;
  }
  return nullptr;
}

BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi) {
  if (pmbi == nullptr) return FALSE;
  pmbi->hwndMB = nullptr;
  if (!IsWindow(pmbi->hwndParent) || pmbi->dwFlags != 0) return FALSE;

  UINT menuId = 0;
  std::vector<TBBUTTON> buttons;
  auto *bar = new MenuBarState;
  bar->parent = pmbi->hwndParent;
  if (ReadMenuBarResource(pmbi->hInstRes, pmbi->nToolBarId, &menuId, &buttons, &bar->dropDowns)) {
    bar->menu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(menuId));
  }
  if (bar->menu == nullptr) {
    delete bar;
    return FALSE;
  }

  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterBarClass(instance);
  bar->hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, WC_MENUBARW, L"", WS_POPUP, 0, 0, 0, 0,
                              pmbi->hwndParent, nullptr, instance, nullptr);
  if (bar->hwnd != nullptr) {
    bar->toolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                                       CCS_NORESIZE | CCS_NOPARENTALIGN,
                                   0, 0, 0, 0, bar->hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolBarId)), instance, nullptr);
  }
  if (bar->toolBar == nullptr) {
    if (bar->hwnd != nullptr) DestroyWindow(bar->hwnd);
    DestroyMenu(bar->menu);
    delete bar;
    return FALSE;
  }
  SendMessageW(bar->toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar->toolBar, TB_SETBITMAPSIZE, 0, MAKELONG(16, 16));
  size_t dropDown = 0;
  for (TBBUTTON &button : buttons) {
    if ((button.fsStyle & BTNS_DROPDOWN) && dropDown < bar->dropDowns.size()) {
      button.iString = reinterpret_cast<INT_PTR>(bar->dropDowns[dropDown++].caption.c_str());
    }
  }
  SendMessageW(bar->toolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));

  SetWindowLongPtrW(bar->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
  g_bars.push_back(bar);
  SetWindowSubclass(bar->parent, FollowParent, kFollowSubclassId, reinterpret_cast<DWORD_PTR>(bar));
  AddMenuBarKeys();
  PlaceBelow(*bar);
  ShowWindow(bar->hwnd, SW_SHOWNOACTIVATE);
  pmbi->hwndMB = bar->hwnd;
  return TRUE;
}

int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int iImageWidth,
                         int iImageHeight) {
  MenuBarState *bar = IsWindow(hwndCB) ? StateOf(hwndCB) : nullptr;
  if (bar == nullptr || iNumImages <= 0) return -1;
  SendMessageW(bar->toolBar, TB_SETBITMAPSIZE, 0, MAKELONG(iImageWidth, iImageHeight));
  TBADDBITMAP bitmap{hInst, static_cast<UINT_PTR>(idBitmap)};
  return static_cast<int>(SendMessageW(bar->toolBar, TB_ADDBITMAP, iNumImages, reinterpret_cast<LPARAM>(&bitmap)));
}
