// The probe's hook library. Windows loads it into the running program when
// the probe hooks the program's window thread; the hook then answers the
// probe's message from inside the program, where the list view, the menu and
// the dialogs are the program's own and are read with Windows' own calls.
#include <cwchar>
#include <string>

#include "tests/desktop/probe/probe_protocol.h"
#include <commctrl.h>

namespace {

std::wstring g_report;

void Line(const std::wstring &line) { g_report += line + L"\n"; }

std::wstring Rect(const RECT &rc) {
  return std::to_wstring(rc.left) + L" " + std::to_wstring(rc.top) + L" " + std::to_wstring(rc.right) + L" " +
         std::to_wstring(rc.bottom);
}

// One line of the report: a line break in the text shows as a backslash and n.
std::wstring Text(HWND hwnd) {
  wchar_t text[1024] = L"";
  GetWindowTextW(hwnd, text, 1024);
  std::wstring line;
  for (const wchar_t *c = text; *c != L'\0'; ++c) {
    if (*c == L'\n') line += L"\\n";
    else if (*c != L'\r') line += *c;
  }
  return line;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = L"";
  GetClassNameW(hwnd, name, 128);
  return name;
}

std::wstring ItemText(HWND list, int row, int column) {
  wchar_t text[260] = L"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 260;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

void ReportRows(HWND list) {
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  Line(L"selected " + std::to_wstring(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)));
  for (int row = 0; row < count; ++row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_FOCUSED));
    RECT rc{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT *>(&rc), 2);
    wchar_t code[16];
    swprintf(code, 16, L"%04lx", static_cast<unsigned long>(item.lParam));
    Line(L"row " + std::to_wstring(row) + ((state & LVIS_SELECTED) ? L" S" : L" -") +
         ((state & LVIS_FOCUSED) ? L"F " : L"- ") + code + L" " + Rect(rc) + L" " + ItemText(list, row, 0) + L"|" +
         ItemText(list, row, 1));
  }
}

void ReportMenu(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.hSubMenu != nullptr) {
      ReportMenu(info.hSubMenu);
      continue;
    }
    if (info.fType & MFT_SEPARATOR) continue;
    std::wstring mark = L"-";
    if (info.fState & MFS_CHECKED) mark = (info.fType & MFT_RADIOCHECK) ? L"radio" : L"check";
    Line(L"menu " + std::to_wstring(info.wID) + ((info.fState & MFS_GRAYED) ? L" grayed " : L" enabled ") + mark);
  }
}

void ReportBar(HWND bar) {
  RECT rc;
  GetWindowRect(bar, &rc);
  Line(L"bar " + ClassOf(bar) + L" " + Rect(rc));
  HWND toolBar = FindWindowExW(bar, nullptr, TOOLBARCLASSNAMEW, nullptr);
  int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.fsStyle & BTNS_SEP) continue;
    RECT item{};
    SendMessageW(toolBar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(toolBar, HWND_DESKTOP, reinterpret_cast<POINT *>(&item), 2);
    wchar_t text[64] = L"";
    SendMessageW(toolBar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
    Line(L"button " + std::to_wstring(button.idCommand) + L" " + Rect(item) + L" " + text);
  }
  ReportMenu(reinterpret_cast<HMENU>(SendMessageW(bar, WM_USER + 402, 0, 0)));
}

BOOL CALLBACK ReportDialog(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
  HWND edit = GetDlgItem(hwnd, 100);
  // A message box shows its text in a static control.
  HWND text = edit != nullptr ? edit : GetDlgItem(hwnd, 0xFFFF);
  Line(L"dialog " + Text(hwnd) + L"|" + (text != nullptr ? Text(text) : L""));
  return TRUE;
}

void Report(HWND main, WPARAM request) {
  if (request == kProbeMoveWindow) {
    RECT rc;
    GetWindowRect(main, &rc);
    MoveWindow(main, rc.left + 40, rc.top + 30, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  }
  g_report.clear();
  RECT rc;
  GetWindowRect(main, &rc);
  Line(L"window " + ClassOf(main) + L"|" + Text(main) + L"|" + Rect(rc));
  // The client area on the screen, what the frame lets the user do, and
  // whether the window is minimised, maximised or neither.
  RECT client;
  GetClientRect(main, &client);
  MapWindowPoints(main, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
  Line(L"client " + Rect(client));
  LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
  std::wstring frame;
  if (style & WS_THICKFRAME) frame += L" size";
  if (style & WS_MINIMIZEBOX) frame += L" minimize";
  if (style & WS_MAXIMIZEBOX) frame += L" maximize";
  if (style & WS_SYSMENU) frame += L" sysmenu";
  Line(L"frame" + frame);
  Line(std::wstring(L"state ") + (IsIconic(main) ? L"minimized" : IsZoomed(main) ? L"maximized" : L"normal") +
       (GetForegroundWindow() == main ? L" foreground" : L" background"));
  HWND list = GetDlgItem(main, 110);
  if (list != nullptr) {
    GetWindowRect(list, &rc);
    Line(L"list " + ClassOf(list) + L" " + Rect(rc));
    RECT inner;
    GetClientRect(list, &inner);
    LONG_PTR listStyle = GetWindowLongPtrW(list, GWL_STYLE);
    Line(L"columns " + std::to_wstring(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0)) + L" " +
         std::to_wstring(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0)) + L" of " + std::to_wstring(inner.right) +
         ((listStyle & WS_VSCROLL) ? L" vscroll" : L"") + ((listStyle & WS_HSCROLL) ? L" hscroll" : L""));
    ReportRows(list);
  }
  HWND bar = FindWindowExW(main, nullptr, L"menu_worker", nullptr);
  if (bar != nullptr) ReportBar(bar);
  EnumThreadWindows(GetCurrentThreadId(), ReportDialog, 0);
  HWND focus = GetFocus();
  Line(L"focus " + (focus != nullptr ? ClassOf(focus) : std::wstring(L"none")));

  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kProbeReportName);
  if (mapping == nullptr) return;
  auto *out = static_cast<wchar_t *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kProbeReportBytes));
  if (out != nullptr) {
    size_t length = std::min(g_report.size(), kProbeReportBytes / sizeof(wchar_t) - 1);
    std::wmemcpy(out, g_report.data(), length);
    out[length] = L'\0';
    UnmapViewOfFile(out);
  }
  CloseHandle(mapping);
}

}  // namespace

extern "C" LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageW(kProbeMessageName);
  const auto *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
  if (code == HC_ACTION && call->message == probeMessage) Report(call->hwnd, call->wParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
