#include "platform/linux/screen/terminal_input_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

InputEvent Key(unsigned vk, bool shift = false, bool ctrl = false, bool alt = false) {
  KeyEvent key;
  key.vk = vk;
  key.shift = shift;
  key.ctrl = ctrl;
  key.alt = alt;
  return InputEvent::FromKey(key);
}

InputEvent Char(wchar_t ch) { return InputEvent::FromKey(CharacterKey(ch)); }

InputEvent AltChar(wchar_t ch) {
  KeyEvent key = CharacterKey(ch);
  key.alt = true;
  return InputEvent::FromKey(key);
}

// Alt and a small letter as a stock xterm sends it: the letter + 0x80.
InputEvent Meta(wchar_t letter) {
  KeyEvent key = CharacterKey(letter);
  key.alt = true;
  key.metaTyped = static_cast<wchar_t>(letter + 0x80);
  return InputEvent::FromKey(key);
}

InputEvent Mouse(MouseAction action, int column, int row, bool shift = false, bool ctrl = false,
                 bool doubleClick = false) {
  MouseEvent mouse;
  mouse.action = action;
  mouse.column = column;
  mouse.row = row;
  mouse.shift = shift;
  mouse.ctrl = ctrl;
  mouse.doubleClick = doubleClick;
  return InputEvent::FromMouse(mouse);
}

std::vector<InputEvent> Parse(const std::string &bytes) {
  TerminalInputParser parser;
  std::vector<InputEvent> out;
  parser.Feed(bytes, 1000, out);
  parser.Expire(1000 + TerminalInputParser::kEscapeTimeoutMs, out);
  return out;
}

struct Case {
  const char *name;
  std::string bytes;
  std::vector<InputEvent> expected;
};

TEST(TerminalInputParser, DecodesEveryKeyAndMouseReportTheProgramUses) {
  const Case cases[] = {
      {"lower letter", "p", {Char(L'p')}},
      {"capital letter is shifted", "P", {Char(L'P')}},
      {"plus and minus", "+-", {Char(L'+'), Char(L'-')}},
      {"digits and space", "7 ", {Char(L'7'), Char(L' ')}},
      {"enter as CR", "\r", {Key(VK_RETURN)}},
      {"enter as LF", "\n", {Key(VK_RETURN)}},
      {"tab", "\t", {Key(VK_TAB)}},
      {"shift tab", "\x1b[Z", {Key(VK_TAB, true)}},
      {"backspace as DEL", "\x7f", {Key(VK_BACK)}},
      {"backspace as BS", "\x08", {Key(VK_BACK)}},
      {"ctrl q", "\x11", {Key('Q', false, true)}},
      {"ctrl c arrives as a key", "\x03", {Key('C', false, true)}},
      {"up", "\x1b[A", {Key(VK_UP)}},
      {"down in application mode", "\x1bOB", {Key(VK_DOWN)}},
      {"right and left", "\x1b[C\x1b[D", {Key(VK_RIGHT), Key(VK_LEFT)}},
      {"shift up", "\x1b[1;2A", {Key(VK_UP, true)}},
      {"shift down", "\x1b[1;2B", {Key(VK_DOWN, true)}},
      {"ctrl right", "\x1b[1;5C", {Key(VK_RIGHT, false, true)}},
      {"ctrl shift alt left", "\x1b[1;8D", {Key(VK_LEFT, true, true, true)}},
      {"home CSI H", "\x1b[H", {Key(VK_HOME)}},
      {"end CSI F", "\x1b[F", {Key(VK_END)}},
      {"home SS3", "\x1bOH", {Key(VK_HOME)}},
      {"home tilde 1 and 7", "\x1b[1~\x1b[7~", {Key(VK_HOME), Key(VK_HOME)}},
      {"end tilde 4 and 8", "\x1b[4~\x1b[8~", {Key(VK_END), Key(VK_END)}},
      {"page up and down", "\x1b[5~\x1b[6~", {Key(VK_PRIOR), Key(VK_NEXT)}},
      {"delete and insert", "\x1b[3~\x1b[2~", {Key(VK_DELETE), Key(VK_INSERT)}},
      {"shift delete", "\x1b[3;2~", {Key(VK_DELETE, true)}},
      {"F1 xterm", "\x1bOP", {Key(VK_F1)}},
      {"F1 vt220", "\x1b[11~", {Key(VK_F1)}},
      {"F1 linux console", "\x1b[[A", {Key(VK_F1)}},
      {"F10", "\x1b[21~", {Key(VK_F10)}},
      {"F12", "\x1b[24~", {Key(VK_F12)}},
      {"alt f", "\x1b"
                "f",
       {AltChar(L'f')}},
      {"alt t and alt h", "\x1bt\x1bh", {AltChar(L't'), AltChar(L'h')}},
      {"alt shift F", "\x1b"
                      "F",
       {AltChar(L'F')}},
      {"lone esc after the time-out", "\x1b", {Key(VK_ESCAPE)}},
      {"esc esc", "\x1b\x1b", {Key(VK_ESCAPE), Key(VK_ESCAPE)}},
      {"two-byte UTF-8", "\xc3\x89", {Char(L'\xc9')}},
      {"three-byte UTF-8", "\xe2\x96\xb6", {Char(L'\x25b6')}},
      {"invalid UTF-8 lead is dropped", "\xff"
                                        "a",
       {Char(L'a')}},
      {"overlong UTF-8 is dropped", "\xc0\xaf"
                                    "b",
       {Char(L'b')}},
      {"keys run together", "ab\x1b[A\r", {Char(L'a'), Char(L'b'), Key(VK_UP), Key(VK_RETURN)}},
      {"unknown CSI is swallowed", "\x1b[99x"
                                   "q",
       {Char(L'q')}},
      {"bracketed paste markers are swallowed", "\x1b[200~z\x1b[201~", {Char(L'z')}},
      {"SGR left press", "\x1b[<0;5;3M", {Mouse(MouseAction::LeftDown, 4, 2)}},
      {"SGR left release", "\x1b[<0;5;3m", {Mouse(MouseAction::LeftUp, 4, 2)}},
      {"SGR shift click", "\x1b[<4;1;1M", {Mouse(MouseAction::LeftDown, 0, 0, true)}},
      {"SGR ctrl click", "\x1b[<16;10;20M", {Mouse(MouseAction::LeftDown, 9, 19, false, true)}},
      {"SGR right press", "\x1b[<2;2;2M", {Mouse(MouseAction::RightDown, 1, 1)}},
      {"SGR wheel", "\x1b[<64;3;4M\x1b[<65;3;4M",
       {Mouse(MouseAction::WheelUp, 2, 3), Mouse(MouseAction::WheelDown, 2, 3)}},
      {"SGR beyond column 223", "\x1b[<0;300;2M", {Mouse(MouseAction::LeftDown, 299, 1)}},
      {"SGR middle button ignored", "\x1b[<1;2;2M", {}},
      {"SGR malformed is swallowed", "\x1b[<0;5M"
                                     "k",
       {Char(L'k')}},
      {"legacy mouse press", std::string("\x1b[M") + char(32) + char(33 + 4) + char(33 + 2),
       {Mouse(MouseAction::LeftDown, 4, 2)}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Parse(c.bytes), c.expected);
  }
}

