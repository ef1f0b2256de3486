#include <string>

#include "ui_test_support.h"

namespace {

class EditTest : public HeadlessTest {
 protected:
  HWND MakeEdit(DWORD style, int columns) {
    HWND edit = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0,
                                columns * kCellWidthPx, 3 * kCellHeightPx, parent, reinterpret_cast<HMENU>(100),
                                nullptr, nullptr);
    EXPECT_NE(edit, nullptr);
    SetFocus(edit);
    return edit;
  }

  static std::wstring Text(HWND edit) {
    WCHAR buffer[128];
    GetWindowTextW(edit, buffer, 128);
    return buffer;
  }

  static std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 99, end = 99;
    LRESULT both = SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(LOWORD(both), start);
    EXPECT_EQ(HIWORD(both), end);
    return {start, end};
  }
};

TEST_F(EditTest, SelectionModifiedFlagAndChangeNotifications) {
  HWND edit = MakeEdit(WS_BORDER, 20);
  SetWindowTextW(edit, L"1000.00Hz");
  EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), FALSE);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));

  struct Selecting {
    WPARAM start;
    LPARAM end;
    std::pair<DWORD, DWORD> selection;
  } selections[] = {
      {0, 4, {0, 4}},
      {5, 2, {2, 5}},                         // ends given backwards
      {static_cast<WPARAM>(-1), 0, {2, 2}},   // -1 drops the selection, the caret stays
      {0, -1, {0, 9}},                        // an end of -1 is the end of the text
      {3, 100, {3, 9}},
  };
  for (const Selecting &c : selections) {
    SendMessageW(edit, EM_SETSEL, c.start, c.end);
    EXPECT_EQ(Selection(edit), c.selection) << c.start << "," << c.end;
  }
  EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), FALSE);

  struct Typing {
    WPARAM start;
    LPARAM end;
    const wchar_t *typed;
    const wchar_t *text;
  } typing[] = {
      {0, 4, L"2", L"2.00Hz"},
      {3, 3, L"x", L"2.0x0Hz"},
      {0, -1, L"7", L"7"},
  };
  for (const Typing &c : typing) {
    SendMessageW(edit, EM_SETSEL, c.start, c.end);
    Log().clear();
    InjectText(c.typed);
    Pump();
    EXPECT_EQ(Text(edit), c.text);
    EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), TRUE);
    std::vector<Received> commands = Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().id, 100);
    EXPECT_EQ(commands.back().code, EN_CHANGE);
  }
  SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), FALSE);
  SetWindowTextW(edit, L"abc");
  Key(VK_BACK);  // the caret is at the start after WM_SETTEXT: nothing to delete
  Pump();
  EXPECT_EQ(Text(edit), L"abc");
  EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), FALSE);
  EXPECT_EQ(GetWindowTextLengthW(edit), 3);
}

TEST_F(EditTest, WidthLimitsTypingUnlessTheBoxScrolls) {
  struct Case {
    DWORD style;
    int columns;
    size_t kept;
  } cases[] = {
      {WS_BORDER, 12, 10},  // the border takes a cell at each end
      {0, 12, 12},
      {WS_BORDER | ES_AUTOHSCROLL, 12, 30},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << c.style << ", " << c.columns << " columns");
    HWND edit = MakeEdit(c.style, c.columns);
    InjectText(std::wstring(30, L'9'));
    Pump();
    EXPECT_EQ(Text(edit).size(), c.kept) << c.style;
    // Replacing a selection with something no longer is still possible when full.
    SendMessageW(edit, EM_SETSEL, 0, 1);
    InjectText(L"1");
    Pump();
    EXPECT_EQ(Text(edit)[0], L'1');
    DestroyWindow(edit);
  }
}

TEST_F(EditTest, DrawsTheTextInsideItsBorder) {
  HWND edit = MakeEdit(WS_BORDER, 12);
  SetWindowTextW(edit, L"440");
  std::vector<std::wstring> screen = DumpScreen();
  // Rows 1 to 3 of the screen: the parent's client area starts under the title.
  EXPECT_EQ(screen[1].substr(0, 12), L"\u250C\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2510");
  EXPECT_EQ(screen[2].substr(0, 12), L"\u2502440       \u2502");
  EXPECT_EQ(screen[3].substr(0, 1), L"\u2514");
  SendMessageW(edit, EM_SETSEL, 0, 2);
  DumpScreen();
  EXPECT_TRUE(ScreenAttributesAt(1, 2) & kCellInverse);
  EXPECT_TRUE(ScreenAttributesAt(2, 2) & kCellInverse);
  EXPECT_FALSE(ScreenAttributesAt(3, 2) & kCellInverse);
}

}  // namespace
