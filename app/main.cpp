// The wendrel program: takes over the terminal and runs WinMain on it.
#include <cstdio>
#include <string>

#include "app/frame_window.h"
#include "app/win_main.h"
#include "platform/platform.h"
#include "platform/window/screen_session.h"

int main() {
  // Asked before the terminal is taken over, so that a second start leaves
  // the screen it was started from as it was. Run asks again in case the
  // other one appeared meanwhile.
  HWND running = FindWindowW(kMainWindowClass, kMainWindowTitle);
  if (running != nullptr) {
    SetForegroundWindow(running);
    std::printf("Wendrel is already running.\n");
    return 0;
  }

  std::string error;
  if (!StartTerminalScreen(&error)) {
    std::fprintf(stderr, "wendrel: %s\n", error.c_str());
    return 1;
  }
  // There is one module: any instance handle names the program itself.
  int status = WinMain(nullptr, nullptr, nullptr, SW_SHOW);
  StopScreen();
  return status;
}
