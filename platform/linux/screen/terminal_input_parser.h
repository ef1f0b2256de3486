// Turns the bytes a terminal sends (xterm-style keys, SGR mouse reports,
// UTF-8 text) into key and mouse events. Fed bytes and the time they arrived,
// so it runs without a terminal; it never reads the clock itself.
// Not a general terminfo decoder: it knows the sequences xterm, tmux, the
// Linux console and their relatives send for the keys the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/screen/input_event.h"

class TerminalInputParser {
 public:
  // A lone Esc is held this long in case it starts a sequence or an Alt key.
  static constexpr uint64_t kEscapeTimeoutMs = 50;
  // Two left presses on one cell within this time make a double click.
  static constexpr uint64_t kDoubleClickMs = 500;

  explicit TerminalInputParser(bool utf8 = true) : utf8(utf8) {}

  void Feed(std::string_view bytes, uint64_t nowMs, std::vector<InputEvent> &out);
  // Milliseconds until Expire has something to do; -1 when nothing is held.
  int TimeoutMs(uint64_t nowMs) const;
  // Once the time-out has passed, what is held is taken as typed: a lone Esc
  // as the Esc key, Esc and one character as Alt and that character.
  void Expire(uint64_t nowMs, std::vector<InputEvent> &out);

 private:
  enum class Parse { Done, NeedMore, Invalid };
  Parse ParseOne(std::string_view bytes, size_t *used, uint64_t nowMs, std::vector<InputEvent> &out);
  Parse ParseEscape(std::string_view bytes, size_t *used, uint64_t nowMs, std::vector<InputEvent> &out);
  Parse ParseCsi(std::string_view bytes, size_t *used, uint64_t nowMs, std::vector<InputEvent> &out);
  void EmitMouse(int button, int column, int row, bool press, uint64_t nowMs, std::vector<InputEvent> &out);
  void Flush(std::vector<InputEvent> &out);

  bool utf8;
  std::string pending;
  uint64_t pendingSinceMs = 0;
  bool haveLastClick = false;
  bool lastClickWasDouble = false;
  int lastClickColumn = 0;
  int lastClickRow = 0;
  uint64_t lastClickMs = 0;
};

// The key event of a printable character: its key code (see KeyEvent) and
// Shift for capital letters.
KeyEvent CharacterKey(wchar_t ch);
