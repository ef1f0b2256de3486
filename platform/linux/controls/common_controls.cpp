#include "platform/linux/controls/common_controls.h"

#include <algorithm>

#include "platform/linux/controls/button_control.h"
#include "platform/linux/controls/edit_control.h"
#include "platform/linux/controls/list_view.h"
#include "platform/linux/controls/static_control.h"
#include "platform/linux/window/paint.h"

namespace {

bool IsRegistered(LPCWSTR name) {
  WNDCLASSW info{};
  return GetClassInfoW(nullptr, name, &info) != FALSE;
}

}  // namespace

void EnsureControlClasses() {
  if (!IsRegistered(WC_LISTVIEWW)) RegisterListViewClass();
  if (!IsRegistered(WC_EDITW)) RegisterEditClass();
  if (!IsRegistered(WC_BUTTONW)) RegisterButtonClass();
  if (!IsRegistered(WC_STATICW)) RegisterStaticClass();
}

void InitCommonControls(void) { EnsureControlClasses(); }

void RegisterStateClass(LPCWSTR name, WNDPROC proc) {
  if (IsRegistered(name)) return;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

void NotifyParentCommand(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
               reinterpret_cast<LPARAM>(control));
}

InnerCells ControlInnerCells(HWND hwnd) {
  CellSize size = GetClientCells(hwnd);
  InnerCells inner{0, 0, size.rows, size.columns};
  if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER)) return inner;
  if (size.rows >= 3) {
    return InnerCells{1, 1, size.rows - 2, std::max(0, size.columns - 2)};
  }
  return InnerCells{0, 1, size.rows, std::max(0, size.columns - 2)};
}

InnerCells PaintControlBorder(HWND hwnd, HDC dc) {
  InnerCells inner = ControlInnerCells(hwnd);
  if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER)) return inner;
  CellSize size = GetClientCells(hwnd);
  bool unicode = ScreenIsUtf8();
  if (size.rows >= 3) {
    wchar_t horizontal = unicode ? L'\u2500' : L'-', vertical = unicode ? L'\u2502' : L'|';
    PaintFill(dc, 0, 0, 1, size.columns, horizontal);
    PaintFill(dc, size.rows - 1, 0, 1, size.columns, horizontal);
    PaintFill(dc, 0, 0, size.rows, 1, vertical);
    PaintFill(dc, 0, size.columns - 1, size.rows, 1, vertical);
    PaintText(dc, 0, 0, unicode ? L"\u250C" : L"+");
    PaintText(dc, 0, size.columns - 1, unicode ? L"\u2510" : L"+");
    PaintText(dc, size.rows - 1, 0, unicode ? L"\u2514" : L"+");
    PaintText(dc, size.rows - 1, size.columns - 1, unicode ? L"\u2518" : L"+");
  } else {
    PaintFill(dc, 0, 0, size.rows, 1, L'[');
    PaintFill(dc, 0, size.columns - 1, size.rows, 1, L']');
  }
  return inner;
}
