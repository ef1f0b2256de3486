#include "platform/linux/screen/terminal_input_parser.h"

#include <cstdlib>

namespace {

constexpr char kEsc = 0x1b;

KeyEvent NamedKey(unsigned vk, int modifier = 1) {
  KeyEvent key;
  key.vk = vk;
  // xterm's modifier parameter is 1 + a bit set: 1 Shift, 2 Alt, 4 Ctrl.
  int bits = modifier > 1 ? modifier - 1 : 0;
  key.shift = (bits & 1) != 0;
  key.alt = (bits & 2) != 0;
  key.ctrl = (bits & 4) != 0;
  return key;
}

void EmitKey(const KeyEvent &key, std::vector<InputEvent> &out) { out.push_back(InputEvent::FromKey(key)); }

// A typed character, or Alt and a small letter in xterm's 8-bit meta form:
// the letter + 0x80, U+00E1 (á) to U+00FA (ú), as a Latin-1 byte or, in a
// UTF-8 locale, that code point's encoding. Those characters are also typed
// for themselves, so the event keeps the character for a text box.
KeyEvent TypedKey(uint32_t code) {
  if (code >= 0xe1 && code <= 0xfa) {
    KeyEvent key = CharacterKey(static_cast<wchar_t>(code - 0x80));
    key.alt = true;
    key.metaTyped = static_cast<wchar_t>(code);
    return key;
  }
  return CharacterKey(static_cast<wchar_t>(code));
}

// Splits "1;5" into numbers; an empty field is -1.
std::vector<int> Parameters(std::string_view text) {
  std::vector<int> values;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view field = text.substr(start, end - start);
    if (field.empty()) {
      values.push_back(-1);
    } else {
      int value = 0;
      for (char c : field) {
        if (c < '0' || c > '9') {
          value = -1;
          break;
        }
        if (value < 100000) value = value * 10 + (c - '0');
      }
      values.push_back(value);
    }
    start = end + 1;
  }
  return values;
}

int ParameterOr(const std::vector<int> &values, size_t index, int fallback) {
  if (index >= values.size() || values[index] < 0) return fallback;
  return values[index];
}

unsigned TildeKey(int code) {
  switch (code) {
    case 1:
    case 7:
      return VK_HOME;
    case 2:
      return VK_INSERT;
    case 3:
      return VK_DELETE;
    case 4:
    case 8:
      return VK_END;
    case 5:
      return VK_PRIOR;
    case 6:
      return VK_NEXT;
    case 11:
      return VK_F1;
    case 12:
      return VK_F2;
    case 13:
      return VK_F3;
    case 14:
      return VK_F4;
    case 15:
      return VK_F5;
    case 17:
      return VK_F6;
    case 18:
      return VK_F7;
    case 19:
      return VK_F8;
    case 20:
      return VK_F9;
    case 21:
      return VK_F10;
    case 23:
      return VK_F11;
    case 24:
      return VK_F12;
    default:
      return 0;
  }
}

// Final letters shared by CSI and SS3 sequences.
unsigned LetterKey(char final) {
  switch (final) {
    case 'A':
      return VK_UP;
    case 'B':
      return VK_DOWN;
    case 'C':
      return VK_RIGHT;
    case 'D':
      return VK_LEFT;
    case 'H':
      return VK_HOME;
    case 'F':
      return VK_END;
    case 'P':
      return VK_F1;
    case 'Q':
      return VK_F2;
    case 'R':
      return VK_F3;
    case 'S':
      return VK_F4;
    default:
      return 0;
  }
}

// Length of a UTF-8 sequence from its lead byte, 0 for a byte that cannot lead.
int Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) return 2;
  if (lead >= 0xe0 && lead <= 0xef) return 3;
  if (lead >= 0xf0 && lead <= 0xf4) return 4;
  return 0;
}

}  // namespace

KeyEvent CharacterKey(wchar_t ch) {
  KeyEvent key;
  key.ch = ch;
  if (ch >= L'a' && ch <= L'z') {
    key.vk = static_cast<unsigned>(ch - L'a' + 'A');
  } else if (ch >= L'A' && ch <= L'Z') {
    key.vk = static_cast<unsigned>(ch);
    key.shift = true;
  } else if (ch >= L'0' && ch <= L'9') {
    key.vk = static_cast<unsigned>(ch);
  } else if (ch == L' ') {
    key.vk = VK_SPACE;
  } else if (ch == L'+') {
    key.vk = VK_OEM_PLUS;
  } else if (ch == L'-') {
    key.vk = VK_OEM_MINUS;
  } else if (ch == L',') {
    key.vk = VK_OEM_COMMA;
  } else if (ch == L'.') {
    key.vk = VK_OEM_PERIOD;
  }
  return key;
}

