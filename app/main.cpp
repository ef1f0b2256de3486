// The wendrel program: takes over the terminal and runs wWinMain on it.
#include <cstdio>
#include <string>

#include "app/frame_window.h"
#include "app/program_arguments.h"
#include "app/win_main.h"
#include "platform/platform.h"
#include "platform/output_failure.h"
#include "platform/linux/window/screen_session.h"
#include "res/program_resources.h"

int main(int argc, char **argv) {
  int argumentsStatus = HandleProgramArguments(argc, argv, stdout, stderr);
  if (argumentsStatus >= 0) return argumentsStatus;

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
  // The message box could only say that playback did not start; now that the
  // terminal is back, say which output was tried and how to find one that works.
  std::string outputFailure = OutputOpenFailure();
  if (!outputFailure.empty()) std::fprintf(stderr, "wendrel: %s\n", outputFailure.c_str());
  return status;
}
