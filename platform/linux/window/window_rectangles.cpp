// Where windows are: their rectangles in pixels and in screen cells, moving
// and sizing them, and mapping points between their client areas.
#include <algorithm>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {

namespace {

int NearestBoundary(int pixels, int cellSize) { return FloorDiv(pixels + cellSize / 2, cellSize); }

RECT ScreenPixels() { return RECT{0, 0, ScreenColumns() * kCellWidthPx, ScreenRows() * kCellHeightPx}; }

void SendSize(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return;
  RECT client = ClientScreenRect(*w);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

}  // namespace

int FloorDiv(int value, int divisor) {
  int quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --quotient;
  return quotient;
}

bool HasFrame(const Window &w) {
  if (!w.IsTopLevel()) return false;  // a control's border is its own to draw
  return (w.style & (WS_BORDER | WS_DLGFRAME)) != 0 || (w.exStyle & WS_EX_DLGMODALFRAME) != 0;
}

RECT WindowScreenRect(const Window &w) {
  RECT r = w.rect;
  if (w.IsChild()) {
    WindowPtr parent = Find(w.parent);
    if (parent) {
      RECT origin = ClientScreenRect(*parent);
      r.left += origin.left;
      r.right += origin.left;
      r.top += origin.top;
      r.bottom += origin.top;
    }
  }
  return r;
}

RECT ClientScreenRect(const Window &w) {
  RECT r = WindowScreenRect(w);
  if (HasFrame(w)) {
    r.left += kCellWidthPx;
    r.right -= kCellWidthPx;
    r.top += kCellHeightPx;
    r.bottom -= kCellHeightPx;
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

RECT PixelsToCells(const RECT &pixels) {
  RECT cells;
  cells.left = NearestBoundary(pixels.left, kCellWidthPx);
  cells.right = NearestBoundary(pixels.right, kCellWidthPx);
  cells.top = NearestBoundary(pixels.top, kCellHeightPx);
  cells.bottom = NearestBoundary(pixels.bottom, kCellHeightPx);
  if (cells.right < cells.left) cells.right = cells.left;
  if (cells.bottom < cells.top) cells.bottom = cells.top;
  return cells;
}

RECT WorkArea() {
  RECT r = ScreenPixels();
  r.top = kCellHeightPx;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void SyncCells(Window &w) {
  RECT cells = PixelsToCells(WindowScreenRect(w));
  int columns = cells.right - cells.left;
  int rows = cells.bottom - cells.top;
  if (columns != w.cells.Columns() || rows != w.cells.Rows()) {
    w.cells.Resize(columns, rows);
    w.invalid = true;
    w.erase = true;
  }
  for (HWND child : w.children) {
    WindowPtr c = Find(child);
    if (c) SyncCells(*c);
  }
}

}  // namespace wendrel_window

using namespace wendrel_window;

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
  if (lpRect == nullptr) return FALSE;
  if (hWnd == kDesktop) {
    *lpRect = ScreenPixels();
    return TRUE;
  }
  WindowPtr w = Find(hWnd);
  if (!w) return FALSE;
  *lpRect = WindowScreenRect(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  if (lpRect == nullptr) return FALSE;
  RECT r;
  if (hWnd == kDesktop) {
    r = ScreenPixels();
  } else {
    WindowPtr w = Find(hWnd);
    if (!w) return FALSE;
    r = ClientScreenRect(*w);
  }
  *lpRect = RECT{0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  if (nWidth < 0) nWidth = 0;
  if (nHeight < 0) nHeight = 0;
  RECT old = w->rect;
  w->rect = RECT{X, Y, X + nWidth, Y + nHeight};
  w->defaultSized = false;
  SyncCells(*w);
  if (bRepaint) InvalidateTree(hWnd);
  MarkDirty();
  if (old.right - old.left != nWidth || old.bottom - old.top != nHeight) SendSize(hWnd);
  return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  if (!(uFlags & SWP_NOMOVE) || !(uFlags & SWP_NOSIZE)) {
    RECT r = w->rect;
    int x = (uFlags & SWP_NOMOVE) ? r.left : X;
    int y = (uFlags & SWP_NOMOVE) ? r.top : Y;
    int width = (uFlags & SWP_NOSIZE) ? r.right - r.left : cx;
    int height = (uFlags & SWP_NOSIZE) ? r.bottom - r.top : cy;
    MoveWindow(hWnd, x, y, width, height, !(uFlags & SWP_NOREDRAW));
  }
  if (!(uFlags & SWP_NOZORDER)) {
    w = FindOwn(hWnd);
    if (!w) return FALSE;
    if (w->IsTopLevel()) {
      if (hWndInsertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      if (hWndInsertAfter == HWND_NOTOPMOST) w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
      if (hWndInsertAfter != HWND_BOTTOM) BringToTop(hWnd);
    } else if (WindowPtr parent = Find(w->parent)) {
      auto &siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), hWnd), siblings.end());
      if (hWndInsertAfter == HWND_BOTTOM) {
        siblings.push_back(hWnd);
      } else {
        siblings.insert(siblings.begin(), hWnd);
      }
    }
    MarkDirty();
  }
  if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  WindowPtr w = Find(hWnd);
  if (!w || lpPoint == nullptr) return FALSE;
  RECT client = ClientScreenRect(*w);
  lpPoint->x += client.left;
  lpPoint->y += client.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  WindowPtr w = Find(hWnd);
  if (!w || lpPoint == nullptr) return FALSE;
  RECT client = ClientScreenRect(*w);
  lpPoint->x -= client.left;
  lpPoint->y -= client.top;
  return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{0, 0};
  POINT to{0, 0};
  if (hWndFrom != nullptr && !ClientToScreen(hWndFrom, &from)) return 0;
  if (hWndTo != nullptr && !ClientToScreen(hWndTo, &to)) return 0;
  LONG dx = from.x - to.x;
  LONG dy = from.y - to.y;
  for (UINT i = 0; lpPoints != nullptr && i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}
