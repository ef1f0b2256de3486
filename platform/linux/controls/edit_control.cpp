#include "platform/linux/controls/edit_control.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/screen/screen.h"
#include "platform/linux/window/paint.h"

namespace {

struct EditBox {
  std::wstring text;
  size_t caret = 0;   // also the moving end of the selection
  size_t anchor = 0;  // the fixed end; equal to caret when nothing is selected
  size_t scroll = 0;  // first character shown (ES_AUTOHSCROLL only)
  bool modified = false;
  size_t limit = 30000;
};

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

size_t SelectionStart(const EditBox &box) { return std::min(box.caret, box.anchor); }
size_t SelectionEnd(const EditBox &box) { return std::max(box.caret, box.anchor); }

// Whether the text fits the box: without horizontal scrolling the box's width
// in cells is the limit (a full box shows its caret on the last character).
bool Fits(HWND hwnd, const EditBox &box, const std::wstring &text) {
  if (text.size() > box.limit) return false;
  if (Style(hwnd) & ES_AUTOHSCROLL) return true;
  return TextColumns(text) <= ControlInnerCells(hwnd).columns;
}

void KeepCaretVisible(HWND hwnd, EditBox &box) {
  int width = std::max(1, ControlInnerCells(hwnd).columns);
  if (!(Style(hwnd) & ES_AUTOHSCROLL)) {
    box.scroll = 0;
    return;
  }
  if (box.caret < box.scroll) box.scroll = box.caret;
  while (TextColumns(std::wstring_view(box.text).substr(box.scroll, box.caret - box.scroll)) >= width) ++box.scroll;
}

void Changed(HWND hwnd, EditBox &box, bool byUser) {
  KeepCaretVisible(hwnd, box);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (byUser) {
    box.modified = true;
    NotifyParentCommand(hwnd, EN_CHANGE);
  }
}

// Replaces the selection; false (and nothing changes) when the result would
// not fit.
bool ReplaceSelection(HWND hwnd, EditBox &box, const std::wstring &insert, bool byUser) {
  std::wstring result = box.text;
  size_t start = SelectionStart(box);
  result.replace(start, SelectionEnd(box) - start, insert);
  if (!Fits(hwnd, box, result)) {
    if (byUser) NotifyParentCommand(hwnd, EN_MAXTEXT);
    return false;
  }
  box.text = std::move(result);
  box.caret = box.anchor = start + insert.size();
  Changed(hwnd, box, byUser);
  return true;
}

void MoveCaret(HWND hwnd, EditBox &box, size_t to, bool extend) {
  box.caret = std::min(to, box.text.size());
  if (!extend) box.anchor = box.caret;
  KeepCaretVisible(hwnd, box);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void OnKey(HWND hwnd, EditBox &box, WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_LEFT:
      if (!shift && box.caret != box.anchor) MoveCaret(hwnd, box, SelectionStart(box), false);
      else MoveCaret(hwnd, box, box.caret ? box.caret - 1 : 0, shift);
      break;
    case VK_RIGHT:
      if (!shift && box.caret != box.anchor) MoveCaret(hwnd, box, SelectionEnd(box), false);
      else MoveCaret(hwnd, box, box.caret + 1, shift);
      break;
    case VK_HOME:
      MoveCaret(hwnd, box, 0, shift);
      break;
    case VK_END:
      MoveCaret(hwnd, box, box.text.size(), shift);
      break;
    case VK_DELETE:
      if (Style(hwnd) & ES_READONLY) break;
      if (box.caret == box.anchor) {
        if (box.caret >= box.text.size()) break;
        box.anchor = box.caret + 1;
      }
      ReplaceSelection(hwnd, box, L"", true);
      break;
    default:
      break;
  }
}

void OnChar(HWND hwnd, EditBox &box, wchar_t ch) {
  if (Style(hwnd) & ES_READONLY) return;
  if (ch == L'\b') {
    if (box.caret == box.anchor) {
      if (box.caret == 0) return;
      box.anchor = box.caret - 1;
    }
    ReplaceSelection(hwnd, box, L"", true);
    return;
  }
  if (ch < L' ' || ch == 0x7F) return;
  ReplaceSelection(hwnd, box, std::wstring(1, ch), true);
}

void Paint(HWND hwnd, EditBox &box) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  CellSize size = GetClientCells(hwnd);
  PaintFill(dc, 0, 0, size.rows, size.columns);
  InnerCells inner = PaintControlBorder(hwnd, dc);
  std::wstring_view shown = std::wstring_view(box.text).substr(box.scroll);
  bool focused = GetFocus() == hwnd;
  int end = inner.column + inner.columns;
  int column = inner.column;
  for (size_t i = 0; i < shown.size() && column < end; ++i) {
    size_t index = box.scroll + i;
    bool selected = focused && index >= SelectionStart(box) && index < SelectionEnd(box);
    if (column + CharacterColumns(shown[i]) > end) break;
    column = PaintText(dc, inner.row, column, shown.substr(i, 1), selected ? kCellInverse : kCellNormal);
  }
  if (focused && box.caret == box.anchor) {
    // A full box shows its caret on the border cell after the text.
    int caretColumn = TextColumns(std::wstring_view(box.text).substr(box.scroll, box.caret - box.scroll));
    SetCaretCell(hwnd, inner.row, std::min(inner.column + caretColumn, std::max(0, size.columns - 1)));
  } else {
    SetCaretCell(hwnd, inner.row, -1);
  }
  EndPaint(hwnd, &ps);
}

