// Rectangles, the window tree, visibility and the enabled state.
#include <algorithm>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {

namespace {

// Floor division that also rounds negative numbers down.
int FloorDiv(int value, int divisor) {
  int quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --quotient;
  return quotient;
}

int NearestBoundary(int pixels, int cellSize) { return FloorDiv(pixels + cellSize / 2, cellSize); }

const HWND kDesktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10));

RECT ScreenPixels() { return RECT{0, 0, ScreenColumns() * kCellWidthPx, ScreenRows() * kCellHeightPx}; }

bool Contains(const RECT &r, int column, int row) {
  return column >= r.left && column < r.right && row >= r.top && row < r.bottom;
}

HWND DeepestAt(const WindowPtr &w, int column, int row) {
  RECT client = PixelsToCells(ClientScreenRect(*w));
  if (!Contains(client, column, row)) return w->handle;
  for (HWND childHandle : w->children) {
    WindowPtr child = Find(childHandle);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    if (Contains(PixelsToCells(WindowScreenRect(*child)), column, row)) return DeepestAt(child, column, row);
  }
  return w->handle;
}

void SendSize(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return;
  RECT client = ClientScreenRect(*w);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

bool FocusInside(HWND hwnd) {
  HWND focus = Interaction().focus;
  return focus != nullptr && (focus == hwnd || IsChild(hwnd, focus));
}

}  // namespace

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

bool IsVisibleOnScreen(const Window &w) {
  if (!(w.style & WS_VISIBLE)) return false;
  if (!w.IsChild()) return true;
  WindowPtr parent = Find(w.parent);
  return parent && IsVisibleOnScreen(*parent);
}

bool IsEnabledInTree(const Window &w) {
  if (w.style & WS_DISABLED) return false;
  if (!w.IsChild()) return true;
  WindowPtr parent = Find(w.parent);
  return parent && IsEnabledInTree(*parent);
}

HWND RootOf(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  while (w && w->IsChild()) {
    WindowPtr parent = Find(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w ? w->handle : nullptr;
}

HWND HitTest(int column, int row) {
  std::vector<HWND> z = ZOrder();
  for (auto it = z.rbegin(); it != z.rend(); ++it) {
    WindowPtr w = Find(*it);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    if (Contains(PixelsToCells(WindowScreenRect(*w)), column, row)) return DeepestAt(w, column, row);
  }
  return nullptr;
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

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  WindowPtr w = Find(hDlg);
  if (!w) return nullptr;
  for (HWND childHandle : w->children) {
    WindowPtr child = Find(childHandle);
    if (child && child->id == nIDDlgItem) return childHandle;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w ? w->id : 0;
}

HWND GetParent(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  if (!w) return nullptr;
  return w->IsChild() ? w->parent : w->owner;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
  WindowPtr w = FindOwn(hWndChild);
  if (!w || !w->IsChild()) return nullptr;
  WindowPtr newParent = FindOwn(hWndNewParent);
  if (!newParent || hWndNewParent == hWndChild || IsChild(hWndChild, hWndNewParent)) return nullptr;
  HWND old = w->parent;
  if (WindowPtr oldParent = Find(old)) {
    auto &siblings = oldParent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hWndChild), siblings.end());
  }
  w->parent = hWndNewParent;
  newParent->children.insert(newParent->children.begin(), hWndChild);
  SyncCells(*w);
  InvalidateTree(hWndChild);
  MarkDirty();
  return old;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
  WindowPtr w = Find(hWnd);
  if (!w) return nullptr;
  if (uCmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (uCmd == GW_OWNER) return w->IsChild() ? nullptr : w->owner;
  std::vector<HWND> siblings;
  if (w->IsChild()) {
    WindowPtr parent = Find(w->parent);
    if (!parent) return nullptr;
    siblings = parent->children;
  } else {
    std::vector<HWND> z = ZOrder();
    siblings.assign(z.rbegin(), z.rend());  // topmost first
  }
  auto it = std::find(siblings.begin(), siblings.end(), hWnd);
  switch (uCmd) {
    case GW_HWNDFIRST:
      return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDLAST:
      return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDNEXT:
      return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return (it == siblings.end() || it == siblings.begin()) ? nullptr : *(it - 1);
    default:
      return nullptr;
  }
}

HWND GetAncestor(HWND hwnd, UINT gaFlags) {
  WindowPtr w = Find(hwnd);
  if (!w) return nullptr;
  switch (gaFlags) {
    case GA_PARENT:
      return w->IsChild() ? w->parent : kDesktop;
    case GA_ROOT:
      return RootOf(hwnd);
    case GA_ROOTOWNER: {
      HWND root = RootOf(hwnd);
      for (WindowPtr r = Find(root); r && r->owner != nullptr; r = Find(r->owner)) root = r->owner;
      return root;
    }
    default:
      return nullptr;
  }
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
  WindowPtr w = Find(hWnd);
  while (w && w->IsChild()) {
    if (w->parent == hWndParent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND GetDesktopWindow(void) { return kDesktop; }

HWND WindowFromPoint(POINT Point) {
  return HitTest(FloorDiv(Point.x, kCellWidthPx), FloorDiv(Point.y, kCellHeightPx));
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (nCmdShow == SW_HIDE) {
    if (!wasVisible) return FALSE;
    if (w->IsTopLevel()) {
      ReleaseActivation(hWnd);
    } else if (FocusInside(hWnd)) {
      SetFocus(w->parent);
    }
    w = FindOwn(hWnd);
    if (!w) return TRUE;
    w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    MarkDirty();
    SendMessageW(hWnd, WM_SHOWWINDOW, FALSE, 0);
    return TRUE;
  }
  if (!wasVisible) {
    w->style |= WS_VISIBLE;
    InvalidateTree(hWnd);
    MarkDirty();
    SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
    w = FindOwn(hWnd);
    if (!w) return FALSE;
  }
  if (w->IsTopLevel()) {
    BringToTop(hWnd);
    bool activate = nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE && !(w->exStyle & WS_EX_NOACTIVATE) &&
                    !(w->style & WS_DISABLED);
    if (activate) ActivateWindow(hWnd, true);
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && IsVisibleOnScreen(*w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (bEnable == !wasDisabled) return wasDisabled ? TRUE : FALSE;
  if (!bEnable) {
    if (FocusInside(hWnd)) {
      // Keys must not reach a disabled window; the focus comes back with the
      // window's next activation.
      HWND root = RootOf(hWnd);
      if (WindowPtr r = Find(root)) r->lastFocus = Interaction().focus;
      SetFocus(nullptr);
    }
    if (Interaction().capture != nullptr && (Interaction().capture == hWnd || IsChild(hWnd, Interaction().capture))) {
      ReleaseCapture();
    }
    w = FindOwn(hWnd);
    if (!w) return TRUE;
    w->style |= WS_DISABLED;
  } else {
    w->style &= ~static_cast<DWORD>(WS_DISABLED);
  }
  InvalidateTree(hWnd);
  MarkDirty();
  SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  w = FindOwn(hWnd);
  if (bEnable && w && w->IsTopLevel() && Interaction().active == nullptr && (w->style & WS_VISIBLE) &&
      !(w->exStyle & WS_EX_NOACTIVATE)) {
    ActivateWindow(hWnd, true);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
