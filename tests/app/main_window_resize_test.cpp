// The main window when the terminal changes size under it: the parameter list
// must cover the new client area, so that no row hides under the menu bar and
// the list's own scrolling (End, Home) shows the rows the user asks for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/window/screen_session.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class MainWindowResizeTest : public ::testing::Test {
 protected:
  void SetUp() override { StartHeadlessScreen(80, 12); }
  void TearDown() override {
    if (IsWindow(window.hwnd)) DestroyWindow(window.hwnd);
    StopScreen();
  }

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // The rectangle of a window in screen pixels, and the main window's client
  // area in the same terms.
  RECT ListRect() {
    RECT r = {};
    GetWindowRect(list, &r);
    return r;
  }
  RECT ClientArea() {
    RECT r = {};
    GetClientRect(window.hwnd, &r);
    POINT origin{0, 0};
    ClientToScreen(window.hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + r.right, origin.y + r.bottom};
  }

  Watchdog watchdog{60};
  TestEnvironment env;
  MainWindow window;
  HWND list = nullptr;
};

std::string Describe(const RECT &r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + "}";
}

TEST_F(MainWindowResizeTest, TheListCoversTheClientAreaAfterEveryResize) {
  ASSERT_NE(window.CreateFrame(), nullptr);
  list = GetDlgItem(window.hwnd, kParameterListId);
  ASSERT_NE(list, nullptr);
  // Sixteen frequency rows: more than the first screen can show, fewer than
  // the tallest one below.
  SendMessageW(window.hwnd, WM_COMMAND, kCmdToneCountLast, 0);
  SetFocus(list);
  Pump();
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 16);

  struct Case {
    int columns;
    int rows;
    bool allRowsFit;  // 16 rows between the title row and the two-row bar
  };
  const Case cases[] = {
      {100, 40, true},  // taller and wider than at creation
      {60, 8, false},   // smaller than at creation in both directions
      {80, 19, true},   // exactly 16 list rows
      {80, 18, false},  // one row short
      {120, 12, false}, // wider only, back to the first height
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
    ResizeHeadlessScreen(c.columns, c.rows);
    Pump();
    RECT listRect = ListRect();
    RECT client = ClientArea();
    EXPECT_EQ(Describe(listRect), Describe(client));
    EXPECT_EQ(client.right, c.columns * 8);
    // The client area ends where the two-row menu bar begins.
    EXPECT_EQ(client.bottom, (c.rows - 2) * 13);

    TypeKey(VK_HOME);
    Pump();
    std::wstring text = ScreenText();
    EXPECT_THAT(text, HasSubstr(L"Sine 1 Frequency"));
    if (c.allRowsFit) {
      EXPECT_THAT(text, HasSubstr(L"Sine 16 Frequency"));
    } else {
      EXPECT_THAT(text, Not(HasSubstr(L"Sine 16 Frequency")));
    }
    // The list scrolls by its own height: the last row must come into view
    // above the menu bar, and the first go out of it when not all fit.
    TypeKey(VK_END);
    Pump();
    text = ScreenText();
    EXPECT_THAT(text, HasSubstr(L"Sine 16 Frequency"));
    if (!c.allRowsFit) {
      EXPECT_THAT(text, Not(HasSubstr(L"Sine 1 Frequency")));
    }
    EXPECT_THAT(text, HasSubstr(L"File"));  // the menu bar is still there
  }
}

TEST_F(MainWindowResizeTest, AResizeBeforeTheListExistsIsHarmless) {
  // With no parameter list (its creation failed) a resize moves nothing and
  // the window lives on.
  ASSERT_NE(window.CreateFrame(), nullptr);
  list = GetDlgItem(window.hwnd, kParameterListId);
  ASSERT_NE(list, nullptr);
  DestroyWindow(list);
  Pump();
  ResizeHeadlessScreen(90, 20);
  Pump();
  EXPECT_TRUE(IsWindow(window.hwnd));
  EXPECT_EQ(GetDlgItem(window.hwnd, kParameterListId), nullptr);
}

}  // namespace
