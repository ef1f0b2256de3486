// An in-memory screen for tests: keeps the last presented frame and cursor,
// counts flashes, and has no input of its own (tests inject input through the
// window system's session calls). Not thread-safe; the user-interface thread
// owns it.
#pragma once

#include "platform/linux/screen/screen.h"

class HeadlessScreen : public Screen {
 public:
  HeadlessScreen(int columns, int rows, bool utf8 = true);

  int Columns() const override { return frame.Columns(); }
  int Rows() const override { return frame.Rows(); }
  bool IsUtf8() const override { return utf8; }
  void Present(const CellGrid &newFrame, int cursorColumn, int cursorRow) override;
  void Flash() override { ++flashCount; }
  bool UpdateSize() override;
  int InputDescriptor() const override { return -1; }
  void ReadInput(uint64_t, std::vector<InputEvent> &) override {}
  int InputTimeoutMs(uint64_t) const override { return -1; }
  void ExpireInput(uint64_t, std::vector<InputEvent> &) override {}

  // Takes effect at the next UpdateSize, as a terminal's size does after
  // SIGWINCH.
  void SetPendingSize(int columns, int rows);

  const CellGrid &Frame() const { return frame; }
  int CursorColumn() const { return cursorColumn; }
  int CursorRow() const { return cursorRow; }
  int FlashCount() const { return flashCount; }
  int PresentCount() const { return presentCount; }

 private:
  CellGrid frame;
  bool utf8;
  int pendingColumns;
  int pendingRows;
  int cursorColumn = -1;
  int cursorRow = -1;
  int flashCount = 0;
  int presentCount = 0;
};