TEST(TerminalInputParser, SequencesSplitAcrossReadsAreJoined) {
  const std::vector<std::string> pieces[] = {
      {"\x1b", "[A"}, {"\x1b[", "A"}, {"\x1b[1;", "2A"}, {"\x1b[<0;5", ";3M"}, {"\xe2\x96", "\xb6"},
  };
  const InputEvent expected[] = {Key(VK_UP), Key(VK_UP), Key(VK_UP, true), Mouse(MouseAction::LeftDown, 4, 2),
                                 Char(L'\x25b6')};
  for (size_t i = 0; i < std::size(pieces); ++i) {
    SCOPED_TRACE(i);
    TerminalInputParser parser;
    std::vector<InputEvent> out;
    uint64_t now = 0;
    for (const std::string &piece : pieces[i]) parser.Feed(piece, now += 10, out);
    EXPECT_EQ(out, std::vector<InputEvent>{expected[i]});
    EXPECT_EQ(parser.TimeoutMs(now), -1);
  }
}

// A sequence too long to be one is refused the same whether it arrives in one
// read or byte by byte, final byte and all.
TEST(TerminalInputParser, AnOverlongSequenceIsRefusedWhereverTheReadsCutIt) {
  std::string overlong = "\x1b[";
  for (int i = 0; i < 25; ++i) overlong += "1;";
  overlong += "A";
  TerminalInputParser whole;
  std::vector<InputEvent> wholeOut;
  whole.Feed(overlong, 0, wholeOut);
  TerminalInputParser byByte;
  std::vector<InputEvent> byByteOut;
  for (char c : overlong) byByte.Feed(std::string(1, c), 0, byByteOut);
  EXPECT_EQ(byByteOut, wholeOut);
  EXPECT_EQ(std::count(wholeOut.begin(), wholeOut.end(), Key(VK_UP)), 0);
}

