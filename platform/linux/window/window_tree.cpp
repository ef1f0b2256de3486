// The window tree: parents, children, owners and siblings, the desktop at
// its root, and which window lies under a point of the screen.
#include <algorithm>
#include <vector>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {

namespace {

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

}  // namespace

bool LineageHasStyle(const Window &w, DWORD mask, DWORD value) {
  if ((w.style & mask) != value) return false;
  if (!w.IsChild()) return true;
  WindowPtr parent = Find(w.parent);
  return parent && LineageHasStyle(*parent, mask, value);
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

}  // namespace wendrel_window

using namespace wendrel_window;

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
