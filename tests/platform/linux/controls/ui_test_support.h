// Shared by the control and shell tests: a headless screen per test with the
// program's resources, a parent window that records the commands and
// notifications it gets, a message pump, and a watchdog that ends a hung test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/linux/screen/screen.h"
#include "platform/linux/window/screen_session.h"
#include "res/program_resources.h"
#include "tests/support/watchdog.h"

// What the recording parent got: WM_COMMAND and WM_NOTIFY, copied out.
struct Received {
  UINT message;
  WORD id;
  WORD code;       // WM_COMMAND: notification code
  UINT notify;     // WM_NOTIFY: NMHDR code
  int item;        // list notifications
  UINT oldState;
  UINT newState;
  UINT changed;
  LPARAM lParam;
};

inline std::vector<Received> &Log() {
  static std::vector<Received> log;
  return log;
}

// Called with every message the recording parent gets, before it records it.
inline std::function<void(HWND, UINT, WPARAM, LPARAM)> &ParentHook() {
  static std::function<void(HWND, UINT, WPARAM, LPARAM)> hook;
  return hook;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ParentHook()) ParentHook()(hwnd, message, wParam, lParam);
  if (message == WM_COMMAND) {
    Log().push_back({message, LOWORD(wParam), HIWORD(wParam), 0, 0, 0, 0, 0, lParam});
    return 0;
  }
  if (message == WM_NOTIFY) {
    const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
    Received r{message, static_cast<WORD>(wParam), 0, header->code, -1, 0, 0, 0, 0};
    if (header->code == LVN_ITEMCHANGED || header->code == NM_DBLCLK) {
      const NMLISTVIEW *info = reinterpret_cast<const NMLISTVIEW *>(lParam);
      r.item = info->iItem;
      r.oldState = info->uOldState;
      r.newState = info->uNewState;
      r.changed = info->uChanged;
      r.lParam = info->lParam;
    }
    Log().push_back(r);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The program's resources, registered as its entry code registers them.
inline void RegisterTheProgramsResources() {
  std::span<const uint8_t> resources = ProgramResourceFile();
  RegisterProgramResources(resources.data(), resources.size());
}

// Each test on a fresh headless screen, with the program's resources.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTheProgramsResources();
    StartHeadlessScreen(80, 24, utf8);
    Log().clear();
    ParentHook() = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"RecordingParent";
    RegisterClassW(&wc);
    InitCommonControls();
    parent = CreateWindowExW(0, L"RecordingParent", L"Wendrel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
  }
  void TearDown() override {
    ParentHook() = nullptr;
    // Destroyed properly, so that the controls free their state: stopping the
    // screen drops windows without a message.
    if (IsWindow(parent)) DestroyWindow(parent);
    StopScreen();
  }

  // Dispatches everything queued, input included, without blocking.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  static void Key(unsigned vk, bool shift = false, bool ctrl = false, bool alt = false) {
    KeyEvent key;
    key.vk = vk;
    key.shift = shift;
    key.ctrl = ctrl;
    key.alt = alt;
    InjectKey(key);
  }

  static std::vector<Received> Commands() {
    std::vector<Received> commands;
    for (const Received &r : Log()) {
      if (r.message == WM_COMMAND) commands.push_back(r);
    }
    return commands;
  }

  // The screen row that holds `text`, or -1.
  static int RowWith(const std::wstring &text) {
    std::vector<std::wstring> rows = DumpScreen();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].find(text) != std::wstring::npos) return static_cast<int>(i);
    }
    return -1;
  }

  bool utf8 = true;  // set before SetUp for an ASCII terminal
  HWND parent = nullptr;
  Watchdog watchdog;
};
