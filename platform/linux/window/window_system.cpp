#include "platform/linux/window/window_system.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace wendrel_window {

namespace {

struct Registry {
  std::map<uintptr_t, WindowPtr> windows;
  std::map<std::wstring, std::shared_ptr<WindowClass>> classes;  // by lower-case name
  std::vector<HWND> zOrder;  // bottom first
  // Handles count up and are never reused, so a stale handle stays dead. They
  // step by 16 so that an HDC (handle + 1) can never equal a window handle.
  uintptr_t nextHandle = 0x10000;
  ATOM nextAtom = 0xC000;
};

Registry &TheRegistry() {
  static Registry registry;
  return registry;
}

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t &c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return lower;
}

thread_local std::shared_ptr<ThreadQueue> t_queue;

}  // namespace

// ---------------------------------------------------------------------------
// ThreadQueue

ThreadQueue::ThreadQueue() { wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

ThreadQueue::~ThreadQueue() {
  if (wakeFd >= 0) close(wakeFd);
}

void ThreadQueue::Post(const MSG &msg) {
  {
    std::lock_guard<std::mutex> guard(lock);
    posted.push_back(msg);
  }
  Wake();
}

void ThreadQueue::Wake() {
  uint64_t one = 1;
  if (wakeFd >= 0) {
    ssize_t ignored = write(wakeFd, &one, sizeof one);
    (void)ignored;  // a full counter means a wake-up is pending anyway
  }
}

void ThreadQueue::Drain() {
  uint64_t count;
  while (wakeFd >= 0 && read(wakeFd, &count, sizeof count) > 0) {
  }
}

bool ThreadQueue::Take(HWND filter, UINT min, UINT max, bool remove, MSG *out) {
  std::lock_guard<std::mutex> guard(lock);
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (filter != nullptr && it->hwnd != filter) continue;
    if ((min != 0 || max != 0) && (it->message < min || it->message > max)) continue;
    *out = *it;
    if (remove) posted.erase(it);
    return true;
  }
  return false;
}

bool ThreadQueue::HasPosted() {
  std::lock_guard<std::mutex> guard(lock);
  return !posted.empty();
}

void ThreadQueue::Clear() {
  std::lock_guard<std::mutex> guard(lock);
  posted.clear();
  quitPosted = false;
  quitCode = 0;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_queue) t_queue = std::make_shared<ThreadQueue>();
  return t_queue;
}

// ---------------------------------------------------------------------------
// Registry

std::recursive_mutex &RegistryLock() {
  static std::recursive_mutex lock;
  return lock;
}

WindowPtr Find(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto &windows = TheRegistry().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second;
}

WindowPtr FindOwn(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (w && w->thread != std::this_thread::get_id()) return nullptr;
  return w;
}

HWND NewHandle() {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  uintptr_t value = TheRegistry().nextHandle;
  TheRegistry().nextHandle += 16;
  return reinterpret_cast<HWND>(value);
}

void AddWindow(const WindowPtr &window) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  TheRegistry().windows[reinterpret_cast<uintptr_t>(window->handle)] = window;
}

void RemoveWindow(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  TheRegistry().windows.erase(reinterpret_cast<uintptr_t>(hwnd));
  ZOrderRemove(hwnd);
}

std::vector<WindowPtr> AllWindows() {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  std::vector<WindowPtr> all;
  for (auto &entry : TheRegistry().windows) all.push_back(entry.second);
  return all;
}

std::shared_ptr<WindowClass> FindClass(LPCWSTR nameOrAtom) {
  if (nameOrAtom == nullptr) return nullptr;
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto &classes = TheRegistry().classes;
  if (IS_INTRESOURCE(nameOrAtom)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(nameOrAtom));
    for (auto &entry : classes) {
      if (entry.second->atom == atom) return entry.second;
    }
    return nullptr;
  }
  auto it = classes.find(Lower(nameOrAtom));
  return it == classes.end() ? nullptr : it->second;
}

