#include <cwchar>

#include "platform/linux/screen/screen.h"

void CellGrid::Resize(int newColumns, int newRows) {
  columns = newColumns < 0 ? 0 : newColumns;
  rows = newRows < 0 ? 0 : newRows;
  cells.assign(static_cast<size_t>(columns) * rows, Cell{});
}

void CellGrid::Fill(const Cell &cell) {
  for (Cell &c : cells) c = cell;
}

std::wstring CellGrid::RowText(int row) const {
  std::wstring text;
  if (row < 0 || row >= rows) return text;
  for (int column = 0; column < columns; ++column) {
    wchar_t ch = At(column, row).ch;
    if (ch != kWideTail) text.push_back(ch);
  }
  return text;
}

int CharacterColumns(wchar_t ch) {
  if (ch < 0x20 || (ch >= 0x7f && ch < 0xa0)) return 0;
  if (ch < 0x7f) return 1;
  // wcwidth depends on LC_CTYPE; the block and arrow characters the controls
  // use are single-width everywhere, so only answer 2 where wcwidth insists.
  int width = wcwidth(ch);
  if (width < 0) return 1;
  return width;
}
