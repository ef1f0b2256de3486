// Keyboard and mouse events as the terminal's input decoder yields them and as
// tests inject them, before the window system turns them into messages. Key
// codes are the window system's virtual-key codes (virtual_keys.h).
#pragma once

#include <cstdint>

#include "platform/linux/screen/virtual_keys.h"

struct KeyEvent {
  // VK_ code of the key. A printable character carries the code of its key
  // where there is an obvious one ('A'..'Z', '0'..'9', VK_SPACE, VK_OEM_PLUS,
  // VK_OEM_MINUS, VK_OEM_COMMA, VK_OEM_PERIOD), otherwise 0; test `ch` for
  // characters and `vk` for named keys.
  unsigned vk = 0;
  // The character of the key, 0 for keys that have none (arrows, F-keys,
  // Ctrl+key, Enter, Tab, Backspace, Esc). With Alt it is still set, though
  // the key then types nothing (no WM_CHAR).
  wchar_t ch = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  // Alt+letter as a stock xterm sends it (8-bit input, no metaSendsEscape):
  // the letter with the top bit set, which is also a character of its own
  // (Alt+T is ô). The event is Alt+letter; this keeps the character, which a
  // text box takes instead, as it would take any typed ô. 0 otherwise.
  wchar_t metaTyped = 0;

  bool operator==(const KeyEvent &) const = default;
};

enum class MouseAction : uint8_t { LeftDown, LeftUp, RightDown, RightUp, WheelUp, WheelDown, Move };

struct MouseEvent {
  MouseAction action = MouseAction::LeftDown;
  int column = 0;  // 0-based terminal cell
  int row = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  // A LeftDown close enough in time and place to the one before it.
  bool doubleClick = false;

  bool operator==(const MouseEvent &) const = default;
};

struct InputEvent {
  enum class Type : uint8_t { Key, Mouse };
  Type type = Type::Key;
  KeyEvent key;
  MouseEvent mouse;

  static InputEvent FromKey(const KeyEvent &k) {
    InputEvent e;
    e.type = Type::Key;
    e.key = k;
    return e;
  }
  static InputEvent FromMouse(const MouseEvent &m) {
    InputEvent e;
    e.type = Type::Mouse;
    e.mouse = m;
    return e;
  }
  bool operator==(const InputEvent &) const = default;
};