std::vector<HWND> ZOrder() {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  return TheRegistry().zOrder;
}

namespace {

bool IsTopmost(HWND hwnd) {
  auto &windows = TheRegistry().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it != windows.end() && (it->second->exStyle & WS_EX_TOPMOST) != 0;
}

HWND OwnerOf(HWND hwnd) {
  auto &windows = TheRegistry().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second->owner;
}

// Places hwnd at the top of its band (topmost or not), then lifts the windows
// it owns above it, each keeping its place among them.
void PlaceOnTop(HWND hwnd) {
  auto &z = TheRegistry().zOrder;
  z.erase(std::remove(z.begin(), z.end(), hwnd), z.end());
  size_t at = z.size();
  if (!IsTopmost(hwnd)) {
    at = 0;
    while (at < z.size() && !IsTopmost(z[at])) ++at;
  }
  z.insert(z.begin() + static_cast<std::ptrdiff_t>(at), hwnd);
  std::vector<HWND> owned;
  for (HWND other : z) {
    if (OwnerOf(other) == hwnd) owned.push_back(other);
  }
  for (HWND other : owned) PlaceOnTop(other);
}

}  // namespace

void ZOrderAdd(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  PlaceOnTop(hwnd);
}

void ZOrderRemove(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto &z = TheRegistry().zOrder;
  z.erase(std::remove(z.begin(), z.end(), hwnd), z.end());
}

void BringToTop(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto &z = TheRegistry().zOrder;
  if (std::find(z.begin(), z.end(), hwnd) == z.end()) return;
  PlaceOnTop(hwnd);
  MarkDirty();
}

InteractionState &Interaction() {
  static InteractionState state;
  return state;
}

void ResetRegistry() {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  Registry &registry = TheRegistry();
  for (auto &entry : registry.windows) UnpublishWindow(*entry.second);
  registry.windows.clear();
  registry.classes.clear();
  registry.zOrder.clear();
  Interaction() = InteractionState{};
  ForgetRemoteHandles();
}

}  // namespace wendrel_window

using namespace wendrel_window;

// ---------------------------------------------------------------------------
// Classes

ATOM RegisterClassW(const WNDCLASSW *lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr || lpWndClass->lpfnWndProc == nullptr ||
      IS_INTRESOURCE(lpWndClass->lpszClassName) || lpWndClass->lpszClassName[0] == 0 || lpWndClass->cbWndExtra < 0) {
    return 0;
  }
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto &classes = TheRegistry().classes;
  std::wstring key = Lower(lpWndClass->lpszClassName);
  if (classes.count(key)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  auto cls = std::make_shared<WindowClass>();
  cls->name = lpWndClass->lpszClassName;
  cls->atom = TheRegistry().nextAtom++;
  cls->info = *lpWndClass;
  cls->info.lpszClassName = cls->name.c_str();
  cls->info.lpszMenuName = nullptr;  // not kept: no class menus on this platform
  classes[key] = cls;
  return cls->atom;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass) {
  std::shared_ptr<WindowClass> cls = FindClass(lpClassName);
  if (!cls || lpWndClass == nullptr) return FALSE;
  *lpWndClass = cls->info;
  return TRUE;
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  std::shared_ptr<WindowClass> cls = FindClass(lpClassName);
  if (!cls) return FALSE;
  for (auto &entry : TheRegistry().windows) {
    if (entry.second->windowClass == cls) return FALSE;  // still in use
  }
  TheRegistry().classes.erase(Lower(cls->name));
  return TRUE;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
  WindowPtr w = Find(hWnd);
  if (!w || lpClassName == nullptr || nMaxCount <= 0) return 0;
  const std::wstring &name = w->windowClass->name;
  int count = static_cast<int>(name.size()) < nMaxCount - 1 ? static_cast<int>(name.size()) : nMaxCount - 1;
  name.copy(lpClassName, static_cast<size_t>(count));
  lpClassName[count] = 0;
  return count;
}
