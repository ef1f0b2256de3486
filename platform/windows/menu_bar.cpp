// The soft menu bar on the desktop: a child window along the bottom of the
// program's window's client area, holding a real tool bar control. On the
// pocket computer the bar sat below the window, outside it; on the desktop a
// window of its own there would float over other programs' windows, stay
// behind when the program is minimised and leave the screen with a
// maximised window. As a child it is part of the window, and the shim keeps
// it and the list in place at every size (desktop_frame.h).
#include <algorithm>

#include "platform/windows/desktop_frame.h"
#include "platform/windows/menu_bar_window.h"

namespace {

constexpr UINT_PTR kFrameSubclassId = 1;
constexpr int kToolBarId = 1;
// The colour the tool bar images show where the bar shows through.
constexpr COLORREF kImageBackground = RGB(192, 192, 192);

std::vector<MenuBarState *> g_bars;

MenuBarState *StateOf(HWND bar) { return reinterpret_cast<MenuBarState *>(GetWindowLongPtrW(bar, GWLP_USERDATA)); }

// As high as the pocket computer's bar at the screen's DPI, and never lower
// than its buttons.
int BarHeight(const MenuBarState &bar) {
  int buttons = HIWORD(SendMessageW(bar.toolBar, TB_GETBUTTONSIZE, 0, 0));
  return std::max(MulDiv(kMenuBarHeightPx, ScreenDpi(), 96), buttons);
}

int BarWidth(const MenuBarState &bar) {
  SIZE size{};
  SendMessageW(bar.toolBar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
  return size.cx;
}

void LayOut(const MenuBarState &bar) { LayOutDesktopFrame(bar.parent, bar.hwnd, BarHeight(bar)); }

// The program's window, seen by the shim first: its size changes, the list
// appearing in it, the least size that keeps the bar usable, and a second
// start asking it to come forward.
LRESULT CALLBACK FrameSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto *bar = reinterpret_cast<MenuBarState *>(data);
  if (message == ComeForwardMessage()) return ComeForward(hwnd);
  if (message == WM_TIMER && ComeForwardTimer(hwnd, wParam)) return 0;
  LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      LayOut(*bar);
      break;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE) {
        LayOut(*bar);
        FitListColumns(hwnd);
      }
      break;
    case WM_GETMINMAXINFO:
      LimitDesktopFrame(hwnd, BarWidth(*bar), BarHeight(*bar), reinterpret_cast<MINMAXINFO *>(lParam));
      break;
    default:
      break;
  }
  return result;
}

// The image buttons are as wide as their images: a list-style tool bar
// otherwise gives every button the width of its widest text button.
LRESULT AddButtons(const MenuBarState &bar, UINT message, WPARAM count, LPARAM buttons) {
  if (buttons == 0) return SendMessageW(bar.toolBar, message, count, buttons);
  std::vector<TBBUTTON> sized(reinterpret_cast<const TBBUTTON *>(buttons),
                              reinterpret_cast<const TBBUTTON *>(buttons) + count);
  for (TBBUTTON &button : sized) {
    if (!(button.fsStyle & BTNS_SEP) && button.iString == -1) button.fsStyle |= BTNS_AUTOSIZE;
  }
  LRESULT result = SendMessageW(bar.toolBar, message, count, reinterpret_cast<LPARAM>(sized.data()));
  LayOut(bar);
  return result;
}

// The Enter key on a list: a double tap, as the pocket computer's action
// button gave. The notification the list would send for a double click.
void DoubleTap(const MenuBarState &bar, HWND list) {
  if (!IsWindow(list) || GetParent(list) != bar.parent || !IsWindowEnabled(bar.parent)) return;
  NMITEMACTIVATE tap{};
  tap.hdr.hwndFrom = list;
  tap.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
  tap.hdr.code = NM_DBLCLK;
  tap.iItem = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  tap.iSubItem = 0;
  SendMessageW(bar.parent, WM_NOTIFY, tap.hdr.idFrom, reinterpret_cast<LPARAM>(&tap));
}

// The images at the screen's DPI: nearest pixels, so that their edges stay
// the background colour the mask takes out.
HBITMAP ScaledBitmap(HBITMAP source, int width, int height, int scaledWidth, int scaledHeight) {
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP scaled = CreateCompatibleBitmap(screen, scaledWidth, scaledHeight);
  if (scaled != nullptr) {
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, scaled);
    SetStretchBltMode(to, COLORONCOLOR);
    StretchBlt(to, 0, 0, scaledWidth, scaledHeight, from, 0, 0, width, height, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return scaled;
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
    case kDoubleTapMessage:
      DoubleTap(*bar, reinterpret_cast<HWND>(wParam));
      return 0;
    case TB_ADDBUTTONSW:
    case TB_ADDBUTTONSA:
      return AddButtons(*bar, message, wParam, lParam);
    case WM_DESTROY:
      RemoveMenuBarKeys();
      RemoveWindowSubclass(bar->parent, FrameSubclass, kFrameSubclassId);
      g_bars.erase(std::remove(g_bars.begin(), g_bars.end(), bar), g_bars.end());
      DestroyMenu(bar->menu);
      if (bar->images != nullptr) ImageList_Destroy(bar->images);
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
  bar->hwnd = CreateWindowExW(0, WC_MENUBARW, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, pmbi->hwndParent,
                              nullptr, instance, nullptr);
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
  // The window gives the pocket bar's height up right after this call; the
  // frame's default size allows for it.
  MakeDesktopFrame(bar->parent, kMenuBarHeightPx);
  SetWindowSubclass(bar->parent, FrameSubclass, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(bar));
  AddMenuBarKeys();
  LayOut(*bar);
  ShowWindow(bar->hwnd, SW_SHOWNOACTIVATE);
  pmbi->hwndMB = bar->hwnd;
  return TRUE;
}

int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int iImageWidth,
                         int iImageHeight) {
  MenuBarState *bar = IsWindow(hwndCB) ? StateOf(hwndCB) : nullptr;
  if (bar == nullptr || iNumImages <= 0 || iImageWidth <= 0 || iImageHeight <= 0) return -1;
  HBITMAP source = static_cast<HBITMAP>(
      LoadImageW(hInst, MAKEINTRESOURCEW(idBitmap), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (source == nullptr) return -1;
  const int dpi = ScreenDpi();
  const int width = MulDiv(iImageWidth, dpi, 96);
  const int height = MulDiv(iImageHeight, dpi, 96);
  HBITMAP images = source;
  if (width != iImageWidth || height != iImageHeight) {
    images = ScaledBitmap(source, iImageWidth * iNumImages, iImageHeight, width * iNumImages, height);
    DeleteObject(source);
    if (images == nullptr) return -1;
  }
  if (bar->images == nullptr) {
    bar->images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, iNumImages, 4);
    SendMessageW(bar->toolBar, TB_SETBITMAPSIZE, 0, MAKELONG(width, height));
    SendMessageW(bar->toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(bar->images));
  }
  const int first = bar->images != nullptr ? ImageList_GetImageCount(bar->images) : -1;
  const bool added = first >= 0 && ImageList_AddMasked(bar->images, images, kImageBackground) == first;
  DeleteObject(images);
  if (!added) return -1;
  LayOut(*bar);
  return first;
}