void TerminalInputParser::Feed(std::string_view bytes, uint64_t nowMs, std::vector<InputEvent> &out) {
  // Whatever was held and has timed out was complete before these bytes came.
  if (!pending.empty() && nowMs >= pendingSinceMs + kEscapeTimeoutMs) Flush(out);
  bool wasEmpty = pending.empty();
  pending.append(bytes);
  size_t offset = 0;
  while (offset < pending.size()) {
    size_t used = 0;
    Parse result = ParseOne(std::string_view(pending).substr(offset), &used, nowMs, out);
    if (result == Parse::NeedMore) break;
    if (result == Parse::Invalid) used = 1;
    offset += used;
  }
  pending.erase(0, offset);
  if (pending.empty()) {
    pendingSinceMs = 0;
  } else if (wasEmpty || offset > 0) {
    pendingSinceMs = nowMs;
  }
}

int TerminalInputParser::TimeoutMs(uint64_t nowMs) const {
  if (pending.empty()) return -1;
  uint64_t due = pendingSinceMs + kEscapeTimeoutMs;
  return nowMs >= due ? 0 : static_cast<int>(due - nowMs);
}

void TerminalInputParser::Expire(uint64_t nowMs, std::vector<InputEvent> &out) {
  if (!pending.empty() && nowMs >= pendingSinceMs + kEscapeTimeoutMs) Flush(out);
}

void TerminalInputParser::Flush(std::vector<InputEvent> &out) {
  std::string held;
  held.swap(pending);
  pendingSinceMs = 0;
  if (held.empty() || held[0] != kEsc) return;  // a broken UTF-8 tail: dropped
  if (held.size() == 2 && (held[1] == '[' || held[1] == 'O')) {
    // Alt+[ or Alt+O, which a terminal sends as the start of a sequence.
    KeyEvent key = CharacterKey(static_cast<wchar_t>(held[1]));
    key.alt = true;
    EmitKey(key, out);
    return;
  }
  EmitKey(NamedKey(VK_ESCAPE), out);
  for (size_t i = 1; i < held.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(held[i]);
    if (byte >= 0x20 && byte < 0x7f) EmitKey(CharacterKey(static_cast<wchar_t>(byte)), out);
  }
}

TerminalInputParser::Parse TerminalInputParser::ParseOne(std::string_view bytes, size_t *used, uint64_t nowMs,
                                                         std::vector<InputEvent> &out) {
  unsigned char lead = static_cast<unsigned char>(bytes[0]);
  *used = 1;
  if (lead == kEsc) return ParseEscape(bytes, used, nowMs, out);
  switch (lead) {
    case '\r':
    case '\n':
      EmitKey(NamedKey(VK_RETURN), out);
      return Parse::Done;
    case '\t':
      EmitKey(NamedKey(VK_TAB), out);
      return Parse::Done;
    case 0x7f:
    case 0x08:
      EmitKey(NamedKey(VK_BACK), out);
      return Parse::Done;
    default:
      break;
  }
  if (lead >= 0x01 && lead <= 0x1a) {
    KeyEvent key;
    key.vk = 'A' + (lead - 1);
    key.ctrl = true;
    EmitKey(key, out);
    return Parse::Done;
  }
  if (lead < 0x20) return Parse::Done;  // Ctrl+Space, Ctrl+\ and the like: nothing the program uses
  if (lead < 0x80 || !utf8) {
    // Without UTF-8 the terminal speaks Latin-1, whose bytes are the code points.
    EmitKey(TypedKey(lead), out);
    return Parse::Done;
  }
  int length = Utf8Length(lead);
  if (length == 0) return Parse::Invalid;
  if (bytes.size() < static_cast<size_t>(length)) {
    for (size_t i = 1; i < bytes.size(); ++i) {
      if ((static_cast<unsigned char>(bytes[i]) & 0xc0) != 0x80) return Parse::Invalid;
    }
    return Parse::NeedMore;
  }
  uint32_t code = lead & (0xff >> (length + 1));
  for (int i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xc0) != 0x80) return Parse::Invalid;
    code = (code << 6) | (next & 0x3f);
  }
  static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return Parse::Invalid;
  *used = static_cast<size_t>(length);
  EmitKey(TypedKey(code), out);
  return Parse::Done;
}

TerminalInputParser::Parse TerminalInputParser::ParseEscape(std::string_view bytes, size_t *used, uint64_t nowMs,
                                                            std::vector<InputEvent> &out) {
  if (bytes.size() < 2) return Parse::NeedMore;
  char second = bytes[1];
  if (second == '[') return ParseCsi(bytes, used, nowMs, out);
  if (second == 'O') {
    if (bytes.size() < 3) return Parse::NeedMore;
    *used = 3;
    if (bytes[2] == 'M') {
      EmitKey(NamedKey(VK_RETURN), out);  // keypad Enter in application mode
    } else if (unsigned vk = LetterKey(bytes[2])) {
      EmitKey(NamedKey(vk), out);
    }
    return Parse::Done;
  }
  if (second == kEsc) {
    EmitKey(NamedKey(VK_ESCAPE), out);
    *used = 1;
    return Parse::Done;
  }
  // Esc before a key is how terminals send Alt with it.
  std::vector<InputEvent> inner;
  size_t innerUsed = 0;
  Parse result = ParseOne(bytes.substr(1), &innerUsed, nowMs, inner);
  if (result == Parse::NeedMore) return result;
  if (result == Parse::Invalid) {
    EmitKey(NamedKey(VK_ESCAPE), out);
    *used = 1;
    return Parse::Done;
  }
  for (InputEvent &event : inner) {
    if (event.type == InputEvent::Type::Key) event.key.alt = true;
    out.push_back(event);
  }
  *used = 1 + innerUsed;
  return Parse::Done;
}

