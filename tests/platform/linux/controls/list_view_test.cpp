#include <string>
#include <vector>

#include "ui_test_support.h"

namespace {

constexpr UINT S = LVIS_SELECTED, F = LVIS_FOCUSED;

class ListViewTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    RECT client{};
    GetClientRect(parent, &client);
    list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                           client.right, client.bottom, parent, reinterpret_cast<HMENU>(110), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    for (int c = 0; c < 2; ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      column.cx = c == 0 ? client.right * 70 / 100 : client.right - client.right * 70 / 100;
      wchar_t empty[] = L"";
      column.pszText = empty;
      column.iSubItem = c;
      ASSERT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column)), c);
    }
    for (int i = 0; i < kRows; ++i) AddRow(i);
    SetFocus(list);
    Pump();
    Log().clear();
  }

  void AddRow(int i) {
    std::wstring label = L"Sine " + std::to_wstring(i + 1) + L" Frequency";
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = label.data();
    item.lParam = 0x100 + i;
    int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    ASSERT_EQ(index, i);
    std::wstring value = std::to_wstring(1000 + i) + L".00Hz";
    LVITEMW cell{};
    cell.mask = LVIF_TEXT;
    cell.iItem = index;
    cell.iSubItem = 1;
    cell.pszText = value.data();
    ASSERT_TRUE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell)));
  }

  std::vector<int> Selected() {
    std::vector<int> rows;
    for (int i = -1; (i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
      rows.push_back(i);
    return rows;
  }
  int Focused() { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)); }

  // Notifications as (code, item, old, new) for compact comparison.
  std::vector<std::vector<long>> Notes() {
    std::vector<std::vector<long>> notes;
    for (const Received &r : Log()) {
      if (r.message != WM_NOTIFY) continue;
      EXPECT_EQ(r.id, 110);
      if (r.notify == LVN_ITEMCHANGED) {
        EXPECT_EQ(r.changed, static_cast<UINT>(LVIF_STATE));
        EXPECT_EQ(r.lParam, 0x100 + r.item);
        notes.push_back({-101, r.item, static_cast<long>(r.oldState), static_cast<long>(r.newState)});
      } else {
        notes.push_back({static_cast<long>(static_cast<int>(r.notify)), r.item});
      }
    }
    return notes;
  }

  static constexpr int kRows = 30;  // more than the screen shows
  HWND list = nullptr;
};

TEST_F(ListViewTest, KeysMoveTheFocusAndTheSelectionFollows) {
  struct Step {
    unsigned vk;
    bool shift;
    std::vector<int> selected;
    int focused;
    std::vector<std::vector<long>> notes;  // empty: not checked
  } steps[] = {
      {VK_DOWN, false, {0}, 0, {{-101, 0, 0, S | F}}},
      {VK_DOWN, false, {1}, 1, {{-101, 0, S | F, F}, {-101, 0, F, 0}, {-101, 1, 0, S | F}}},
      {VK_DOWN, true, {1, 2}, 2, {{-101, 1, S | F, S}, {-101, 2, 0, S | F}}},
      {VK_DOWN, true, {1, 2, 3}, 3, {}},
      {VK_UP, true, {1, 2}, 2, {{-101, 3, S | F, F}, {-101, 3, F, 0}, {-101, 2, S, S | F}}},
      {VK_SPACE, false, {1}, 2, {{-101, 2, S | F, F}}},
      {VK_SPACE, false, {1, 2}, 2, {{-101, 2, F, S | F}}},
      {VK_END, false, {kRows - 1}, kRows - 1, {}},
      {VK_HOME, false, {0}, 0, {}},
      {VK_NEXT, false, {22}, 22, {}},  // 23 rows show: a page moves 22
      {VK_PRIOR, false, {0}, 0, {}},
      {VK_UP, false, {0}, 0, {}},      // stays at the top
      {VK_RETURN, false, {0}, 0, {{-3, 0}}},
  };
  for (const Step &step : steps) {
    Log().clear();
    Key(step.vk, step.shift);
    Pump();
    EXPECT_EQ(Selected(), step.selected) << "key " << step.vk;
    EXPECT_EQ(Focused(), step.focused) << "key " << step.vk;
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), static_cast<LRESULT>(step.selected.size()));
    if (!step.notes.empty()) {
      EXPECT_EQ(Notes(), step.notes) << "key " << step.vk;
    }
  }
}

