// Posting, retrieving and dispatching messages, and the one wait of a
// user-interface thread: poll over its queue's wake-up descriptor, the
// terminal, the signal pipe and the published sockets.
#include <poll.h>
#include <time.h>

#include <cerrno>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {

uint64_t NowMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

namespace {

bool Matches(HWND filter, UINT min, UINT max, HWND hwnd, UINT message) {
  if (filter != nullptr && hwnd != filter) return false;
  if ((min != 0 || max != 0) && (message < min || message > max)) return false;
  return true;
}

// Waits until something may have arrived (or just looks, with timeout 0) and
// handles what the descriptors report.
void WaitAndService(ThreadQueue &queue, bool block) {
  std::vector<int> fds;
  int timeoutMs = block ? -1 : 0;
  fds.push_back(queue.WakeDescriptor());
  if (IsUiThread()) {
    int sessionTimeout = -1;
    CollectSessionDescriptors(fds, &sessionTimeout);
    if (block && sessionTimeout >= 0) timeoutMs = sessionTimeout;
  }
  std::vector<struct pollfd> polls;
  for (int fd : fds) {
    if (fd >= 0) polls.push_back(pollfd{fd, POLLIN, 0});
  }
  int ready = poll(polls.data(), polls.size(), timeoutMs);
  if (ready < 0 && errno != EINTR) return;
  if (ready > 0) {
    for (const pollfd &p : polls) {
      if (p.revents == 0) continue;
      if (p.fd == queue.WakeDescriptor()) {
        queue.Drain();
      } else {
        ServiceSessionDescriptor(p.fd, p.revents);
      }
    }
  }
  if (IsUiThread()) ServiceSessionTimeout();
}

// The shared body of GetMessageW, PeekMessageW and WaitMessage. Returns
// 1 with a message, 0 for WM_QUIT (GetMessageW) or nothing (PeekMessageW).
int Retrieve(LPMSG msg, HWND filter, UINT min, UINT max, bool remove, bool block) {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  bool first = true;
  for (;;) {
    // A look at the descriptors without waiting, so that input and signals
    // are noticed by PeekMessageW too.
    if (first) WaitAndService(*queue, false);
    first = false;
    MSG m;
    while (queue->Take(filter, min, max, remove, &m)) {
      if (m.hwnd != nullptr && !Find(m.hwnd)) {
        if (!remove) queue->Take(m.hwnd, m.message, m.message, true, &m);  // drop it
        continue;  // its window died while the message waited
      }
      *msg = m;
      return 1;
    }
    if (queue->quitPosted) {
      *msg = MSG{};
      msg->message = WM_QUIT;
      msg->wParam = static_cast<WPARAM>(queue->quitCode);
      msg->time = static_cast<DWORD>(NowMs());
      if (remove) queue->quitPosted = false;
      return 0;
    }
    if (IsUiThread()) {
      if (TakeInputMessage(filter, min, max, remove, msg)) return 1;
      if (ConvertPendingInput()) continue;
      if (Matches(filter, min, max, filter, WM_PAINT)) {
        HWND invalid = TakeInvalidWindow();
        if (invalid != nullptr && (filter == nullptr || invalid == filter)) {
          *msg = MSG{};
          msg->hwnd = invalid;
          msg->message = WM_PAINT;
          msg->time = static_cast<DWORD>(NowMs());
          if (!remove) InvalidateRect(invalid, nullptr, FALSE);
          return 1;
        }
        if (invalid != nullptr) InvalidateRect(invalid, nullptr, FALSE);  // not for this filter
      }
      ComposeAndPresent();
    }
    if (!block) return -1;
    WaitAndService(*queue, true);
  }
}

}  // namespace
}  // namespace wendrel_window

using namespace wendrel_window;

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hWnd;
  msg.message = Msg;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = static_cast<DWORD>(NowMs());
  if (hWnd == nullptr) {
    CurrentQueue()->Post(msg);
    return TRUE;
  }
  std::shared_ptr<ThreadQueue> queue;
  {
    std::lock_guard<std::recursive_mutex> guard(RegistryLock());
    WindowPtr w = Find(hWnd);
    if (!w) return FALSE;
    queue = w->queue;
  }
  queue->Post(msg);
  return TRUE;
}

void PostQuitMessage(int nExitCode) {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  queue->quitPosted = true;
  queue->quitCode = nExitCode;
  queue->Wake();
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (lpMsg == nullptr) return -1;
  if (hWnd != nullptr && !FindOwn(hWnd)) return -1;
  int result = Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true);
  return result == 0 ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (lpMsg == nullptr) return FALSE;
  if (hWnd != nullptr && !FindOwn(hWnd)) return FALSE;
  int result = Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, false);
  return result >= 0 ? TRUE : FALSE;
}

BOOL WaitMessage(void) {
  MSG msg;
  // Blocks until there is something, and leaves it in the queue.
  Retrieve(&msg, nullptr, 0, 0, false, true);
  return TRUE;
}

BOOL TranslateMessage(const MSG *lpMsg) {
  if (lpMsg == nullptr) return FALSE;
  if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN) return FALSE;
  auto character = static_cast<WPARAM>((static_cast<uint64_t>(lpMsg->lParam) >> kCharacterShift) & 0x1fffff);
  if (character == 0) return FALSE;
  UINT message = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  return PostMessageW(lpMsg->hwnd, message, character, lpMsg->lParam & 0xffff);
}

LRESULT DispatchMessageW(const MSG *lpMsg) {
  if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
  return SendMessageW(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}
