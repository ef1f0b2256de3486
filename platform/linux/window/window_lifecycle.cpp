// Creating and destroying windows, their procedures and their words.
#include <algorithm>
#include <cstring>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

void SendDestroyToChildren(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> children = w->children;
  for (HWND child : children) {
    WindowPtr c = Find(child);
    if (!c || c->destroying) continue;
    c->destroying = true;
    SendMessageW(child, WM_DESTROY, 0, 0);
    SendDestroyToChildren(child);
  }
}

// Innermost first: WM_NCDESTROY, then the handle dies.
void FinishDestroy(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> children = w->children;
  for (HWND child : children) {
    WindowPtr c = Find(child);
    if (c && c->parent == hwnd) FinishDestroy(child);
  }
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  if (w->IsChild()) {
    if (WindowPtr parent = Find(w->parent)) {
      auto &siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
  }
  {
    std::lock_guard<std::recursive_mutex> guard(RegistryLock());
    UnpublishWindow(*w);
    RemoveWindow(hwnd);
  }
  ForgetFocus(hwnd);
  MarkDirty();
}

// The first visible, enabled child, a WS_TABSTOP one if there is one.
HWND FirstFocusableChild(const Window &w) {
  HWND fallback = nullptr;
  for (HWND childHandle : w.children) {
    WindowPtr child = Find(childHandle);
    if (!child || !(child->style & WS_VISIBLE) || (child->style & WS_DISABLED)) continue;
    if (child->style & WS_TABSTOP) return childHandle;
    if (fallback == nullptr) fallback = childHandle;
  }
  return fallback;
}

void StoreText(Window &w, LPCWSTR text) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  w.text = text ? text : L"";
}

}  // namespace
}  // namespace wendrel_window

