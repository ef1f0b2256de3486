// The main window when the terminal changes size under it: the window and its
// menu bar follow the screen and everything is drawn again, while the parameter
// list keeps the size it was created with, as the main window has no size
// handling of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/linux/window/screen_session.h"

using ::testing::HasSubstr;

namespace {

class MainWindowResizeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (IsWindow(window.hwnd)) DestroyWindow(window.hwnd);
  }

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  Watchdog watchdog{60};
  HeadlessScreenScope screen{80, 12};
  TestEnvironment env;
  MainWindow window;
};

std::string Describe(const RECT &r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + "}";
}

std::wstring ScreenRow(int row) {
  std::wstring text = ScreenText();
  size_t start = 0;
  for (int i = 0; i < row && start != std::wstring::npos; ++i) {
    start = text.find(L'\n', start);
    if (start != std::wstring::npos) ++start;
  }
  if (start == std::wstring::npos) return L"";
  return text.substr(start, text.find(L'\n', start) - start);
}

TEST_F(MainWindowResizeTest, TheWindowFollowsTheScreenAndTheListKeepsItsFirstSize) {
  ASSERT_NE(window.CreateFrame(), nullptr);
  HWND list = GetDlgItem(window.hwnd, kParameterListId);
  ASSERT_NE(list, nullptr);
  RECT created = {};
  GetWindowRect(list, &created);

  struct Case {
    int columns;
    int rows;
  };
  const Case cases[] = {{100, 40}, {60, 8}, {80, 19}, {120, 12}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
    ResizeHeadlessScreen(c.columns, c.rows);
    Pump();
    RECT client = {};
    GetClientRect(window.hwnd, &client);
    EXPECT_EQ(client.right, c.columns * 8);
    // Below the title row and above the two-row menu bar.
    EXPECT_EQ(client.bottom, (c.rows - 3) * 13);

    RECT now = {};
    GetWindowRect(list, &now);
    EXPECT_EQ(Describe(now), Describe(created));

    EXPECT_THAT(ScreenRow(0), HasSubstr(L"Wendrel"));
    EXPECT_THAT(ScreenRow(c.rows - 2), HasSubstr(L"File"));
    EXPECT_THAT(ScreenText(), HasSubstr(L"Sine 1 Frequency"));
  }
}

}  // namespace