TEST_F(ListViewTest, ClicksSelectToggleExtendAndDoubleTap) {
  // The list starts on screen row 1, under the title row.
  struct Step {
    int row;
    bool shift, ctrl, doubleClick;
    std::vector<int> selected;
    int focused;
  } steps[] = {
      {3, false, false, false, {2}, 2},
      {5, false, true, false, {2, 4}, 4},
      {3, false, true, false, {4}, 2},
      {6, true, false, false, {2, 3, 4, 5}, 5},
      {2, false, false, false, {1}, 1},
  };
  for (const Step &step : steps) {
    InjectClick(4, step.row, step.shift, step.ctrl, step.doubleClick);
    Pump();
    EXPECT_EQ(Selected(), step.selected) << "row " << step.row;
    EXPECT_EQ(Focused(), step.focused) << "row " << step.row;
  }
  Log().clear();
  InjectClick(4, 8, false, false, true);
  Pump();
  std::vector<std::vector<long>> notes = Notes();
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back(), (std::vector<long>{-3, 7}));
  EXPECT_EQ(Selected(), std::vector<int>{7});
  EXPECT_EQ(GetFocus(), list);
}

TEST_F(ListViewTest, MessagesAnswerAsTheCallersExpect) {
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), kRows);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 640 * 70 / 100);
  struct Width {
    int column;
    int asked;  // LVSCW_AUTOSIZE (-1) fits the widest text, -2 on the last column fills the rest
    LRESULT result;
    int width;
  } widths[] = {
      {1, 100, TRUE, 100},
      {1, -2, TRUE, 640 - 448},
      {0, -1, TRUE, (17 + 2) * 8},  // "Sine 10 Frequency" and the focus mark's cell
      {0, 448, TRUE, 448},
      {2, 50, FALSE, 0},
  };
  for (const Width &w : widths) {
    EXPECT_EQ(SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(w.column), MAKELPARAM(w.asked, 0)), w.result);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(w.column), 0), w.width) << w.asked;
  }

  LVITEMW state{};
  state.stateMask = S;
  state.state = S;
  EXPECT_TRUE(SendMessageW(list, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&state)));
  EXPECT_EQ(Notes(), (std::vector<std::vector<long>>{{-101, 4, 0, S}}));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 4, S), static_cast<LRESULT>(S));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 4, F), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 5, S), 0);

  wchar_t text[8];
  LVITEMW read{};
  read.iSubItem = 1;
  read.pszText = text;
  read.cchTextMax = 8;
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 4, reinterpret_cast<LPARAM>(&read)), 7);
  EXPECT_STREQ(text, L"1004.00");

  LVITEMW code{};
  code.mask = LVIF_PARAM;
  code.iItem = 4;
  EXPECT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&code)));
  EXPECT_EQ(code.lParam, 0x104);
  code.iItem = kRows;
  EXPECT_FALSE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&code)));

  EXPECT_EQ(SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);

  Log().clear();
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
  EXPECT_TRUE(Log().empty());
  // Keys on an empty list do nothing and send nothing but the double tap.
  Key(VK_DOWN);
  Key(VK_SPACE);
  Pump();
  EXPECT_TRUE(Notes().empty());
}

TEST_F(ListViewTest, DrawsTwoColumnsSelectionInvertedAndTheFocusMarked) {
  Key(VK_DOWN);
  Key(VK_DOWN, true);
  Pump();
  std::vector<std::wstring> screen = DumpScreen();
  ASSERT_GE(screen.size(), 4u);
  // Row 0 is the title; the list's first rows follow.
  EXPECT_EQ(screen[1].substr(0, 17), L" Sine 1 Frequency");
  EXPECT_EQ(screen[1].substr(56, 9), L"1000.00Hz");
  EXPECT_EQ(screen[2].substr(0, 2), L"\u25B8S");
  EXPECT_EQ(screen[2].substr(56, 9), L"1001.00Hz");
  EXPECT_EQ(screen[23].substr(1, 18), L"Sine 23 Frequency ");  // the last visible row
  for (int column : {1, 40, 60}) {
    EXPECT_TRUE(ScreenAttributesAt(column, 1) & kCellInverse) << column;
    EXPECT_TRUE(ScreenAttributesAt(column, 2) & kCellInverse) << column;
    EXPECT_FALSE(ScreenAttributesAt(column, 3) & kCellInverse) << column;
  }
  // Moving past the bottom scrolls the focused row into view.
  Key(VK_END);
  Pump();
  screen = DumpScreen();
  EXPECT_EQ(screen[23].substr(0, 18), L"\u25B8Sine 30 Frequency");
}

}  // namespace
