// Shared by the window system's tests: a recording window procedure, a
// headless session per test, a message pump and a watchdog.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/linux/screen/terminal_input_parser.h"
#include "platform/linux/window/screen_session.h"
#include "tests/support/watchdog.h"

namespace window_test {

struct Recorded {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Recorded &) const = default;
};

inline std::vector<Recorded> g_log;
// Answers a message instead of DefWindowProcW when it returns a value.
inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> g_handler;

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_log.push_back(Recorded{hwnd, message, wParam, lParam});
  if (g_handler) {
    if (std::optional<LRESULT> result = g_handler(hwnd, message, wParam, lParam)) return *result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The recorded messages of the given kinds, in order, as (window, message).
inline std::vector<std::pair<HWND, UINT>> Only(std::initializer_list<UINT> kinds) {
  std::vector<std::pair<HWND, UINT>> picked;
  for (const Recorded &r : g_log) {
    for (UINT kind : kinds) {
      if (r.message == kind) picked.emplace_back(r.hwnd, r.message);
    }
  }
  return picked;
}

inline std::vector<Recorded> OfKind(UINT kind) {
  std::vector<Recorded> picked;
  for (const Recorded &r : g_log) {
    if (r.message == kind) picked.push_back(r);
  }
  return picked;
}

// Delivers everything that is waiting, as a message loop would, without
// blocking.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

constexpr wchar_t kClass[] = L"TestWindow";

// Each test gets a fresh window system on a 40 × 12 headless screen, with the
// recording class registered.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartHeadlessScreen(40, 12);
    g_log.clear();
    g_handler = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = kClass;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  void TearDown() override {
    g_handler = nullptr;
    StopScreen();
    g_log.clear();
  }

  HWND TopLevel(DWORD style = WS_VISIBLE, LPCWSTR title = L"Wendrel", HWND owner = nullptr, DWORD exStyle = 0,
                void *param = nullptr) {
    return CreateWindowExW(exStyle, kClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, owner, nullptr, nullptr, param);
  }
  HWND PopUp(int x, int y, int width, int height, DWORD style, HWND owner, LPCWSTR title = L"",
             DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, kClass, title, WS_POPUP | style, x, y, width, height, owner, nullptr, nullptr,
                           nullptr);
  }
  HWND Child(HWND parent, int id, int x, int y, int width, int height, DWORD style = WS_VISIBLE) {
    return CreateWindowExW(0, kClass, L"", WS_CHILD | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  }

  Watchdog watchdog;
};

}  // namespace window_test