TEST(TerminalInputParser, EscapeWaitsForItsTimeOutBeforeCountingAsEsc) {
  TerminalInputParser parser;
  std::vector<InputEvent> out;
  parser.Feed("\x1b", 100, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(parser.TimeoutMs(100), static_cast<int>(TerminalInputParser::kEscapeTimeoutMs));
  EXPECT_EQ(parser.TimeoutMs(130), static_cast<int>(TerminalInputParser::kEscapeTimeoutMs) - 30);
  parser.Expire(149, out);
  EXPECT_TRUE(out.empty());
  parser.Expire(150, out);
  EXPECT_EQ(out, std::vector<InputEvent>{Key(VK_ESCAPE)});
  EXPECT_EQ(parser.TimeoutMs(150), -1);
}

TEST(TerminalInputParser, ALetterAfterTheTimeOutIsNotAlt) {
  TerminalInputParser parser;
  std::vector<InputEvent> out;
  parser.Feed("\x1b", 0, out);
  parser.Feed("f", 200, out);  // nobody called Expire in between
  EXPECT_EQ(out, (std::vector<InputEvent>{Key(VK_ESCAPE), Char(L'f')}));
}

TEST(TerminalInputParser, AnUnfinishedSequenceTimesOutAsAltOfItsSecondByte) {
  TerminalInputParser parser;
  std::vector<InputEvent> out;
  parser.Feed("\x1b[", 0, out);
  parser.Expire(TerminalInputParser::kEscapeTimeoutMs, out);
  EXPECT_EQ(out, std::vector<InputEvent>{AltChar(L'[')});
}

TEST(TerminalInputParser, DoubleClickNeedsTheSameCellWithinTheTime) {
  struct Press {
    uint64_t atMs;
    int column;
    int row;
    bool expectDouble;
  };
  struct Sequence {
    const char *name;
    std::vector<Press> presses;
  };
  const uint64_t limit = TerminalInputParser::kDoubleClickMs;
  const Sequence sequences[] = {
      {"quick second press", {{0, 3, 3, false}, {200, 3, 3, true}}},
      {"at the limit", {{0, 3, 3, false}, {limit, 3, 3, true}}},
      {"too slow", {{0, 3, 3, false}, {limit + 1, 3, 3, false}}},
      {"another cell", {{0, 3, 3, false}, {100, 4, 3, false}}},
      {"third press starts afresh", {{0, 1, 1, false}, {100, 1, 1, true}, {200, 1, 1, false}, {300, 1, 1, true}}},
  };
  for (const Sequence &s : sequences) {
    SCOPED_TRACE(s.name);
    TerminalInputParser parser;
    for (const Press &p : s.presses) {
      std::vector<InputEvent> out;
      std::string press = "\x1b[<0;" + std::to_string(p.column + 1) + ";" + std::to_string(p.row + 1) + "M";
      std::string release = "\x1b[<0;" + std::to_string(p.column + 1) + ";" + std::to_string(p.row + 1) + "m";
      parser.Feed(press + release, p.atMs, out);
      ASSERT_EQ(out.size(), 2u);
      EXPECT_EQ(out[0], Mouse(MouseAction::LeftDown, p.column, p.row, false, false, p.expectDouble));
      EXPECT_EQ(out[1].mouse.action, MouseAction::LeftUp);
    }
  }
}

TEST(TerminalInputParser, WithoutUtf8BytesAreLatin1) {
  TerminalInputParser parser(false);
  std::vector<InputEvent> out;
  parser.Feed("\xc9", 0, out);
  EXPECT_EQ(out, std::vector<InputEvent>{Char(L'\xc9')});
}

// A stock xterm (8-bit input, no metaSendsEscape) sends Alt+letter as the
// letter + 0x80: a Latin-1 byte, or in a UTF-8 locale that character's
// encoding. Only the small letters are taken for Alt; the characters around
// them are typed for themselves.
TEST(TerminalInputParser, EightBitMetaIsAltOfTheSmallLetter) {
  struct MetaCase {
    const char *name;
    bool utf8;
    std::string bytes;
    std::vector<InputEvent> expected;
  };
  const MetaCase cases[] = {
      {"alt t in UTF-8 (o circumflex)", true, "\xc3\xb4", {Meta(L't')}},
      {"alt f in UTF-8", true, "\xc3\xa6", {Meta(L'f')}},
      {"alt h in Latin-1", false, "\xe8", {Meta(L'h')}},
      {"alt a, the first letter", true, "\xc3\xa1", {Meta(L'a')}},
      {"alt z, the last letter, in Latin-1", false, "\xfa", {Meta(L'z')}},
      {"alt t between typed keys", true, "p\xc3\xb4\x1b[A", {Char(L'p'), Meta(L't'), Key(VK_UP)}},
      {"alt t split across reads", true, "\xc3|\xb4", {Meta(L't')}},
      {"a grave accent (alt backquote) is typed", true, "\xc3\xa0", {Char(L'\xe0')}},
      {"a capital O circumflex is typed", true, "\xc3\x94", {Char(L'\xd4')}},
      {"y diaeresis past z is typed", false, "\xff", {Char(L'\xff')}},
  };
  for (const MetaCase &c : cases) {
    SCOPED_TRACE(c.name);
    TerminalInputParser parser(c.utf8);
    std::vector<InputEvent> out;
    // '|' marks where one read ends and the next begins.
    size_t start = 0;
    for (size_t cut; (cut = c.bytes.find('|', start)) != std::string::npos; start = cut + 1) {
      parser.Feed(std::string_view(c.bytes).substr(start, cut - start), 1000, out);
    }
    parser.Feed(std::string_view(c.bytes).substr(start), 1000, out);
    parser.Expire(1000 + TerminalInputParser::kEscapeTimeoutMs, out);
    EXPECT_EQ(out, c.expected);
  }
}

}  // namespace
