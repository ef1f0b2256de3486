#include <gtest/gtest.h>

#include "platform/linux/controls/menu.h"

namespace {

// A menu shaped like the program's Tone pop-up: items, a sub-menu of counts,
// and a radio group.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu = CreateMenu();
    tone = CreatePopupMenu();
    counts = CreatePopupMenu();
    for (UINT id = 2101; id <= 2104; ++id) AppendMenuW(counts, MF_STRING, id, L"n");
    AppendMenuW(tone, MF_STRING, 2011, L"Increase Value");
    AppendMenuW(tone, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(tone, MF_POPUP, reinterpret_cast<UINT_PTR>(counts), L"Number of Tones");
    for (UINT id = 3041; id <= 3047; ++id) AppendMenuW(tone, MF_STRING, id, L"w");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(tone), L"Tone");
  }
  void TearDown() override { DestroyMenu(menu); }

  UINT Marks(UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) & (MF_CHECKED | MFT_RADIOCHECK); }

  HMENU menu = nullptr, tone = nullptr, counts = nullptr;
};

TEST_F(MenuTest, EnableAndCheckReturnThePreviousStateAndFindItemsInSubMenus) {
  struct Step {
    UINT id;
    bool enable;  // else check
    UINT flags;
    LONG_PTR previous;
    UINT stateAfter;
  } steps[] = {
      {2011, true, MF_GRAYED, MF_ENABLED, MF_GRAYED},
      {2011, true, MF_GRAYED, MF_GRAYED, MF_GRAYED},
      {2011, true, MF_ENABLED, MF_GRAYED, 0},
      {2103, true, MF_GRAYED, MF_ENABLED, MF_GRAYED},  // inside the sub-menu
      {3051, true, MF_GRAYED, -1, static_cast<UINT>(-1)},  // no such item
      {3045, false, MF_CHECKED, MF_UNCHECKED, MF_CHECKED},
      {3045, false, MF_CHECKED, MF_CHECKED, MF_CHECKED},
      {3045, false, MF_UNCHECKED, MF_CHECKED, 0},
      {9999, false, MF_CHECKED, -1, static_cast<UINT>(-1)},
  };
  for (const Step &step : steps) {
    LONG_PTR previous = step.enable ? EnableMenuItem(menu, step.id, MF_BYCOMMAND | step.flags)
                                    : static_cast<LONG_PTR>(static_cast<int32_t>(CheckMenuItem(menu, step.id, MF_BYCOMMAND | step.flags)));
    EXPECT_EQ(previous, step.previous) << step.id;
    UINT state = GetMenuState(menu, step.id, MF_BYCOMMAND);
    if (step.stateAfter == static_cast<UINT>(-1)) {
      EXPECT_EQ(state, static_cast<UINT>(-1));
    } else {
      EXPECT_EQ(state & (MF_GRAYED | MF_CHECKED), step.stateAfter) << step.id;
    }
  }
}

TEST_F(MenuTest, RadioMarkMovesWithinTheRangeOnly) {
  CheckMenuItem(menu, 2011, MF_CHECKED);
  struct Case {
    UINT first, last, check;
    BOOL result;
    UINT marked;  // 0: none in range
  } cases[] = {
      {3041, 3047, 3041, TRUE, 3041},
      {3041, 3047, 3047, TRUE, 3047},
      {3041, 3047, 3044, TRUE, 3044},
      // A damaged record asks for a mark outside the group: none is left.
      {3041, 3047, 3048, FALSE, 0},
      {2101, 2104, 2102, TRUE, 2102},  // a group inside a sub-menu
  };
  for (const Case &c : cases) {
    EXPECT_EQ(CheckMenuRadioItem(menu, c.first, c.last, c.check, MF_BYCOMMAND), c.result) << c.check;
    for (UINT id = c.first; id <= c.last; ++id) {
      EXPECT_EQ(Marks(id), id == c.marked ? (MF_CHECKED | MFT_RADIOCHECK) : 0u) << c.check << " item " << id;
    }
  }
  // Items outside the range keep their marks.
  EXPECT_EQ(Marks(2011), MF_CHECKED);
  // A range whose ends are in different menus is refused.
  EXPECT_FALSE(CheckMenuRadioItem(menu, 2101, 3047, 3041, MF_BYCOMMAND));
}

TEST_F(MenuTest, DestroyedOrNullMenusAnswerWithFailure) {
  HMENU lone = CreatePopupMenu();
  ASSERT_TRUE(DestroyMenu(lone));
  for (HMENU dead : {static_cast<HMENU>(nullptr), lone}) {
    EXPECT_EQ(EnableMenuItem(dead, 1, MF_GRAYED), -1);
    EXPECT_EQ(CheckMenuItem(dead, 1, MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_FALSE(CheckMenuRadioItem(dead, 1, 2, 1, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(dead), -1);
    EXPECT_EQ(GetSubMenu(dead, 0), nullptr);
    EXPECT_FALSE(DestroyMenu(dead));
  }
}

}  // namespace
