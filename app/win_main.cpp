#include "app/win_main.h"

#include "app/main_window.h"

#ifdef _WIN32
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_arguments.h"

namespace {

// A desktop program has no console of its own: what it prints goes where its
// standard output and error were sent, else to the console it was started
// from, if any. True when it attached to that console.
bool ReachConsole() {
  if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr || GetStdHandle(STD_ERROR_HANDLE) != nullptr ||
      !AttachConsole(ATTACH_PARENT_PROCESS)) {
    return false;
  }
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
  return true;
}

// The command line as the terminal program takes it, in UTF-8: -1 to start,
// else the status to end with.
int HandleCommandLine() {
  int count = 0;
  LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr || count <= 1) {
    if (wide != nullptr) LocalFree(wide);
    return -1;
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(bytes > 0 ? static_cast<size_t>(bytes - 1) : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), bytes, nullptr, nullptr);
    arguments.push_back(std::move(argument));
  }
  LocalFree(wide);
  std::vector<const char *> argv;
  for (const std::string &argument : arguments) argv.push_back(argument.c_str());
  const bool attached = ReachConsole();
  const int status = HandleProgramArguments(count, argv.data(), stdout, stderr);
  // A program that goes on to its window lets the console go: closing that
  // console would otherwise end it without saving its settings.
  if (attached && status < 0) {
    std::fflush(stdout);
    std::fflush(stderr);
    FreeConsole();
  }
  return status;
}

}  // namespace
#endif

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd) {
  (void)hPrevInstance;
  (void)lpCmdLine;
  (void)nShowCmd;
#ifdef _WIN32
  // The terminal program's main has done this before it takes the terminal.
  if (int status = HandleCommandLine(); status >= 0) return status;
#endif
  g_hInstance = hInstance;
  MainWindow window;
  window.Run();
  return 0;
}
