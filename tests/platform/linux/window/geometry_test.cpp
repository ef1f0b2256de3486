#include "platform/linux/window/paint.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class Geometry : public WindowTest {};

bool SameRect(const RECT &a, const RECT &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT &r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// The headless screen is 40 × 12 cells: 320 × 156 pixels.
TEST_F(Geometry, DefaultTopLevelWindowCoversTheScreenBelowTheTitleRow) {
  HWND hwnd = TopLevel();
  RECT r;
  ASSERT_TRUE(GetWindowRect(hwnd, &r));
  EXPECT_TRUE(SameRect(r, RECT{0, 13, 320, 156})) << Describe(r);
  ASSERT_TRUE(GetClientRect(hwnd, &r));
  EXPECT_TRUE(SameRect(r, RECT{0, 0, 320, 143})) << Describe(r);
  EXPECT_EQ(GetClientCells(hwnd).columns, 40);
  EXPECT_EQ(GetClientCells(hwnd).rows, 11);
}

TEST_F(Geometry, ShorteningTheFrameForTheMenuBarLeavesTheBottomTwoRows) {
  HWND hwnd = TopLevel();
  RECT r;
  GetWindowRect(hwnd, &r);
  g_log.clear();
  ASSERT_TRUE(MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top - 26, FALSE));
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 13, 320, 130})) << Describe(r);
  EXPECT_EQ(GetClientCells(hwnd).rows, 9);
  auto sizes = OfKind(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(LOWORD(sizes[0].lParam), 320);
  EXPECT_EQ(HIWORD(sizes[0].lParam), 117);
  // Moving without a size change sends no WM_SIZE.
  g_log.clear();
  MoveWindow(hwnd, 8, 13, 320, 117, FALSE);
  EXPECT_TRUE(OfKind(WM_SIZE).empty());
}

TEST_F(Geometry, FramedPopUpsHaveTheirClientAreaInsideAOneCellBorder) {
  HWND owner = TopLevel();
  struct Case {
    DWORD style;
    DWORD exStyle;
    RECT client;  // in screen pixels
  } cases[] = {
      {WS_CAPTION, 0, RECT{24, 39, 136, 91}},
      {WS_BORDER, 0, RECT{24, 39, 136, 91}},
      {0, WS_EX_DLGMODALFRAME, RECT{24, 39, 136, 91}},
      {0, 0, RECT{16, 26, 144, 104}},
  };
  for (const Case &c : cases) {
    HWND popup = PopUp(16, 26, 128, 78, c.style | WS_VISIBLE, owner, L"Edit", c.exStyle);
    POINT origin{0, 0};
    ClientToScreen(popup, &origin);
    RECT client;
    GetClientRect(popup, &client);
    RECT onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    EXPECT_TRUE(SameRect(onScreen, c.client)) << Describe(onScreen);
    DestroyWindow(popup);
  }
}

TEST_F(Geometry, ChildPositionsAreRelativeToTheParentsClientArea) {
  HWND dialog = PopUp(16, 26, 200, 104, WS_CAPTION | WS_VISIBLE, nullptr, L"Value");
  HWND edit = Child(dialog, 100, 16, 13, 160, 13, WS_VISIBLE | WS_BORDER);
  RECT r;
  GetWindowRect(edit, &r);
  EXPECT_TRUE(SameRect(r, RECT{24 + 16, 39 + 13, 24 + 16 + 160, 39 + 26})) << Describe(r);
  GetClientRect(edit, &r);  // a control's border takes no cells
  EXPECT_TRUE(SameRect(r, RECT{0, 0, 160, 13})) << Describe(r);
  POINT p{40, 52};
  ScreenToClient(edit, &p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  POINT q{0, 0};
  MapWindowPoints(edit, dialog, &q, 1);
  EXPECT_EQ(q.x, 16);
  EXPECT_EQ(q.y, 13);
  EXPECT_EQ(WindowFromPoint(POINT{41, 53}), edit);
  EXPECT_EQ(WindowFromPoint(POINT{30, 80}), dialog);
}

TEST_F(Geometry, AResizedScreenStretchesTheMainWindowAndKeepsTheBarAtTheBottom) {
  HWND main = TopLevel();
  RECT r;
  GetWindowRect(main, &r);
  MoveWindow(main, r.left, r.top, r.right - r.left, r.bottom - r.top - 26, FALSE);
  HWND bar = PopUp(0, 130, 320, 26, WS_VISIBLE, main, L"", WS_EX_NOACTIVATE);
  HWND dialog = PopUp(80, 39, 160, 65, WS_CAPTION | WS_VISIBLE, main, L"Edit");
  g_log.clear();
  ResizeHeadlessScreen(60, 20);  // 480 × 260 pixels
  Pump();
  GetWindowRect(main, &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 13, 480, 234})) << Describe(r);
  GetWindowRect(bar, &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 234, 480, 260})) << Describe(r);
  GetWindowRect(dialog, &r);
  EXPECT_TRUE(SameRect(r, RECT{80, 39, 240, 104})) << Describe(r);
  EXPECT_FALSE(OfKind(WM_SIZE).empty());
  ASSERT_EQ(DumpScreen().size(), 20u);
  EXPECT_EQ(DumpScreen()[0].size(), 60u);

  ResizeHeadlessScreen(20, 6);  // smaller than the dialog: it moves back inside
  Pump();
  GetWindowRect(dialog, &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 13, 160, 78})) << Describe(r);
  GetWindowRect(bar, &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 52, 160, 78})) << Describe(r);
}

TEST_F(Geometry, VisibilityFollowsTheParentAndShowWindowReportsThePreviousState) {
  HWND top = TopLevel(0, L"");
  HWND child = Child(top, 1, 0, 0, 8, 13);
  EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(top));
  EXPECT_FALSE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(ShowWindow(nullptr, SW_SHOW));
}

}  // namespace
