#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/controls/list_view_model.h"

namespace {

using Change = ListViewModel::Change;
constexpr UINT S = LVIS_SELECTED, F = LVIS_FOCUSED;

}  // namespace

void PrintTo(const Change &c, std::ostream *os) {
  *os << "{item " << c.item << ", " << c.oldState << " -> " << c.newState << ", lParam " << c.lParam << "}";
}

namespace {

// A model of `rows` rows whose item data is 0x100 + index, recording changes.
struct Fixture {
  ListViewModel model;
  std::vector<Change> changes;

  explicit Fixture(int rows) {
    model.onChange = [this](const Change &change) { changes.push_back(change); };
    for (int i = 0; i < rows; ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = i;
      std::wstring label = L"row " + std::to_wstring(i);
      item.pszText = label.data();
      item.lParam = 0x100 + i;
      model.InsertItem(item);
    }
  }

  std::vector<int> Selected() const {
    std::vector<int> rows;
    for (int i = model.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = model.GetNextItem(i, LVNI_SELECTED)) rows.push_back(i);
    return rows;
  }
};

enum class Action { Move, Extend, Toggle, Click, CtrlClick, ShiftClick };

struct Step {
  Action action;
  int item;
  std::vector<int> selected;
  int focused;
  std::vector<Change> changes;
};

void Apply(ListViewModel &model, const Step &step) {
  switch (step.action) {
    case Action::Move: model.MoveFocusTo(step.item, false); break;
    case Action::Extend: model.MoveFocusTo(step.item, true); break;
    case Action::Toggle: model.ToggleItem(step.item); break;
    case Action::Click: model.Click(step.item, false, false); break;
    case Action::CtrlClick: model.Click(step.item, true, false); break;
    case Action::ShiftClick: model.Click(step.item, false, true); break;
  }
}

TEST(ListViewModel, SelectionAndFocusFollowTheUser) {
  const Step steps[] = {
      {Action::Move, 0, {0}, 0, {{0, 0, S | F, 0x100}}},
      {Action::Move, 1, {1}, 1, {{0, S | F, F, 0x100}, {0, F, 0, 0x100}, {1, 0, S | F, 0x101}}},
      {Action::Extend, 3, {1, 2, 3}, 3, {{2, 0, S, 0x102}, {1, S | F, S, 0x101}, {3, 0, S | F, 0x103}}},
      {Action::Extend, 0, {0, 1}, 0,
       {{2, S, 0, 0x102}, {3, S | F, F, 0x103}, {3, F, 0, 0x103}, {0, 0, S | F, 0x100}}},
      {Action::Toggle, 0, {1}, 0, {{0, S | F, F, 0x100}}},
      {Action::Toggle, 0, {0, 1}, 0, {{0, F, S | F, 0x100}}},
      {Action::CtrlClick, 4, {0, 1, 4}, 4, {{0, S | F, S, 0x100}, {4, 0, S | F, 0x104}}},
      {Action::ShiftClick, 2, {2, 3, 4}, 2,
       {{0, S, 0, 0x100}, {1, S, 0, 0x101}, {3, 0, S, 0x103}, {4, S | F, S, 0x104}, {2, 0, S | F, 0x102}}},
      {Action::Click, -1, {}, 2, {{2, S | F, F, 0x102}, {3, S, 0, 0x103}, {4, S, 0, 0x104}}},
      {Action::Move, 9, {4}, 4, {{2, F, 0, 0x102}, {4, 0, S | F, 0x104}}},  // clamped to the last row
  };
  Fixture fixture(5);
  int index = 0;
  for (const Step &step : steps) {
    fixture.changes.clear();
    Apply(fixture.model, step);
    // The changes must leave the model where the step says; order matters too.
    EXPECT_EQ(fixture.Selected(), step.selected) << "step " << index;
    EXPECT_EQ(fixture.model.FocusedItem(), step.focused) << "step " << index;
    EXPECT_EQ(fixture.model.SelectedCount(), static_cast<int>(step.selected.size())) << "step " << index;
    EXPECT_EQ(fixture.changes, step.changes) << "step " << index;
    ++index;
  }
}

TEST(ListViewModel, MessagesOnItemsAndStates) {
  Fixture fixture(3);
  ListViewModel &model = fixture.model;

  LVITEMW cell{};
  cell.mask = LVIF_TEXT;
  cell.iItem = 1;
  cell.iSubItem = 1;
  wchar_t value[] = L"1000.00Hz";
  cell.pszText = value;
  EXPECT_TRUE(model.SetItem(cell));
  EXPECT_EQ(model.Text(1, 1), L"1000.00Hz");
  EXPECT_EQ(model.Text(1, 0), L"row 1");
  EXPECT_EQ(model.Text(2, 1), L"");
  cell.iItem = 7;
  EXPECT_FALSE(model.SetItem(cell));

  // Reading a cell cuts to the buffer.
  wchar_t small[5];
  LVITEMW read{};
  read.iSubItem = 1;
  read.pszText = small;
  read.cchTextMax = 5;
  EXPECT_EQ(model.GetItemText(1, &read), 4);
  EXPECT_STREQ(small, L"1000");

  LVITEMW param{};
  param.mask = LVIF_PARAM;
  param.iItem = 2;
  EXPECT_TRUE(model.GetItem(&param));
  EXPECT_EQ(param.lParam, 0x102);

  // Inserting in the middle shifts the focus with its row.
  model.SetItemState(1, F, F);
  LVITEMW insert{};
  insert.mask = LVIF_PARAM;
  insert.iItem = 0;
  insert.lParam = 0x999;
  EXPECT_EQ(model.InsertItem(insert), 0);
  EXPECT_EQ(model.FocusedItem(), 2);
  insert.iItem = 100;  // past the end appends
  EXPECT_EQ(model.InsertItem(insert), 4);
  insert.iSubItem = 1;
  EXPECT_EQ(model.InsertItem(insert), -1);

  // Selecting every row at once, then asking for the focused one.
  fixture.changes.clear();
  EXPECT_TRUE(model.SetItemState(-1, S, S));
  EXPECT_EQ(model.SelectedCount(), 5);
  EXPECT_EQ(fixture.changes.size(), 5u);
  EXPECT_EQ(model.GetNextItem(-1, LVNI_FOCUSED), 2);
  EXPECT_EQ(model.GetNextItem(2, LVNI_FOCUSED), -1);
  EXPECT_EQ(model.GetNextItem(2, LVNI_SELECTED), 3);
  EXPECT_EQ(model.GetItemState(2, S | F), S | F);
  EXPECT_EQ(model.GetItemState(2, S), S);
  EXPECT_EQ(model.GetItemState(9, S), 0u);

  // Focus is unique: setting it elsewhere takes it from row 2 first.
  fixture.changes.clear();
  model.SetItemState(0, F, F);
  ASSERT_EQ(fixture.changes.size(), 2u);
  EXPECT_EQ(fixture.changes[0].item, 2);
  EXPECT_EQ(fixture.changes[1].item, 0);

  fixture.changes.clear();
  model.DeleteAllItems();
  EXPECT_EQ(model.Count(), 0);
  EXPECT_EQ(model.SelectedCount(), 0);
  EXPECT_EQ(model.FocusedItem(), -1);
  EXPECT_TRUE(fixture.changes.empty());
  EXPECT_EQ(model.GetNextItem(-1, LVNI_ALL), -1);
}

TEST(ListViewModel, SingleSelectionKeepsOneRow) {
  Fixture fixture(4);
  fixture.model.singleSelection = true;
  fixture.model.MoveFocusTo(0, false);
  fixture.model.MoveFocusTo(2, true);
  EXPECT_EQ(fixture.Selected(), std::vector<int>{2});
  fixture.model.ToggleItem(3);
  EXPECT_EQ(fixture.Selected(), std::vector<int>{3});
  fixture.model.SetItemState(1, S, S);
  EXPECT_EQ(fixture.Selected(), std::vector<int>{1});
}

}  // namespace
