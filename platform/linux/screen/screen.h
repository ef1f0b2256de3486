// The screen the window system draws on: a grid of character cells with
// attributes, and the keyboard and mouse input that comes with it. Implemented
// by the terminal (ncursesw) and by an in-memory grid for tests. Knows nothing
// of windows; the window system composes its windows into a CellGrid and hands
// the whole frame over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/screen/input_event.h"

// One terminal cell stands for this many pixels of the window system's
// coordinates, so that pixel geometry (a 26-pixel menu bar) maps to whole rows.
constexpr int kCellWidthPx = 8;
constexpr int kCellHeightPx = 13;

// Cell attributes, combinable.
enum : uint8_t {
  kCellNormal = 0,
  kCellInverse = 1,
  kCellDim = 2,
  kCellBold = 4,
  kCellUnderline = 8,
};

// The right half of a double-width character.
constexpr wchar_t kWideTail = 0;

struct Cell {
  wchar_t ch = L' ';
  uint8_t attr = kCellNormal;
  bool operator==(const Cell &) const = default;
};

// A rectangle of cells, row-major. Writes outside it are dropped.
class CellGrid {
 public:
  CellGrid() = default;
  CellGrid(int columns, int rows) { Resize(columns, rows); }

  void Resize(int columns, int rows);
  int Columns() const { return columns; }
  int Rows() const { return rows; }

  const Cell &At(int column, int row) const { return cells[static_cast<size_t>(row) * columns + column]; }
  Cell &At(int column, int row) { return cells[static_cast<size_t>(row) * columns + column]; }
  bool Contains(int column, int row) const { return column >= 0 && row >= 0 && column < columns && row < rows; }

  void Fill(const Cell &cell);

  // The row as text; a double-width character appears once, attributes dropped.
  std::wstring RowText(int row) const;

 private:
  int columns = 0;
  int rows = 0;
  std::vector<Cell> cells;
};

// Display columns a character takes: 1 or 2; 0 for combining and control
// characters, which the window system drops.
int CharacterColumns(wchar_t ch);

class Screen {
 public:
  virtual ~Screen() = default;

  virtual int Columns() const = 0;
  virtual int Rows() const = 0;
  // False on a terminal whose locale is not UTF-8: the controls then draw their
  // ASCII fallbacks.
  virtual bool IsUtf8() const = 0;

  // Shows a frame of exactly Columns() × Rows() cells, with the cursor at a
  // cell (an edit box's caret) or hidden when cursorColumn < 0.
  virtual void Present(const CellGrid &frame, int cursorColumn, int cursorRow) = 0;
  // A visible bell: the answer to "come to the front" from a second start.
  virtual void Flash() = 0;

  // Re-reads the size after the terminal was resized; true when it changed.
  virtual bool UpdateSize() = 0;

  // The descriptor to poll for input, or -1 when input only arrives by other
  // means (the headless screen's injection).
  virtual int InputDescriptor() const = 0;
  // Reads what input is available without blocking and appends the decoded
  // events. nowMs is a monotonic time in milliseconds.
  virtual void ReadInput(uint64_t nowMs, std::vector<InputEvent> &out) = 0;
  // Milliseconds after which ExpireInput must be called because a lone Esc may
  // still turn out to start a sequence; -1 when nothing is pending.
  virtual int InputTimeoutMs(uint64_t nowMs) const = 0;
  virtual void ExpireInput(uint64_t nowMs, std::vector<InputEvent> &out) = 0;
  // True once the input has ended (the terminal hung up).
  virtual bool InputClosed() const { return false; }
};
