#include "tools/render/stop_requests.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

// A signal must not touch the window system from a handler, so SIGINT and
// SIGTERM are blocked in every thread and taken by a thread of their own.
struct StopRequests::State {
  sigset_t signals;
  sigset_t previousMask;
  std::atomic<bool> finished{false};
  std::thread thread;
};

StopRequests::StopRequests(HWND target) : state(std::make_unique<State>()) {
  sigemptyset(&state->signals);
  sigaddset(&state->signals, SIGINT);
  sigaddset(&state->signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &state->signals, &state->previousMask);
  State *shared = state.get();
  state->thread = std::thread([shared, target] {
    for (;;) {
      int signal = 0;
      if (sigwait(&shared->signals, &signal) != 0) {
        continue;
      }
      if (shared->finished.load()) {
        return;
      }
      PostMessageW(target, WM_CLOSE, 0, 0);
    }
  });
}

StopRequests::~StopRequests() {
  state->finished.store(true);
  pthread_kill(state->thread.native_handle(), SIGTERM);
  state->thread.join();
  // A signal that came while the play was ending is dropped, not delivered
  // once the mask is lifted.
  timespec none{};
  while (sigtimedwait(&state->signals, nullptr, &none) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &state->previousMask, nullptr);
}
