#include "platform/linux/controls/dialog.h"

#include <algorithm>
#include <cwchar>
#include <map>

#include "platform/linux/controls/button_control.h"
#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/edit_control.h"
#include "platform/linux/screen/screen.h"

namespace {

struct ModalState {
  bool ended = false;
  INT_PTR result = -1;
};

// Dialogs running a modal loop, by window. User-interface thread only.
std::map<HWND, ModalState> &RunningDialogs() {
  static std::map<HWND, ModalState> dialogs;
  return dialogs;
}

// The window system frames a top-level window for any of these.
bool IsFramed(DWORD style, DWORD exStyle) {
  return (style & (WS_BORDER | WS_DLGFRAME)) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0;
}

bool IsClass(HWND hwnd, LPCWSTR name) {
  WCHAR buffer[64] = L"";
  GetClassNameW(hwnd, buffer, 64);
  return wcscasecmp(buffer, name) == 0;
}

bool IsPushButton(HWND hwnd) {
  if (!IsClass(hwnd, WC_BUTTONW)) return false;
  LONG_PTR type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool CanTakeFocus(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

std::vector<HWND> TabStops(HWND dialog) {
  std::vector<HWND> stops;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (CanTakeFocus(child)) stops.push_back(child);
  }
  return stops;
}

// Focus given by the dialog manager selects an edit box's whole text, so that
// typing replaces it.
void FocusControl(HWND control) {
  if (!control) return;
  SetFocus(control);
  if (IsClass(control, WC_EDITW)) SendMessageW(control, EM_SETSEL, 0, -1);
}

HWND FirstTabStop(HWND dialog) {
  std::vector<HWND> stops = TabStops(dialog);
  return stops.empty() ? nullptr : stops.front();
}

WORD DefaultButtonId(HWND dialog) {
  LRESULT answer = SendMessageW(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(answer) == DC_HASDEFID) return LOWORD(answer);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsClass(child, WC_BUTTONW) && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return static_cast<WORD>(GetDlgCtrlID(child));
  }
  return IDOK;
}

void SendCommand(HWND dialog, WORD id) {
  HWND button = GetDlgItem(dialog, id);
  if (button && !IsWindowEnabled(button)) return;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void MoveTabFocus(HWND dialog, bool backwards) {
  std::vector<HWND> stops = TabStops(dialog);
  if (stops.empty()) return;
  auto at = std::find(stops.begin(), stops.end(), GetFocus());
  size_t index = at == stops.end() ? 0 : static_cast<size_t>(at - stops.begin());
  if (at != stops.end()) index = backwards ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
  FocusControl(stops[index]);
}

LRESULT CALLBACK DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
  if (proc) {
    INT_PTR handled = proc(hwnd, message, wParam, lParam);
    if (handled) return message == WM_INITDIALOG ? handled : GetWindowLongPtrW(hwnd, DWLP_MSGRESULT);
  }
  switch (message) {
    case WM_CLOSE:
      PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
      return 0;
    case WM_SETFOCUS:
      FocusControl(FirstTabStop(hwnd));
      return 0;
    case WM_NCDESTROY:
      RunningDialogs().erase(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_INITDIALOG:
    case DM_GETDEFID:
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void EnsureDialogClass() {
  WNDCLASSW info{};
  if (GetClassInfoW(nullptr, WC_DIALOG, &info)) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DialogWindowProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = WC_DIALOG;
  RegisterClassW(&wc);
}

RECT ScreenCells() {
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  return RECT{screen.left / kCellWidthPx, screen.top / kCellHeightPx, screen.right / kCellWidthPx,
              screen.bottom / kCellHeightPx};
}

RECT CellsToPixels(const RECT &cells) {
  return RECT{cells.left * kCellWidthPx, cells.top * kCellHeightPx, cells.right * kCellWidthPx,
              cells.bottom * kCellHeightPx};
}

// Creates the dialog window hidden, with its controls; null when any part
// cannot be created.
HWND CreateDialogWindow(const DialogCellLayout &layout, HWND owner, DLGPROC proc) {
  EnsureControlClasses();
  EnsureDialogClass();
  RECT client = layout.clientCells;
  int frame = IsFramed(layout.style, layout.exStyle) ? 1 : 0;
  // Keep the whole dialog on the screen.
  RECT screen = ScreenCells();
  int width = client.right - client.left + 2 * frame, height = client.bottom - client.top + 2 * frame;
  int left = std::clamp(static_cast<int>(client.left) - frame, static_cast<int>(screen.left),
                        std::max(static_cast<int>(screen.left), static_cast<int>(screen.right) - width));
  int top = std::clamp(static_cast<int>(client.top) - frame, static_cast<int>(screen.top),
                       std::max(static_cast<int>(screen.top), static_cast<int>(screen.bottom) - height));
  RECT outer = CellsToPixels(RECT{left, top, left + width, top + height});
  DWORD style = (layout.style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
  HWND dialog = CreateWindowExW(layout.exStyle, WC_DIALOG, layout.title.c_str(), style, outer.left, outer.top,
                                outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, nullptr, nullptr);
  if (!dialog) return nullptr;
  SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  for (const DialogCellItem &item : layout.items) {
    RECT at = CellsToPixels(item.cells);
    HWND control = CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                   at.left, at.top, at.right - at.left, at.bottom - at.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), nullptr,
                                   const_cast<void *>(item.creationData));
    if (!control) {
      DestroyWindow(dialog);
      return nullptr;
    }
  }
  return dialog;
}

}  // namespace

RECT DialogUnitsToCells(short x, short y, short cx, short cy) {
  auto down = [](int value, int unit) { return value >= 0 ? value / unit : -((-value + unit - 1) / unit); };
  auto up = [&](int value, int unit) { return -down(-value, unit); };
  RECT cells{down(x, 4), down(y, 6), down(x + cx, 4), up(y + cy, 6)};
  cells.right = std::max(cells.right, cells.left + 1);
  cells.bottom = std::max(cells.bottom, cells.top + 1);
  return cells;
}

INT_PTR RunModalDialog(const DialogCellLayout &layout, HWND owner, DLGPROC proc, LPARAM param) {
  HWND previousFocus = GetFocus();
  HWND dialog = CreateDialogWindow(layout, owner, proc);
  if (!dialog) return -1;
  RunningDialogs()[dialog] = ModalState{};
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);

  HWND first = FirstTabStop(dialog);
  LRESULT focusDefault = SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  auto running = [dialog] {
    auto found = RunningDialogs().find(dialog);
    return IsWindow(dialog) && found != RunningDialogs().end() && !found->second.ended;
  };
  if (running()) {
    if (layout.style & WS_VISIBLE) ShowWindow(dialog, SW_SHOW);
    // The first control takes the focus unless the dialog procedure set it.
    if (focusDefault) FocusControl(FirstTabStop(dialog));
  }
  MSG msg;
  while (running()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  INT_PTR result = -1;
  auto found = RunningDialogs().find(dialog);
  if (found != RunningDialogs().end() && found->second.ended) result = found->second.result;
  // The owner comes back before the dialog goes, so that activation returns
  // to it rather than to some other window.
  if (disabledOwner) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  RunningDialogs().erase(dialog);
  if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
  return result;
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent, DLGPROC lpDialogFunc,
                                LPARAM dwInitParam) {
  DialogDescription description;
  if (!ParseDialogTemplate(hDialogTemplate, SIZE_MAX, &description)) return -1;
  if (!description.className.empty() || !description.menu.empty()) return -1;
  // A dialog is owned by the top-level window of the window it is given.
  HWND owner = hWndParent ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
  DialogCellLayout layout;
  layout.style = description.style;
  layout.exStyle = description.exStyle;
  layout.title = description.title;
  RECT origin = ScreenCells();
  if (owner) {
    POINT corner{0, 0};
    ClientToScreen(owner, &corner);
    origin.left = corner.x / kCellWidthPx;
    origin.top = corner.y / kCellHeightPx;
  }
  RECT box = DialogUnitsToCells(description.x, description.y, description.cx, description.cy);
  if (description.style & DS_CENTER) {
    RECT screen = ScreenCells();
    int width = box.right - box.left, height = box.bottom - box.top;
    box.left = (screen.left + screen.right - width) / 2;
    box.top = (screen.top + screen.bottom - height) / 2;
    box.right = box.left + width;
    box.bottom = box.top + height;
  } else {
    box.left += origin.left;
    box.right += origin.left;
    box.top += origin.top;
    box.bottom += origin.top;
  }
  layout.clientCells = box;
  for (const DialogItemDescription &item : description.items) {
    DialogCellItem cellItem;
    cellItem.className = item.className;
    cellItem.text = item.text;
    cellItem.style = item.style;
    cellItem.exStyle = item.exStyle;
    cellItem.id = item.id;
    cellItem.cells = DialogUnitsToCells(item.x, item.y, item.cx, item.cy);
    cellItem.creationData = item.creationData.empty() ? nullptr : item.creationData.data();
    layout.items.push_back(std::move(cellItem));
  }
  return RunModalDialog(layout, owner, lpDialogFunc, dwInitParam);
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
  auto found = RunningDialogs().find(hDlg);
  if (found == RunningDialogs().end() || !IsWindow(hDlg)) return FALSE;
  found->second.ended = true;
  found->second.result = nResult;
  // Wakes the loop should EndDialog come from outside a dispatched message.
  PostMessageW(hDlg, WM_NULL, 0, 0);
  return TRUE;
}

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !hDlg || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) return FALSE;
  if (lpMsg->message == WM_KEYDOWN) {
    switch (lpMsg->wParam) {
      case VK_TAB:
        MoveTabFocus(hDlg, GetKeyState(VK_SHIFT) < 0);
        return TRUE;
      case VK_RETURN: {
        HWND focus = GetFocus();
        WORD id = focus && IsChild(hDlg, focus) && IsPushButton(focus) ? static_cast<WORD>(GetDlgCtrlID(focus))
                                                                       : DefaultButtonId(hDlg);
        SendCommand(hDlg, id);
        return TRUE;
      }
      case VK_ESCAPE:
        SendCommand(hDlg, IDCANCEL);
        return TRUE;
      default:
        break;
    }
  }
  if (lpMsg->message == WM_CHAR && (lpMsg->wParam == L'\t' || lpMsg->wParam == L'\r' || lpMsg->wParam == 27)) {
    return TRUE;
  }
  TranslateMessage(lpMsg);
  DispatchMessageW(lpMsg);
  return TRUE;
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) return FALSE;
  return SendMessageW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : L"")) ? TRUE : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
  if (!lpString || cchMax <= 0) return 0;
  lpString[0] = L'\0';
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) return 0;
  return static_cast<UINT>(SendMessageW(item, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(lpString)));
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  return item ? SendMessageW(item, Msg, wParam, lParam) : 0;
}