using namespace wendrel_window;

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
  std::shared_ptr<WindowClass> cls = FindClass(lpClassName);
  if (!cls) return nullptr;
  auto w = std::make_shared<Window>();
  if (dwStyle & WS_CHILD) {
    WindowPtr parent = FindOwn(hWndParent);
    if (!parent || parent->destroying) return nullptr;
    w->parent = hWndParent;
    w->id = static_cast<int>(reinterpret_cast<intptr_t>(hMenu));
  } else if (hWndParent != nullptr) {
    // A top-level window's "parent" is its owner, always a top-level window.
    HWND owner = RootOf(hWndParent);
    WindowPtr o = FindOwn(owner);
    if (!o || o->destroying) return nullptr;
    w->owner = owner;
  }
  w->handle = NewHandle();
  w->windowClass = cls;
  w->proc = cls->info.lpfnWndProc;
  // Shown once WM_CREATE has been handled, as Win32 does with WS_VISIBLE.
  w->style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
  w->exStyle = dwExStyle;
  w->text = lpWindowName ? lpWindowName : L"";
  w->instance = hInstance;
  if (cls->info.cbWndExtra > 0) w->extra.assign(static_cast<size_t>(cls->info.cbWndExtra), 0);
  if (w->IsTopLevel()) {
    RECT work = WorkArea();
    int x = X, y = Y, width = nWidth, height = nHeight;
    if (X == CW_USEDEFAULT) {
      x = work.left;
      y = work.top;
    }
    if (nWidth == CW_USEDEFAULT) {
      width = work.right - x;
      height = work.bottom - y;
      w->defaultSized = true;
    }
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  } else {
    int x = X == CW_USEDEFAULT ? 0 : X;
    int y = X == CW_USEDEFAULT ? 0 : Y;
    int width = nWidth == CW_USEDEFAULT ? 0 : std::max(nWidth, 0);
    int height = nWidth == CW_USEDEFAULT ? 0 : std::max(nHeight, 0);
    w->rect = RECT{x, y, x + width, y + height};
  }
  w->queue = CurrentQueue();
  w->thread = std::this_thread::get_id();
  w->invalid = true;
  w->erase = true;
  HWND hwnd = w->handle;
  AddWindow(w);
  if (w->IsChild()) {
    Find(w->parent)->children.push_back(hwnd);
  } else {
    ZOrderAdd(hwnd);
  }
  SyncCells(*w);
  w.reset();  // from here on the procedure may destroy it

  CREATESTRUCTW cs{};
  cs.lpCreateParams = lpParam;
  cs.hInstance = hInstance;
  cs.hMenu = hMenu;
  cs.hwndParent = hWndParent;
  cs.cy = nHeight;
  cs.cx = nWidth;
  cs.y = Y;
  cs.x = X;
  cs.style = static_cast<LONG>(dwStyle);
  cs.lpszName = lpWindowName;
  cs.lpszClass = lpClassName;
  cs.dwExStyle = dwExStyle;
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (IsWindow(hwnd) && SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  WindowPtr created = FindOwn(hwnd);
  if (!created || created->destroying) return nullptr;
  RECT client = ClientScreenRect(*created);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  created = FindOwn(hwnd);
  if (!created) return nullptr;
  if (created->IsTopLevel() && !(created->style & WS_POPUP)) PublishWindow(*created);
  if (dwStyle & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
  WindowPtr w = FindOwn(hWnd);
  if (!w || w->destroying) return FALSE;
  w->destroying = true;
  if (w->IsTopLevel()) {
    ReleaseActivation(hWnd);
  } else if (FocusInside(hWnd)) {
    WindowPtr parent = Find(w->parent);
    SetFocus(parent && !parent->destroying ? w->parent : nullptr);
  }
  HWND capture = Interaction().capture;
  if (capture != nullptr && (capture == hWnd || IsChild(hWnd, capture))) ReleaseCapture();
  w->style &= ~static_cast<DWORD>(WS_VISIBLE);
  MarkDirty();
  w.reset();

  SendMessageW(hWnd, WM_DESTROY, 0, 0);
  for (const WindowPtr &other : AllWindows()) {
    if (other->owner == hWnd && !other->destroying && other->thread == std::this_thread::get_id()) {
      DestroyWindow(other->handle);
    }
  }
  SendDestroyToChildren(hWnd);
  FinishDestroy(hWnd);
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  if (Find(hWnd)) return TRUE;
  return IsRemoteHandle(hWnd) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  // Only the window's own thread calls its procedure; the system never sends
  // across threads (the feeder thread posts).
  WindowPtr w = FindOwn(hWnd);
  if (!w || w->proc == nullptr) return 0;
  WNDPROC proc = w->proc;
  return proc(hWnd, Msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (lpPrevWndFunc == nullptr) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return 0;
  switch (Msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hWnd, &ps);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      StoreText(*w, reinterpret_cast<LPCWSTR>(lParam));
      if (w->IsTopLevel() && !(w->style & WS_POPUP)) {
        UnpublishWindow(*w);
        PublishWindow(*w);
      }
      MarkDirty();
      return TRUE;
    }
    case WM_GETTEXT: {
      LPWSTR buffer = reinterpret_cast<LPWSTR>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      size_t count = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
      w->text.copy(buffer, count);
      buffer[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_KEYF1: {
      HELPINFO help{};
      help.cbSize = sizeof help;
      help.iContextType = HELPINFO_WINDOW;
      help.iCtrlId = GetDlgCtrlID(hWnd);
      help.hItemHandle = hWnd;
      return SendMessageW(hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    }
    case WM_HELP:
      // Up the chain until someone handles it: parent for a child, owner for a
      // top-level window.
      if (w->IsChild()) return SendMessageW(w->parent, WM_HELP, wParam, lParam);
      if (w->owner != nullptr) return SendMessageW(w->owner, WM_HELP, wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      if (w->IsChild()) return SendMessageW(w->parent, Msg, wParam, lParam);
      return 0;
    case WM_SETFOCUS:
      if (w->IsTopLevel() && Interaction().focus == hWnd) {
        if (HWND child = FirstFocusableChild(*w)) SetFocus(child);
      }
      return 0;
    default:
      return 0;
  }
}

namespace {

// The cbWndExtra bytes at a byte offset, or null when size bytes do not fit.
unsigned char *ExtraBytes(Window &w, int offset, size_t size) {
  if (offset < 0 || static_cast<size_t>(offset) + size > w.extra.size()) return nullptr;
  return w.extra.data() + offset;
}

// One window word, read size bytes wide (a LONG for the 32-bit calls, which
// may not read the words that hold a pointer).
bool ReadWord(Window &w, int index, size_t size, LONG_PTR &value) {
  switch (index) {
    case GWLP_USERDATA:
      value = w.userData;
      return true;
    case GWLP_ID:
      value = w.id;
      return true;
    case GWL_STYLE:
      value = static_cast<LONG_PTR>(w.style);
      return true;
    case GWL_EXSTYLE:
      value = static_cast<LONG_PTR>(w.exStyle);
      return true;
    case GWLP_WNDPROC:
      value = reinterpret_cast<LONG_PTR>(w.proc);
      return size == sizeof(LONG_PTR);
    case GWLP_HINSTANCE:
      value = reinterpret_cast<LONG_PTR>(w.instance);
      return size == sizeof(LONG_PTR);
    case GWLP_HWNDPARENT:
      value = reinterpret_cast<LONG_PTR>(w.IsChild() ? w.parent : w.owner);
      return size == sizeof(LONG_PTR);
    default:
      break;
  }
  const unsigned char *bytes = ExtraBytes(w, index, size);
  if (bytes == nullptr) return false;
  if (size == sizeof(LONG_PTR)) {
    std::memcpy(&value, bytes, sizeof value);
  } else {
    LONG narrow = 0;
    std::memcpy(&narrow, bytes, sizeof narrow);
    value = narrow;
  }
  return true;
}

// Stores value (already cut to a LONG by a 32-bit caller) and returns the old
// word, or 0 when the index is refused.
LONG_PTR WriteWord(HWND hWnd, int index, size_t size, LONG_PTR value) {
  WindowPtr w = Find(hWnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  if (!ReadWord(*w, index, size, old)) return 0;
  switch (index) {
    case GWLP_USERDATA:
      w->userData = value;
      return old;
    case GWLP_ID:
      w->id = static_cast<int>(value);
      return old;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      InvalidateTree(hWnd);
      MarkDirty();
      return old;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<DWORD>(value);
      MarkDirty();
      return old;
    case GWLP_WNDPROC:
      if (value == 0) return 0;
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      return 0;
    default:
      break;
  }
  unsigned char *bytes = ExtraBytes(*w, index, size);
  if (size == sizeof(LONG_PTR)) {
    std::memcpy(bytes, &value, sizeof value);
  } else {
    LONG narrow = static_cast<LONG>(value);
    std::memcpy(bytes, &narrow, sizeof narrow);
  }
  return old;
}

}  // namespace

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
  return static_cast<LONG>(WriteWord(hWnd, nIndex, sizeof(LONG), dwNewLong));
}

LONG GetWindowLongW(HWND hWnd, int nIndex) {
  WindowPtr w = Find(hWnd);
  LONG_PTR value = 0;
  if (!w || !ReadWord(*w, nIndex, sizeof(LONG), value)) return 0;
  return static_cast<LONG>(value);
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return WriteWord(hWnd, nIndex, sizeof(LONG_PTR), dwNewLong);
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
  WindowPtr w = Find(hWnd);
  LONG_PTR value = 0;
  if (!w || !ReadWord(*w, nIndex, sizeof(LONG_PTR), value)) return 0;
  return value;
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!FindOwn(hWnd)) return FALSE;
  return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : L"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  if (lpString == nullptr || nMaxCount <= 0) return 0;
  lpString[0] = 0;
  if (FindOwn(hWnd)) {
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
  }
  // Another thread's window: its stored title, as Win32 answers for windows
  // it cannot send to.
  WindowPtr w = Find(hWnd);
  if (!w) return 0;
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  size_t count = std::min(w->text.size(), static_cast<size_t>(nMaxCount) - 1);
  w->text.copy(lpString, count);
  lpString[count] = 0;
  return static_cast<int>(count);
}

int GetWindowTextLengthW(HWND hWnd) {
  if (FindOwn(hWnd)) return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
  WindowPtr w = Find(hWnd);
  if (!w) return 0;
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  return static_cast<int>(w->text.size());
}

HGDIOBJ GetStockObject(int i) {
  if (i < 0 || i > 20) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x100 + i));
}

BOOL DeleteObject(HGDIOBJ ho) { return ho != nullptr ? TRUE : FALSE; }

BOOL MessageBeep(UINT) { return TRUE; }
