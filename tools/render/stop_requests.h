// Turns the user's requests to stop a play from the console (Ctrl+C, and on
// POSIX SIGINT and SIGTERM; on Windows Ctrl+Break and closing the console too)
// into WM_CLOSE posted to a window, for as long as the object lives, so that
// the play ends on the user-interface thread and its output is closed
// properly. Create it before the player starts its threads: on POSIX they
// inherit the blocked signals, so only this object takes them.
#pragma once

#include <memory>

#include "platform/platform.h"

class StopRequests {
 public:
  explicit StopRequests(HWND target);
  ~StopRequests();
  StopRequests(const StopRequests &) = delete;
  StopRequests &operator=(const StopRequests &) = delete;

 private:
  struct State;
  std::unique_ptr<State> state;
};
