// The wendrel program: takes over the terminal and runs wWinMain on it.
#include <cstdio>
#include <string>

#include "app/frame_window.h"
#include "app/win_main.h"
#include "platform/platform.h"
#include "platform/window/screen_session.h"
#include "res/program_resources.h"

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
  // The program's resources live in the program, as an executable's own do;
  // the platform reaches them through the module's instance handle.
  std::span<const uint8_t> resources = ProgramResourceFile();
  HINSTANCE instance = RegisterProgramResources(resources.data(), resources.size());
  int status = wWinMain(instance, nullptr, nullptr, SW_SHOW);
  StopScreen();
  return status;
}
