#include "platform/linux/controls/message_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/linux/controls/button_control.h"
#include "platform/linux/controls/dialog.h"
#include "platform/linux/controls/static_control.h"
#include "platform/linux/screen/screen.h"
#include "platform/linux/window/paint.h"

namespace {

constexpr int kButtonWidth = 10;

std::vector<std::wstring> SplitLines(const std::wstring &text, int width) {
  std::vector<std::wstring> lines;
  std::wstring line;
  auto flush = [&] {
    lines.push_back(line);
    line.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t ch = text[i];
    if (ch == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      flush();
    } else if (ch == L'\n') {
      flush();
    } else {
      line.push_back(ch == L'\t' ? L' ' : ch);
    }
  }
  flush();
  // Wrap at the last blank that fits, or hard where a word is too long.
  std::vector<std::wstring> wrapped;
  for (std::wstring &rest : lines) {
    while (TextColumns(rest) > width) {
      size_t fit = 0;
      int used = 0;
      while (fit < rest.size() && used + CharacterColumns(rest[fit]) <= width) used += CharacterColumns(rest[fit++]);
      size_t cut = rest.rfind(L' ', fit);
      if (cut == std::wstring::npos || cut == 0) cut = fit;
      wrapped.push_back(rest.substr(0, cut));
      rest.erase(0, cut < rest.size() && rest[cut] == L' ' ? cut + 1 : cut);
    }
    wrapped.push_back(rest);
  }
  return wrapped;
}

INT_PTR CALLBACK MessageBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hwnd, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  std::wstring caption = lpCaption ? lpCaption : L"Error";
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  int screenColumns = std::max(20, static_cast<int>(screen.right / kCellWidthPx));
  int screenRows = std::max(8, static_cast<int>(screen.bottom / kCellHeightPx));
  bool icon = (uType & 0xF0) != 0;
  int iconColumns = icon ? 4 : 0;
  int maxText = std::max(8, screenColumns - 6 - iconColumns);
  std::vector<std::wstring> lines = SplitLines(lpText ? lpText : L"", maxText);
  int maxLines = std::max(1, screenRows - 6);
  if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<size_t>(maxLines));

  int textWidth = 0;
  for (const std::wstring &line : lines) textWidth = std::max(textWidth, TextColumns(line));
  int width = std::max({textWidth + iconColumns + 4, TextColumns(caption) + 2, kButtonWidth + 4});
  width = std::min(width, screenColumns - 2);
  int height = static_cast<int>(lines.size()) + 4;

  DialogCellLayout layout;
  layout.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
  layout.title = caption;
  int left = (screenColumns - width) / 2, top = (screenRows - height) / 2;
  layout.clientCells = RECT{left, top, left + width, top + height};
  if (icon) {
    DialogCellItem mark;
    mark.className = WC_STATICW;
    mark.text = (uType & 0xF0) == MB_ICONEXCLAMATION ? L"(!)" : (uType & 0xF0) == MB_ICONHAND ? L"(x)" : L"(i)";
    mark.style = WS_VISIBLE | SS_LEFT;
    mark.cells = RECT{2, 1, 5, 2};
    layout.items.push_back(mark);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    DialogCellItem line;
    line.className = WC_STATICW;
    line.text = lines[i];
    line.style = WS_VISIBLE | SS_LEFT;
    int row = 1 + static_cast<int>(i);
    line.cells = RECT{2 + iconColumns, row, width - 2, row + 1};
    layout.items.push_back(line);
  }
  DialogCellItem ok;
  ok.className = WC_BUTTONW;
  ok.text = L"OK";
  ok.style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  ok.id = IDOK;
  int buttonLeft = (width - kButtonWidth) / 2;
  ok.cells = RECT{buttonLeft, height - 2, buttonLeft + kButtonWidth, height - 1};
  layout.items.push_back(ok);

  HWND owner = hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
  INT_PTR result = RunModalDialog(layout, owner, MessageBoxProc, 0);
  return result == IDOK ? IDOK : 0;
}
