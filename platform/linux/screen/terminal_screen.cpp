#include "platform/linux/screen/terminal_screen.h"

#include <langinfo.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstring>

#include <curses.h>

namespace {

// Saved before curses changes anything; read by the crash handler.
struct termios g_savedModes;
std::atomic<bool> g_terminalTaken{false};

// xterm mouse: report presses and releases (1000) in the SGR form (1006),
// whose coordinates have no 223-column limit.
constexpr char kMouseOn[] = "\x1b[?1000h\x1b[?1006h";
constexpr char kMouseOff[] = "\x1b[?1006l\x1b[?1000l";
constexpr char kEmergencyReset[] = "\x1b[?1006l\x1b[?1000l\x1b[0m\x1b[?25h\x1b[?1049l\r\n";

void WriteAll(const char *text, size_t length) {
  while (length > 0) {
    ssize_t n = write(STDOUT_FILENO, text, length);
    if (n <= 0) return;
    text += n;
    length -= static_cast<size_t>(n);
  }
}

attr_t CursesAttributes(uint8_t attr) {
  attr_t result = A_NORMAL;
  if (attr & kCellInverse) result |= A_REVERSE;
  if (attr & kCellDim) result |= A_DIM;
  if (attr & kCellBold) result |= A_BOLD;
  if (attr & kCellUnderline) result |= A_UNDERLINE;
  return result;
}

}  // namespace

void EmergencyRestoreTerminal() {
  if (!g_terminalTaken.exchange(false)) return;
  WriteAll(kEmergencyReset, sizeof kEmergencyReset - 1);
  tcsetattr(STDIN_FILENO, TCSANOW, &g_savedModes);
}

std::unique_ptr<TerminalScreen> TerminalScreen::Open(std::string *error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    if (error) *error = "not started from a terminal: standard input and output must both be a terminal";
    return nullptr;
  }
  // Only the character type: numbers are formatted by the program itself and
  // must not pick up a decimal comma from the user's locale.
  setlocale(LC_CTYPE, "");
  bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  if (tcgetattr(STDIN_FILENO, &g_savedModes) != 0) {
    if (error) *error = "cannot read the terminal's settings";
    return nullptr;
  }
  SCREEN *screen = newterm(nullptr, stdout, stdin);
  if (screen == nullptr) {
    if (error) *error = "cannot use this terminal (is TERM set to a known terminal?)";
    return nullptr;
  }
  set_term(screen);
  g_terminalTaken = true;
  raw();  // Ctrl+C and Ctrl+Q arrive as keys, not as signals or flow control
  noecho();
  nonl();
  // Curses would otherwise peek at standard input during refresh and skip
  // output when input is waiting; the input is ours.
  typeahead(-1);
  curs_set(0);
  leaveok(stdscr, FALSE);
  scrollok(stdscr, FALSE);
  refresh();
  fflush(stdout);
  WriteAll(kMouseOn, sizeof kMouseOn - 1);
  int rowCount = 0;
  int columnCount = 0;
  getmaxyx(stdscr, rowCount, columnCount);
  return std::unique_ptr<TerminalScreen>(new TerminalScreen(columnCount, rowCount, utf8));
}

TerminalScreen::TerminalScreen(int columns, int rows, bool utf8)
    : columns(columns), rows(rows), utf8(utf8), parser(utf8), shown(columns, rows) {
  // Unknown content: every cell differs from what is first presented.
  shown.Fill(Cell{L'\xffff', 0xff});
}

TerminalScreen::~TerminalScreen() {
  if (!g_terminalTaken.exchange(false)) return;
  WriteAll(kMouseOff, sizeof kMouseOff - 1);
  curs_set(1);
  endwin();
  fflush(stdout);
}

void TerminalScreen::Present(const CellGrid &frame, int cursorColumn, int cursorRow) {
  int rowCount = frame.Rows() < rows ? frame.Rows() : rows;
  int columnCount = frame.Columns() < columns ? frame.Columns() : columns;
  for (int row = 0; row < rowCount; ++row) {
    for (int column = 0; column < columnCount; ++column) {
      const Cell &cell = frame.At(column, row);
      if (cell == shown.At(column, row)) continue;
      shown.At(column, row) = cell;
      if (cell.ch == kWideTail) continue;
      wchar_t text[2] = {cell.ch, 0};
      if (!utf8 && (cell.ch < 0x20 || cell.ch > 0x7e)) text[0] = L'?';
      cchar_t styled;
      setcchar(&styled, text, CursesAttributes(cell.attr), 0, nullptr);
      mvadd_wch(row, column, &styled);
    }
  }
  bool wantCursor = cursorColumn >= 0 && cursorRow >= 0 && cursorColumn < columns && cursorRow < rows;
  if (wantCursor != cursorVisible) {
    curs_set(wantCursor ? 1 : 0);
    cursorVisible = wantCursor;
  }
  if (wantCursor) move(cursorRow, cursorColumn);
  refresh();
}

void TerminalScreen::Flash() {
  flash();
  refresh();
}

bool TerminalScreen::UpdateSize() {
  struct winsize size;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return false;
  if (size.ws_col == columns && size.ws_row == rows) return false;
  resizeterm(size.ws_row, size.ws_col);
  rows = size.ws_row;
  columns = size.ws_col;
  shown.Resize(columns, rows);
  shown.Fill(Cell{L'\xffff', 0xff});
  clearok(curscr, TRUE);
  return true;
}

void TerminalScreen::ReadInput(uint64_t nowMs, std::vector<InputEvent> &out) {
  if (closed) return;
  char buffer[4096];
  // Called only when poll said the terminal is readable, so this read does not
  // block; standard input stays in blocking mode for whoever uses it next.
  ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
  if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
    closed = true;
    return;
  }
  if (n > 0) parser.Feed(std::string_view(buffer, static_cast<size_t>(n)), nowMs, out);
}