TerminalInputParser::Parse TerminalInputParser::ParseCsi(std::string_view bytes, size_t *used, uint64_t nowMs,
                                                         std::vector<InputEvent> &out) {
  constexpr size_t kLongest = 40;
  if (bytes.size() < 3) return Parse::NeedMore;
  if (bytes[2] == 'M') {
    // Legacy mouse report: three bytes each offset by 32.
    if (bytes.size() < 6) return Parse::NeedMore;
    *used = 6;
    int code = static_cast<unsigned char>(bytes[3]) - 32;
    int column = static_cast<unsigned char>(bytes[4]) - 33;
    int row = static_cast<unsigned char>(bytes[5]) - 33;
    bool release = (code & 3) == 3 && (code & 64) == 0;
    EmitMouse(release ? (code & ~3) : code, column, row, !release, nowMs, out);
    return Parse::Done;
  }
  if (bytes[2] == '[') {
    // The Linux console's F1..F5.
    if (bytes.size() < 4) return Parse::NeedMore;
    *used = 4;
    if (bytes[3] >= 'A' && bytes[3] <= 'E') EmitKey(NamedKey(VK_F1 + (bytes[3] - 'A')), out);
    return Parse::Done;
  }
  // Only the first kLongest bytes are looked at, so that a sequence is taken or
  // refused alike however the reads cut it.
  size_t end = 2;
  while (end < bytes.size() && end <= kLongest) {
    unsigned char c = static_cast<unsigned char>(bytes[end]);
    if (c >= 0x40 && c <= 0x7e) break;
    if (c < 0x20 || c > 0x3f) return Parse::Invalid;  // not a sequence after all
    ++end;
  }
  if (end > kLongest) return Parse::Invalid;
  if (end >= bytes.size()) return Parse::NeedMore;
  *used = end + 1;
  char final = bytes[end];
  std::string_view body = bytes.substr(2, end - 2);
  if (!body.empty() && body[0] == '<') {
    if (final != 'M' && final != 'm') return Parse::Done;
    std::vector<int> values = Parameters(body.substr(1));
    if (values.size() != 3 || values[0] < 0 || values[1] < 1 || values[2] < 1) return Parse::Done;
    EmitMouse(values[0], values[1] - 1, values[2] - 1, final == 'M', nowMs, out);
    return Parse::Done;
  }
  if (!body.empty() && (body[0] < '0' || body[0] > ';')) return Parse::Done;  // private replies
  std::vector<int> values = Parameters(body);
  if (final == '~') {
    if (unsigned vk = TildeKey(ParameterOr(values, 0, 0))) EmitKey(NamedKey(vk, ParameterOr(values, 1, 1)), out);
    return Parse::Done;
  }
  if (final == 'Z') {
    KeyEvent key = NamedKey(VK_TAB);
    key.shift = true;
    EmitKey(key, out);
    return Parse::Done;
  }
  if (unsigned vk = LetterKey(final)) EmitKey(NamedKey(vk, ParameterOr(values, 1, 1)), out);
  return Parse::Done;
}

void TerminalInputParser::EmitMouse(int code, int column, int row, bool press, uint64_t nowMs,
                                    std::vector<InputEvent> &out) {
  if (column < 0 || row < 0) return;
  MouseEvent mouse;
  mouse.column = column;
  mouse.row = row;
  mouse.shift = (code & 4) != 0;
  mouse.alt = (code & 8) != 0;
  mouse.ctrl = (code & 16) != 0;
  int button = code & 3;
  if (code & 64) {
    if (!press) return;
    if (button == 0) {
      mouse.action = MouseAction::WheelUp;
    } else if (button == 1) {
      mouse.action = MouseAction::WheelDown;
    } else {
      return;
    }
  } else if (code & 32) {
    mouse.action = MouseAction::Move;
  } else if (button == 0) {
    mouse.action = press ? MouseAction::LeftDown : MouseAction::LeftUp;
  } else if (button == 2) {
    mouse.action = press ? MouseAction::RightDown : MouseAction::RightUp;
  } else {
    return;  // the middle button does nothing here
  }
  if (mouse.action == MouseAction::LeftDown) {
    bool isDouble = haveLastClick && !lastClickWasDouble && column == lastClickColumn && row == lastClickRow &&
                    nowMs >= lastClickMs && nowMs - lastClickMs <= kDoubleClickMs;
    mouse.doubleClick = isDouble;
    haveLastClick = true;
    lastClickWasDouble = isDouble;
    lastClickColumn = column;
    lastClickRow = row;
    lastClickMs = nowMs;
  }
  out.push_back(InputEvent::FromMouse(mouse));
}
