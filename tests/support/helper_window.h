// A hidden window that runs the test's g_helperAction when it receives
// kHelperMessage: a test posts that message to have code run from inside a
// modal loop (a dialog's, a menu's) that it cannot otherwise reach.
#pragma once

#include <functional>

#include "platform/platform.h"

constexpr UINT kHelperMessage = WM_USER + 5;

inline std::function<void()> g_helperAction;

inline LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kHelperMessage && g_helperAction) {
    g_helperAction();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Registers the class (once per window system) and makes the window, with no
// action set.
inline HWND CreateHelperWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HelperProc;
  wc.lpszClassName = L"Helper";
  RegisterClassW(&wc);
  g_helperAction = nullptr;
  return CreateWindowExW(0, L"Helper", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}
