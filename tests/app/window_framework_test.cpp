// The window framework: creation order, the command dispatcher, the dialog
// procedure's object check, and a message loop that ends with its window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frame_window.h"
#include "app_test_support.h"
#include "platform/linux/screen/screen.h"
#include "platform/linux/window/screen_session.h"

namespace {

constexpr int kColumns = 80;
constexpr int kRows = 24;

// Records every virtual call, and what the window looked like in OnCreate.
class RecordingFrame : public FrameWindow {
 public:
  void OnCreate() override {
    calls.push_back("OnCreate");
    hwndAtCreate = hwnd;
    userDataAtCreate = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    menuBarAtCreate = hwndMenuBar;
    GetWindowRect(hwnd, &rectAtCreate);
    if (closeOnCreate) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  bool OnOK() override {
    calls.push_back("OnOK");
    return true;
  }
  bool OnCancel() override {
    calls.push_back("OnCancel");
    return allowClose;
  }
  void OnHelp() override { calls.push_back("OnHelp"); }
  void UpdateUI() override { calls.push_back("UpdateUI"); }
  void OnCommand(WORD id, WORD notifyCode) override {
    calls.push_back("OnCommand " + std::to_string(id) + " " + std::to_string(notifyCode));
  }
  void OnDestroy() override {
    calls.push_back("OnDestroy");
    hwndAtDestroy = hwnd;
  }

  std::vector<std::string> calls;
  HWND hwndAtCreate = nullptr;
  LONG_PTR userDataAtCreate = 0;
  HWND menuBarAtCreate = nullptr;
  RECT rectAtCreate = {};
  HWND hwndAtDestroy = nullptr;
  bool closeOnCreate = false;
  bool allowClose = true;
};

class WindowFrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { StartHeadlessScreen(kColumns, kRows); }
  void TearDown() override { StopScreen(); }

  Watchdog watchdog{60};
};

TEST_F(WindowFrameworkTest, CreationAttachesObjectMenuBarAndShortensWindowBeforeOnCreate) {
  RecordingFrame frame;
  HWND created = frame.CreateFrame();
  ASSERT_NE(created, nullptr);

  EXPECT_EQ(frame.calls, std::vector<std::string>{"OnCreate"});
  EXPECT_EQ(frame.hwndAtCreate, created);
  EXPECT_EQ(frame.userDataAtCreate, reinterpret_cast<LONG_PTR>(&frame));
  EXPECT_NE(frame.menuBarAtCreate, nullptr);
  // A default top-level window covers the screen below the title row; the
  // menu bar takes 26 pixels (two rows) off its bottom.
  EXPECT_EQ(frame.rectAtCreate.left, 0);
  EXPECT_EQ(frame.rectAtCreate.top, kCellHeightPx);
  EXPECT_EQ(frame.rectAtCreate.right, kColumns * kCellWidthPx);
  EXPECT_EQ(frame.rectAtCreate.bottom, kRows * kCellHeightPx - kMenuBarHeight);
  EXPECT_EQ(frame.activateInfo.cbSize, sizeof(frame.activateInfo));
  DestroyWindow(created);
}

TEST_F(WindowFrameworkTest, CommandsOkCancelHelpBypassOnCommandAndUpdateUI) {
  struct Case {
    WPARAM wParam;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {IDOK, {"OnOK"}},
      {IDCANCEL, {"OnCancel"}},
      {IDHELP, {"OnHelp"}},
      {MAKEWPARAM(IDHELP, 1), {"OnHelp"}},
      {1001, {"OnCommand 1001 0", "UpdateUI"}},
      {MAKEWPARAM(2013, 0x0300), {"OnCommand 2013 768", "UpdateUI"}},
      {0, {"OnCommand 0 0", "UpdateUI"}},
      {3, {"OnCommand 3 0", "UpdateUI"}},
      {0xFFFF, {"OnCommand 65535 0", "UpdateUI"}},
  };
  RecordingFrame frame;
  ASSERT_NE(frame.CreateFrame(), nullptr);
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "wParam " << c.wParam);
    frame.calls.clear();
    EXPECT_EQ(SendMessageW(frame.hwnd, WM_COMMAND, c.wParam, 0), 0);
    EXPECT_EQ(frame.calls, c.calls) << "wParam " << c.wParam;
  }
  frame.calls.clear();
  SendMessageW(frame.hwnd, WM_HELP, 0, 0);
  EXPECT_EQ(frame.calls, std::vector<std::string>{"OnHelp"});
  DestroyWindow(frame.hwnd);
}