size_t ClampIndex(const EditBox &box, LONG_PTR value) {
  if (value < 0) return box.text.size();
  return std::min(static_cast<size_t>(value), box.text.size());
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EditBox *box = ControlState<EditBox>(hwnd);
  if ((message == WM_NCCREATE || message == WM_CREATE) && !box) {
    box = new EditBox;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(box));
    auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
    if (create && create->lpszName) box->text = create->lpszName;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (!box) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      delete box;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETTEXT: {
      const WCHAR *text = reinterpret_cast<const WCHAR *>(lParam);
      box->text = text ? text : L"";
      if (box->text.size() > box->limit) box->text.resize(box->limit);
      box->caret = box->anchor = 0;
      box->scroll = 0;
      box->modified = false;
      InvalidateRect(hwnd, nullptr, TRUE);
      DefWindowProcW(hwnd, message, wParam, lParam);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto *buffer = reinterpret_cast<WCHAR *>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t count = std::min(box->text.size(), static_cast<size_t>(wParam) - 1);
      std::wmemcpy(buffer, box->text.data(), count);
      buffer[count] = L'\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(box->text.size());
    case EM_SETSEL:
      // A start of -1 removes the selection; an end of -1 means the text's end.
      if (static_cast<LONG_PTR>(wParam) == -1 || static_cast<int>(wParam) == -1) {
        box->anchor = box->caret;
      } else {
        box->anchor = ClampIndex(*box, static_cast<int>(wParam));
        box->caret = ClampIndex(*box, static_cast<int>(lParam));
      }
      KeepCaretVisible(hwnd, *box);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case EM_GETSEL: {
      DWORD start = static_cast<DWORD>(SelectionStart(*box)), end = static_cast<DWORD>(SelectionEnd(*box));
      if (wParam) *reinterpret_cast<DWORD *>(wParam) = start;
      if (lParam) *reinterpret_cast<DWORD *>(lParam) = end;
      return MAKELONG(start, end);
    }
    case EM_GETMODIFY:
      return box->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      box->modified = wParam != 0;
      return 0;
    case EM_LIMITTEXT:
      box->limit = wParam ? static_cast<size_t>(wParam) : 0x7FFFFFFE;
      return 0;
    case EM_REPLACESEL:
      ReplaceSelection(hwnd, *box, lParam ? reinterpret_cast<const WCHAR *>(lParam) : L"", false);
      if (wParam) box->modified = true;
      return 0;
    case WM_KEYDOWN:
      OnKey(hwnd, *box, wParam);
      return 0;
    case WM_CHAR:
      OnChar(hwnd, *box, static_cast<wchar_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd);
      int column = static_cast<SHORT>(LOWORD(lParam)) / kCellWidthPx - ControlInnerCells(hwnd).column;
      size_t index = box->scroll;
      while (index < box->text.size() &&
             TextColumns(std::wstring_view(box->text).substr(box->scroll, index + 1 - box->scroll)) <= column)
        ++index;
      MoveCaret(hwnd, *box, index, (wParam & MK_SHIFT) != 0);
      return 0;
    }
    case WM_SETFOCUS:
      InvalidateRect(hwnd, nullptr, TRUE);
      NotifyParentCommand(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      SetCaretCell(hwnd, 0, -1);
      InvalidateRect(hwnd, nullptr, TRUE);
      NotifyParentCommand(hwnd, EN_KILLFOCUS);
      return 0;
    case WM_PAINT:
      Paint(hwnd, *box);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterEditClass() { RegisterStateClass(WC_EDITW, EditProc); }
