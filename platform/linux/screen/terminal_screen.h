// The terminal as the screen, through ncursesw for output. Input is read from
// standard input as raw bytes and decoded by TerminalInputParser, not by
// curses, so that keys and mouse reports decode the same way everywhere.
// One per process; made and destroyed on the user-interface thread.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/screen/screen.h"
#include "platform/linux/screen/terminal_input_parser.h"

class TerminalScreen : public Screen {
 public:
  // Null, with a one-line reason (no program name, no full stop), when
  // standard input or output is not a terminal or curses cannot start on it.
  static std::unique_ptr<TerminalScreen> Open(std::string *error);
  ~TerminalScreen() override;

  int Columns() const override { return columns; }
  int Rows() const override { return rows; }
  bool IsUtf8() const override { return utf8; }
  void Present(const CellGrid &frame, int cursorColumn, int cursorRow) override;
  void Flash() override;
  bool UpdateSize() override;
  int InputDescriptor() const override { return closed ? -1 : 0; }
  void ReadInput(uint64_t nowMs, std::vector<InputEvent> &out) override;
  int InputTimeoutMs(uint64_t nowMs) const override { return parser.TimeoutMs(nowMs); }
  void ExpireInput(uint64_t nowMs, std::vector<InputEvent> &out) override { parser.Expire(nowMs, out); }
  bool InputClosed() const override { return closed; }

 private:
  TerminalScreen(int columns, int rows, bool utf8);

  int columns;
  int rows;
  bool utf8;
  bool closed = false;
  TerminalInputParser parser;
  CellGrid shown;  // what the terminal shows, to send only changed cells
  bool cursorVisible = false;
};

// Gives the terminal back from a signal handler: mouse reporting off, cursor
// on, the saved terminal modes restored. Only async-signal-safe calls; does
// nothing when no TerminalScreen is open.
void EmergencyRestoreTerminal();
