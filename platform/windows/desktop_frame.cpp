#include "platform/windows/desktop_frame.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A list of parameters reads well at about this size: the longest label and
// its value side by side, and a screenful of rows.
constexpr int kDefaultClientWidth = 480;
constexpr int kDefaultClientHeight = 360;
// Below this many pixels of list the frame stops shrinking.
constexpr int kMinimumListHeight = 60;

constexpr UINT_PTR kFitColumnsSubclassId = 2;
constexpr UINT kFitColumnsMessage = WM_APP + 2;
// Marks a list whose columns are fitted already.
constexpr const wchar_t *kFitColumnsProperty = L"WendrelFitColumns";

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return area;
}

// The frame's outer size for a client area of width by height.
SIZE FrameSizeFor(HWND frame, int width, int height) {
  RECT rc{0, 0, width, height};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_EXSTYLE)));
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

bool IsReportList(HWND window) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return lstrcmpiW(name, WC_LISTVIEWW) == 0 &&
         (GetWindowLongPtrW(window, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

struct ColumnFit {
  bool posted = false;
  bool fitting = false;
};

int ColumnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
}

void SetColumnWidth(HWND list, int column, int width) {
  if (ColumnWidth(list, column) != width) SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

// The labels' column as wide as the longest label, so that each value stands
// next to its label; the values' column takes the rest of the list's width,
// and no less than its longest value. So there is no horizontal scroll bar
// unless the list is narrower than a label and a value, and then it scrolls
// rather than cutting the values off. An empty list keeps the 70/30 split.
void FitColumns(HWND list) {
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  if (!SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)) ||
      SendMessageW(list, LVM_GETCOLUMNW, 2, reinterpret_cast<LPARAM>(&column))) {
    return;  // not the two columns of a label and a value
  }
  RECT client;
  GetClientRect(list, &client);
  const int width = client.right - client.left;
  if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0) {
    SetColumnWidth(list, 0, width * 70 / 100);
    SetColumnWidth(list, 1, width - width * 70 / 100);
    return;
  }
  // The list measures its own texts, with the margins it draws them with.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  const int label = ColumnWidth(list, 0);
  const int value = ColumnWidth(list, 1);
  // Each width set may show or hide a scroll bar, which changes the width
  // there is; twice settles it.
  for (int pass = 0; pass < 2; ++pass) {
    GetClientRect(list, &client);
    const int rest = static_cast<int>(client.right - client.left) - label;
    if (pass > 0 && ColumnWidth(list, 1) == std::max(rest, value)) break;
    SetColumnWidth(list, 1, std::max(rest, value));
  }
}

LRESULT CALLBACK FitColumnsProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto *fit = reinterpret_cast<ColumnFit *>(data);
  if (message == kFitColumnsMessage) {
    fit->posted = false;
    fit->fitting = true;
    FitColumns(list);
    fit->fitting = false;
    return 0;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(list, FitColumnsProc, kFitColumnsSubclassId);
    RemovePropW(list, kFitColumnsProperty);
    delete fit;
    return DefSubclassProc(list, message, wParam, lParam);
  }
  LRESULT result = DefSubclassProc(list, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
    case WM_SETFONT:
    case LVM_INSERTCOLUMNW:
    case LVM_INSERTITEMW:
    case LVM_SETITEMW:
    case LVM_SETITEMTEXTW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
      // Once, after a whole refill: the posted message comes after the rows.
      if (!fit->fitting && !fit->posted) fit->posted = PostMessageW(list, kFitColumnsMessage, 0, 0) != FALSE;
      break;
    default:
      break;
  }
  return result;
}

// Under Wine, how long a window minimised for a second start stays so
// before it is restored: time for the window manager to minimise it.
constexpr UINT_PTR kComeForwardTimer = 0x5744;
constexpr UINT kComeForwardDelayMs = 250;

bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void MakeDesktopFrame(HWND frame, int heightGivenUp) {
  LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
  SetWindowLongPtrW(frame, GWL_STYLE, style | WS_OVERLAPPEDWINDOW);
  SetWindowPos(frame, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  const int dpi = ScreenDpi();
  const RECT area = WorkAreaOf(frame);
  SIZE size = FrameSizeFor(frame, Scaled(kDefaultClientWidth, dpi), Scaled(kDefaultClientHeight, dpi));
  size.cx = std::min<LONG>(size.cx, area.right - area.left);
  size.cy = std::min<LONG>(size.cy, area.bottom - area.top);
  RECT rc;
  GetWindowRect(frame, &rc);
  // Where the system placed it, moved only as far as the work area needs.
  LONG left = std::clamp<LONG>(rc.left, area.left, area.right - size.cx);
  LONG top = std::clamp<LONG>(rc.top, area.top, area.bottom - size.cy);
  SetWindowPos(frame, nullptr, left, top, size.cx, size.cy + heightGivenUp, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayOutDesktopFrame(HWND frame, HWND bar, int barHeight) {
  if (IsIconic(frame)) return;
  RECT client;
  GetClientRect(frame, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int barTop = std::max(0, height - barHeight);
  SetWindowPos(bar, nullptr, 0, barTop, width, height - barTop, SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND child = GetWindow(frame, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child != bar) SetWindowPos(child, nullptr, 0, 0, width, barTop, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void LimitDesktopFrame(HWND frame, int barWidth, int barHeight, MINMAXINFO *limits) {
  SIZE least = FrameSizeFor(frame, barWidth, barHeight + Scaled(kMinimumListHeight, ScreenDpi()));
  limits->ptMinTrackSize.x = std::max<LONG>(limits->ptMinTrackSize.x, least.cx);
  limits->ptMinTrackSize.y = std::max<LONG>(limits->ptMinTrackSize.y, least.cy);
}

void FitListColumns(HWND frame) {
  for (HWND child = GetWindow(frame, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsReportList(child) || GetPropW(child, kFitColumnsProperty) != nullptr) continue;
    auto *fit = new ColumnFit;
    if (!SetWindowSubclass(child, FitColumnsProc, kFitColumnsSubclassId, reinterpret_cast<DWORD_PTR>(fit))) {
      delete fit;
      continue;
    }
    SetPropW(child, kFitColumnsProperty, fit);
    // The values' column takes most of a row now, and a click on a value
    // must select its row, as a click anywhere in the wide labels' column did.
    SendMessageW(child, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    fit->posted = PostMessageW(child, kFitColumnsMessage, 0, 0) != FALSE;
  }
}

UINT ComeForwardMessage() {
  static const UINT message = RegisterWindowMessageW(L"WendrelComeForward");
  return message;
}

LRESULT ComeForward(HWND frame) {
  if (IsIconic(frame)) {
    ShowWindow(frame, SW_RESTORE);
  } else if (RunsUnderWine()) {
    // Wine's X11 driver (8.0) never asks the window manager to activate a
    // window, so SetForegroundWindow leaves a covered window behind another
    // program's and the keyboard with that program. A window that comes back
    // from minimised is raised and activated by the window manager itself.
    // The restore waits for the manager to have minimised it: restored
    // before that, the manager's late minimise wins, and Wine's idea of the
    // window's state then drifts from the manager's.
    ShowWindow(frame, SW_MINIMIZE);
    SetTimer(frame, kComeForwardTimer, kComeForwardDelayMs, nullptr);
    return TRUE;
  }
  // A dialog open over the window is where the keyboard belongs.
  SetForegroundWindow(GetLastActivePopup(frame));
  return TRUE;
}

bool ComeForwardTimer(HWND frame, WPARAM timer) {
  if (timer != kComeForwardTimer) return false;
  KillTimer(frame, kComeForwardTimer);
  ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(frame));
  return true;
}

// Declared in pocket_shell.h, which this file leaves out: its macro would
// turn the calls of Windows' own SetForegroundWindow here into this one.
BOOL ShellSetForegroundWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  DWORD process = 0;
  GetWindowThreadProcessId(hWnd, &process);
  // Windows lets the program the user started take the foreground, not the
  // one that runs behind: this start passes its right on, and the running
  // program brings itself forward.
  AllowSetForegroundWindow(process);
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(hWnd, ComeForwardMessage(), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) && answer == TRUE) {
    return TRUE;
  }
  // A window without the shell's part (or a hung one): what Windows itself
  // can do from here.
  if (IsIconic(hWnd)) ShowWindow(hWnd, SW_RESTORE);
  return SetForegroundWindow(hWnd);
}
