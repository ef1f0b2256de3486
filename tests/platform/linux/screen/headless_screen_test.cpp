#include "platform/linux/screen/headless_screen.h"

#include <gtest/gtest.h>

namespace {

TEST(CellGrid, RowTextSkipsTheRightHalfOfWideCharactersAndIgnoresBadRows) {
  CellGrid grid(4, 2);
  grid.At(0, 0) = Cell{L'\x4e2d', kCellNormal};
  grid.At(1, 0) = Cell{kWideTail, kCellNormal};
  grid.At(2, 0) = Cell{L'x', kCellInverse};
  EXPECT_EQ(grid.RowText(0), L"\x4e2dx ");
  EXPECT_EQ(grid.RowText(1), L"    ");
  EXPECT_EQ(grid.RowText(2), L"");
  EXPECT_EQ(grid.RowText(-1), L"");
  EXPECT_FALSE(grid.Contains(4, 0));
  EXPECT_FALSE(grid.Contains(0, -1));
}

TEST(CellGrid, CharacterColumnsDropsControlCharacters) {
  const struct {
    wchar_t ch;
    int columns;
  } cases[] = {{L'a', 1}, {L'\t', 0}, {L'\x7f', 0}, {L'\x85', 0}, {L'\x25b6', 1}, {L'\x25a0', 1}};
  for (const auto &c : cases) EXPECT_EQ(CharacterColumns(c.ch), c.columns) << static_cast<int>(c.ch);
}

TEST(HeadlessScreen, TakesANewSizeOnlyWhenAskedAsATerminalDoesOnResize) {
  HeadlessScreen screen(10, 5);
  EXPECT_FALSE(screen.UpdateSize());
  screen.SetPendingSize(20, 6);
  EXPECT_EQ(screen.Columns(), 10);
  EXPECT_TRUE(screen.UpdateSize());
  EXPECT_EQ(screen.Columns(), 20);
  EXPECT_EQ(screen.Rows(), 6);
  EXPECT_FALSE(screen.UpdateSize());
}

TEST(HeadlessScreen, KeepsThePresentedFrameCursorAndFlashes) {
  HeadlessScreen screen(3, 1);
  CellGrid frame(3, 1);
  frame.At(1, 0) = Cell{L'z', kCellBold};
  screen.Present(frame, 2, 0);
  screen.Flash();
  EXPECT_EQ(screen.Frame().RowText(0), L" z ");
  EXPECT_EQ(screen.Frame().At(1, 0).attr, kCellBold);
  EXPECT_EQ(screen.CursorColumn(), 2);
  EXPECT_EQ(screen.FlashCount(), 1);
  EXPECT_EQ(screen.PresentCount(), 1);
}

}  // namespace
