#include "platform/linux/screen/headless_screen.h"

HeadlessScreen::HeadlessScreen(int columns, int rows, bool utf8)
    : frame(columns, rows), utf8(utf8), pendingColumns(columns), pendingRows(rows) {}

void HeadlessScreen::Present(const CellGrid &newFrame, int newCursorColumn, int newCursorRow) {
  frame = newFrame;
  cursorColumn = newCursorColumn;
  cursorRow = newCursorRow;
  ++presentCount;
}

bool HeadlessScreen::UpdateSize() {
  if (pendingColumns == frame.Columns() && pendingRows == frame.Rows()) return false;
  frame.Resize(pendingColumns, pendingRows);
  return true;
}

void HeadlessScreen::SetPendingSize(int columns, int rows) {
  pendingColumns = columns;
  pendingRows = rows;
}
