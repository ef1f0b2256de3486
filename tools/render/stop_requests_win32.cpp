#include "tools/render/stop_requests.h"

#include <atomic>

// Windows runs a console control handler on a thread of its own, so posting
// from it is safe. The handler has no argument of ours: the target is global,
// and one StopRequests lives at a time.
struct StopRequests::State {};

namespace {

std::atomic<HWND> g_stopTarget{nullptr};
// Set once the play has ended, for a console that is being closed: Windows
// ends the process as soon as the handler returns, so it waits for the end.
HANDLE g_playEnded = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  HWND target = g_stopTarget.load();
  if (target == nullptr) {
    return FALSE;
  }
  PostMessageW(target, WM_CLOSE, 0, 0);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(g_playEnded, 4000);
  }
  return TRUE;
}

}  // namespace

StopRequests::StopRequests(HWND target) : state(std::make_unique<State>()) {
  if (g_playEnded == nullptr) {
    g_playEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ResetEvent(g_playEnded);
  g_stopTarget.store(target);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopRequests::~StopRequests() {
  g_stopTarget.store(nullptr);
  SetEvent(g_playEnded);
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}
