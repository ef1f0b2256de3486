#include "platform/linux/controls/static_control.h"

#include <algorithm>
#include <string>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/text_fit.h"
#include "platform/linux/window/paint.h"

namespace {

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      CellSize size = GetClientCells(hwnd);
      PaintFill(dc, 0, 0, size.rows, size.columns);
      int length = GetWindowTextLengthW(hwnd);
      std::wstring text(static_cast<size_t>(std::max(0, length)) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
      std::wstring_view shown = FitText(text, size.columns);
      int free = size.columns - TextColumns(shown);
      LONG_PTR align = GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK;
      int column = align == SS_CENTER ? free / 2 : align == SS_RIGHT ? free : 0;
      PaintText(dc, 0, column, shown);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStaticClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = StaticProc;
  wc.lpszClassName = WC_STATICW;
  RegisterClassW(&wc);
}
