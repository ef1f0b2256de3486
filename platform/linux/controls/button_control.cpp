#include "platform/linux/controls/button_control.h"

#include <algorithm>
#include <string>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/text_fit.h"
#include "platform/linux/window/paint.h"

namespace {

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  CellSize size = GetClientCells(hwnd);
  PaintFill(dc, 0, 0, size.rows, size.columns);
  WCHAR caption[128] = L"";
  GetWindowTextW(hwnd, caption, 128);
  bool focused = GetFocus() == hwnd;
  bool isDefault = (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  uint8_t attr = focused ? kCellInverse : kCellNormal;
  if (!IsWindowEnabled(hwnd)) attr = kCellDim;
  if (isDefault) attr |= kCellBold;
  int row = std::max(0, (size.rows - 1) / 2);
  std::wstring_view text = FitText(caption, std::max(0, size.columns - 2));
  int inner = size.columns - 2;
  int left = 1 + std::max(0, (inner - TextColumns(text)) / 2);
  PaintFill(dc, row, 0, 1, size.columns, L' ', attr);
  PaintText(dc, row, 0, L"[", attr);
  PaintText(dc, row, left, text, attr);
  PaintText(dc, row, size.columns - 1, L"]", attr);
  EndPaint(hwnd, &ps);
}

void Click(HWND hwnd) {
  if (!IsWindowEnabled(hwnd)) return;
  NotifyParentCommand(hwnd, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_CHAR:
      if (wParam == L' ') Click(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The terminal reports presses reliably, releases not always: the press
      // is the click.
      SetFocus(hwnd);
      Click(hwnd);
      return 0;
    case BM_CLICK:
      Click(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterButtonClass() {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ButtonProc;
  wc.lpszClassName = WC_BUTTONW;
  RegisterClassW(&wc);
}
