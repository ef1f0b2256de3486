#include "window_test_support.h"

using namespace window_test;

namespace {

class Focus : public WindowTest {};

TEST_F(Focus, SetFocusSendsKillFocusToTheOldWindowThenSetFocusToTheNew) {
  HWND top = TopLevel();
  HWND a = Child(top, 1, 0, 0, 80, 13);
  HWND b = Child(top, 2, 0, 13, 80, 13);
  SetFocus(a);
  g_log.clear();
  EXPECT_EQ(SetFocus(b), a);
  std::vector<Recorded> expected = {{a, WM_KILLFOCUS, reinterpret_cast<WPARAM>(b), 0},
                                    {b, WM_SETFOCUS, reinterpret_cast<WPARAM>(a), 0}};
  EXPECT_EQ(g_log, expected);
  EXPECT_EQ(GetFocus(), b);
  g_log.clear();
  EXPECT_EQ(SetFocus(b), b);  // no change, no messages
  EXPECT_TRUE(g_log.empty());
}

TEST_F(Focus, ShowingAFrameGivesTheFocusToItsFirstEnabledVisibleChild) {
  // As the main window creates its list in WM_CREATE, before it is shown.
  HWND hidden = nullptr;
  HWND list = nullptr;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE && GetParent(hwnd) == nullptr && list == nullptr) {
      hidden = Child(hwnd, 109, 0, 0, 8, 13, 0);
      list = Child(hwnd, 110, 0, 0, 320, 117);
    }
    return std::nullopt;
  };
  HWND main = TopLevel();
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), list);
  EXPECT_NE(GetFocus(), hidden);
}

TEST_F(Focus, DisabledWindowsCannotTakeTheFocusAndDisablingDropsIt) {
  HWND top = TopLevel();
  HWND a = Child(top, 1, 0, 0, 80, 13);
  HWND b = Child(top, 2, 0, 13, 80, 13, WS_VISIBLE | WS_DISABLED);
  SetFocus(a);
  EXPECT_EQ(SetFocus(b), nullptr);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_FALSE(EnableWindow(a, FALSE));  // it was enabled before
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(EnableWindow(a, TRUE));
  EXPECT_EQ(SetFocus(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7770))), nullptr);
}

TEST_F(Focus, AModalDialogTakesActivationAndGivesItBackWithTheFocusWhereItWas) {
  HWND main = TopLevel();
  HWND list = Child(main, 110, 0, 0, 320, 117);
  HWND other = Child(main, 111, 0, 117, 320, 13);
  SetFocus(other);
  ASSERT_EQ(GetFocus(), other);
  // What a modal dialog does: disable the owner, show itself, focus a control.
  EnableWindow(main, FALSE);
  HWND dialog = PopUp(16, 26, 200, 104, WS_CAPTION | WS_VISIBLE, main, L"Edit");
  HWND edit = Child(dialog, 100, 0, 0, 160, 13, WS_VISIBLE | WS_TABSTOP);
  SetFocus(edit);
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SetFocus(list), nullptr);  // the owner is disabled
  g_log.clear();
  EnableWindow(main, TRUE);
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), other);
  auto activations = OfKind(WM_ACTIVATE);
  ASSERT_EQ(activations.size(), 2u);
  EXPECT_EQ(activations[0].hwnd, dialog);
  EXPECT_EQ(LOWORD(activations[0].wParam), WA_INACTIVE);
  EXPECT_EQ(activations[1].hwnd, main);
  EXPECT_EQ(LOWORD(activations[1].wParam), WA_ACTIVE);
  EXPECT_EQ(activations[1].lParam, reinterpret_cast<LPARAM>(dialog));
}

TEST_F(Focus, WindowsThatDoNotActivateLeaveTheActiveWindowAlone) {
  HWND main = TopLevel();
  HWND bar = PopUp(0, 130, 320, 26, WS_VISIBLE, main, L"", WS_EX_NOACTIVATE);
  HWND shownQuietly = PopUp(0, 0, 80, 26, 0, main);
  ShowWindow(shownQuietly, SW_SHOWNA);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_TRUE(IsWindowVisible(shownQuietly));
  ShowWindow(shownQuietly, SW_SHOW);
  EXPECT_EQ(GetActiveWindow(), shownQuietly);
  ShowWindow(shownQuietly, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), main);
}

TEST_F(Focus, LastActiveWindowGoingAwayLeavesNothingActive) {
  HWND only = TopLevel();
  ASSERT_EQ(GetActiveWindow(), only);
  DestroyWindow(only);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Focus, CaptureIsReleasedWhenItsWindowDies) {
  HWND top = TopLevel();
  HWND child = Child(top, 1, 0, 0, 8, 13);
  EXPECT_EQ(SetCapture(child), nullptr);
  EXPECT_EQ(GetCapture(), child);
  DestroyWindow(child);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