TEST_F(WindowFrameworkTest, LoopEndsWhenWindowIsDestroyedWithoutQuitMessage) {
  RecordingFrame frame;
  frame.closeOnCreate = true;
  frame.Run();

  EXPECT_EQ(frame.calls, (std::vector<std::string>{"OnCreate", "OnCancel", "OnDestroy"}));
  EXPECT_NE(frame.hwndAtDestroy, nullptr);
  EXPECT_FALSE(IsWindow(frame.hwndAtCreate));
  EXPECT_FALSE(IsWindow(frame.menuBarAtCreate));
  EXPECT_EQ(frame.hwnd, nullptr);
  EXPECT_EQ(frame.hwndMenuBar, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) EXPECT_NE(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(WindowFrameworkTest, RefusedCloseKeepsWindow) {
  RecordingFrame frame;
  frame.allowClose = false;
  ASSERT_NE(frame.CreateFrame(), nullptr);
  SendMessageW(frame.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame.hwnd));
  EXPECT_EQ(frame.calls, (std::vector<std::string>{"OnCreate", "OnCancel"}));
  DestroyWindow(frame.hwnd);
  EXPECT_EQ(frame.calls.back(), "OnDestroy");
}

TEST_F(WindowFrameworkTest, SecondRunFindsTheFirstAndCreatesNothing) {
  RecordingFrame first;
  ASSERT_NE(first.CreateFrame(), nullptr);
  RecordingFrame second;
  second.closeOnCreate = true;  // would end the loop if it were entered
  second.Run();
  EXPECT_TRUE(second.calls.empty());
  EXPECT_EQ(second.hwnd, nullptr);
  EXPECT_TRUE(IsWindow(first.hwnd));
  DestroyWindow(first.hwnd);
}

// The dialog procedure only calls an object attached to this very dialog.
TEST_F(WindowFrameworkTest, DialogProcCallsOnlyTheAttachedObject) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = L"LTestDialogLike";
  RegisterClassW(&wc);
  HWND dialog = CreateWindowExW(0, L"LTestDialogLike", L"", 0, 0, 0, 80, 40, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, L"LTestDialogLike", L"", 0, 0, 0, 80, 40, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);

  RecordingFrame object;
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&object)), TRUE);
  EXPECT_EQ(object.hwnd, dialog);
  EXPECT_EQ(object.calls, (std::vector<std::string>{"OnCreate", "UpdateUI"}));

  object.calls.clear();
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_COMMAND, 1234, 0), 1);
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_SIZE, 0, 0), 0);
  EXPECT_EQ(object.calls, (std::vector<std::string>{"OnCommand 1234 0", "UpdateUI"}));

  object.calls.clear();
  object.hwnd = other;
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_COMMAND, 1234, 0), FALSE);
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_HELP, 0, 0), FALSE);
  EXPECT_TRUE(object.calls.empty());

  object.hwnd = dialog;
  EXPECT_EQ(WindowBase::DialogProc(dialog, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(object.calls, std::vector<std::string>{"OnDestroy"});
  EXPECT_EQ(object.hwnd, nullptr);

  // No object at all: initialisation still answers TRUE, the rest FALSE.
  EXPECT_EQ(WindowBase::DialogProc(other, WM_INITDIALOG, 0, 0), TRUE);
  EXPECT_EQ(WindowBase::DialogProc(other, WM_COMMAND, 1234, 0), FALSE);
  DestroyWindow(dialog);
  DestroyWindow(other);
}

}  // namespace
