// The other process of the cross-process tests: publishes a window of the
// class and title given on its command line, puts a second window in front of
// it, says "ready" on standard output, and reports "forward" when asked to
// come to the front. Ends when its window is closed (SIGTERM) or forward was
// reported.
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/linux/window/screen_session.h"

namespace {

HWND g_published = nullptr;

LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == g_published && message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    std::printf("forward %d\n", ScreenFlashCount());
    std::fflush(stdout);
    PostQuitMessage(0);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring Widen(const char *text) {
  std::wstring wide;
  for (const char *p = text; *p; ++p) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  return wide;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  std::wstring className = Widen(argv[1]);
  std::wstring title = Widen(argv[2]);
  StartHeadlessScreen(40, 12);
  WNDCLASSW wc{};
  wc.lpfnWndProc = HelperProc;
  wc.lpszClassName = className.c_str();
  RegisterClassW(&wc);
  g_published = CreateWindowExW(0, className.c_str(), title.c_str(), WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  HWND front = CreateWindowExW(0, className.c_str(), L"", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  if (g_published == nullptr || front == nullptr || GetActiveWindow() != front) return 3;
  std::printf("ready\n");
  std::fflush(stdout);
  MSG msg;
  while (IsWindow(g_published) && GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  StopScreen();
  return 0;
}
