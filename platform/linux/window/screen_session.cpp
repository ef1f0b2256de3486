#include "platform/linux/window/screen_session.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/linux/screen/headless_screen.h"
#include "platform/linux/screen/terminal_input_parser.h"
#include "platform/linux/screen/terminal_screen.h"
#include "platform/linux/wave_out/play_status.h"
#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH};
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

constexpr int kPlayStatusStepMs = 100;

std::atomic<int> g_signalWriteFd{-1};

struct Session {
  std::unique_ptr<Screen> screen;
  HeadlessScreen *headless = nullptr;
  bool terminal = false;
  std::shared_ptr<ThreadQueue> uiQueue;
  int signalPipe[2] = {-1, -1};
  struct sigaction savedForwarded[4];
  struct sigaction savedCrash[5];
  int columns = 0;  // the size the windows were laid out for
  int rows = 0;
};

Session g_session;
std::atomic<std::thread::id> g_uiThread{std::thread::id()};

void OnForwardedSignal(int signo) {
  int saved = errno;
  int fd = g_signalWriteFd.load();
  if (fd >= 0) {
    unsigned char byte = static_cast<unsigned char>(signo);
    ssize_t ignored = write(fd, &byte, 1);
    (void)ignored;
  }
  errno = saved;
}

void OnCrashSignal(int signo) {
  EmergencyRestoreTerminal();
  signal(signo, SIG_DFL);
  raise(signo);
}

void RestoreTerminalAtExit() { EmergencyRestoreTerminal(); }

void InstallSignals(bool crashHandlers) {
  if (pipe2(g_session.signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    g_session.signalPipe[0] = g_session.signalPipe[1] = -1;
  }
  g_signalWriteFd = g_session.signalPipe[1];
  struct sigaction action{};
  action.sa_handler = OnForwardedSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kForwardedSignals); ++i) {
    sigaction(kForwardedSignals[i], &action, &g_session.savedForwarded[i]);
  }
  if (crashHandlers) {
    struct sigaction crash{};
    crash.sa_handler = OnCrashSignal;
    sigemptyset(&crash.sa_mask);
    crash.sa_flags = SA_RESETHAND;
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) {
      sigaction(kCrashSignals[i], &crash, &g_session.savedCrash[i]);
    }
  }
}

void RestoreSignals(bool crashHandlers) {
  for (size_t i = 0; i < std::size(kForwardedSignals); ++i) {
    sigaction(kForwardedSignals[i], &g_session.savedForwarded[i], nullptr);
  }
  if (crashHandlers) {
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) {
      sigaction(kCrashSignals[i], &g_session.savedCrash[i], nullptr);
    }
  }
  g_signalWriteFd = -1;
  for (int &fd : g_session.signalPipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

// Keeps the layout of the top-level windows when the screen changes size: a
// full-width window keeps spanning the width; one in the lower half (the menu
// bar) keeps its distance from the bottom, one reaching into both halves (the
// main window) stretches; others stay where they are, moved back inside.
void FollowResize() {
  Screen *screen = g_session.screen.get();
  if (screen == nullptr) return;
  int oldWidth = g_session.columns * kCellWidthPx;
  int oldHeight = g_session.rows * kCellHeightPx;
  int newWidth = screen->Columns() * kCellWidthPx;
  int newHeight = screen->Rows() * kCellHeightPx;
  g_session.columns = screen->Columns();
  g_session.rows = screen->Rows();
  int dy = newHeight - oldHeight;
  for (const WindowPtr &w : AllWindows()) {
    if (!w->IsTopLevel() || w->destroying || w->thread != std::this_thread::get_id()) continue;
    RECT r = w->rect;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (r.left == 0 && r.right == oldWidth) {
      r.right = newWidth;
      if (r.top >= oldHeight / 2) {
        r.top += dy;
        r.bottom += dy;
      } else if (r.bottom > oldHeight / 2) {
        r.bottom += dy;
      }
      if (r.bottom < r.top) r.bottom = r.top;
    } else {
      if (r.right > newWidth) r.left = newWidth - width;
      if (r.bottom > newHeight) r.top = newHeight - height;
      if (r.left < 0) r.left = 0;
      if (r.top < 0) r.top = 0;
      r.right = r.left + width;
      r.bottom = r.top + height;
    }
    if (r.left != w->rect.left || r.top != w->rect.top || r.right != w->rect.right || r.bottom != w->rect.bottom) {
      MoveWindow(w->handle, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
  }
  for (const WindowPtr &w : AllWindows()) SyncCells(*w);
  InvalidateRect(nullptr, nullptr, TRUE);
  MarkDirty();
}

void PostCloseToMain() {
  if (HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
}

void WakeUi() {
  if (g_session.uiQueue) g_session.uiQueue->Wake();
}

}  // namespace

int ScreenColumns() { return g_session.screen ? g_session.screen->Columns() : 80; }
int ScreenRows() { return g_session.screen ? g_session.screen->Rows() : 24; }
Screen *CurrentScreen() { return g_session.screen.get(); }
bool IsUiThread() { return g_uiThread.load() == std::this_thread::get_id(); }

void CollectSessionDescriptors(std::vector<int> &fds, int *timeoutMs) {
  if (g_session.signalPipe[0] >= 0) fds.push_back(g_session.signalPipe[0]);
  if (Screen *screen = g_session.screen.get()) {
    int input = screen->InputDescriptor();
    if (input >= 0) fds.push_back(input);
    *timeoutMs = screen->InputTimeoutMs(NowMs());
    // While a wave device plays, the bottom row counts its time in tenths of
    // a second: look again when the next tenth may be due. Stopped, nothing
    // wakes the thread.
    if (CurrentPlayStatus().playing && (*timeoutMs < 0 || *timeoutMs > kPlayStatusStepMs)) {
      *timeoutMs = kPlayStatusStepMs;
    }
  }
  CollectPublishDescriptors(fds);
}

void ServiceSessionDescriptor(int fd, short revents) {
  Screen *screen = g_session.screen.get();
  if (fd == g_session.signalPipe[0]) {
    unsigned char signals[64];
    ssize_t n;
    while ((n = read(fd, signals, sizeof signals)) > 0) {
      for (ssize_t i = 0; i < n; ++i) {
        if (signals[i] == SIGWINCH) {
          if (screen && screen->UpdateSize()) FollowResize();
        } else {
          PostCloseToMain();
        }
      }
    }
    return;
  }
  if (screen && fd == screen->InputDescriptor()) {
    std::vector<InputEvent> events;
    screen->ReadInput(NowMs(), events);
    for (const InputEvent &event : events) QueueInputEvent(event);
    // The terminal went away: as the shell would on hang-up, close.
    if (screen->InputClosed()) PostCloseToMain();
    return;
  }
  (void)revents;
  ServicePublishDescriptor(fd);
}

void ServiceSessionTimeout() {
  Screen *screen = g_session.screen.get();
  if (!screen) return;
  uint64_t now = NowMs();
  if (screen->InputTimeoutMs(now) != 0) return;
  std::vector<InputEvent> events;
  screen->ExpireInput(now, events);
  for (const InputEvent &event : events) QueueInputEvent(event);
}

}  // namespace wendrel_window

using namespace wendrel_window;

void ResetWindowSystem() {
  ResetRegistry();
  ClearInput();
  ResetRoutes();
  CurrentQueue()->Clear();
  ResetPainter();
}

bool StartTerminalScreen(std::string *error) {
  StopScreen();
  std::unique_ptr<TerminalScreen> terminal = TerminalScreen::Open(error);
  if (!terminal) return false;
  static bool atExitInstalled = false;
  if (!atExitInstalled) {
    std::atexit(RestoreTerminalAtExit);
    atExitInstalled = true;
  }
  g_session.screen = std::move(terminal);
  g_session.terminal = true;
  g_session.uiQueue = CurrentQueue();
  g_session.columns = g_session.screen->Columns();
  g_session.rows = g_session.screen->Rows();
  g_uiThread = std::this_thread::get_id();
  InstallSignals(true);
  return true;
}

void StartHeadlessScreen(int columns, int rows, bool utf8) {
  StopScreen();
  auto headless = std::make_unique<HeadlessScreen>(columns, rows, utf8);
  g_session.headless = headless.get();
  g_session.screen = std::move(headless);
  g_session.terminal = false;
  g_session.uiQueue = CurrentQueue();
  g_session.columns = columns;
  g_session.rows = rows;
  g_uiThread = std::this_thread::get_id();
  InstallSignals(false);
}

void StopScreen() {
  ResetWindowSystem();
  if (!g_session.screen) return;
  RestoreSignals(g_session.terminal);
  g_session.screen.reset();
  g_session.headless = nullptr;
  g_session.terminal = false;
  g_session.uiQueue.reset();
  g_uiThread = std::thread::id();
}

void InjectKey(const KeyEvent &key) {
  if (!g_session.headless) return;
  QueueInputEvent(InputEvent::FromKey(key));
  WakeUi();
}

void InjectText(const std::wstring &text) {
  if (!g_session.headless) return;
  for (wchar_t ch : text) {
    KeyEvent key;
    if (ch == L'\n' || ch == L'\r') {
      key.vk = VK_RETURN;
    } else if (ch == L'\t') {
      key.vk = VK_TAB;
    } else {
      key = CharacterKey(ch);
    }
    QueueInputEvent(InputEvent::FromKey(key));
  }
  WakeUi();
}

void InjectMouse(const MouseEvent &mouse) {
  if (!g_session.headless) return;
  QueueInputEvent(InputEvent::FromMouse(mouse));
  WakeUi();
}

void InjectClick(int column, int row, bool shift, bool ctrl, bool doubleClick) {
  MouseEvent mouse;
  mouse.column = column;
  mouse.row = row;
  mouse.shift = shift;
  mouse.ctrl = ctrl;
  for (int click = 0; click < (doubleClick ? 2 : 1); ++click) {
    mouse.action = MouseAction::LeftDown;
    mouse.doubleClick = click == 1;
    InjectMouse(mouse);
    mouse.action = MouseAction::LeftUp;
    mouse.doubleClick = false;
    InjectMouse(mouse);
  }
}

void ResizeHeadlessScreen(int columns, int rows) {
  if (!g_session.headless) return;
  g_session.headless->SetPendingSize(columns, rows);
  raise(SIGWINCH);
}

std::vector<std::wstring> DumpScreen() {
  std::vector<std::wstring> rows;
  if (!g_session.screen) return rows;
  MarkDirty();
  PaintAndPresent();
  const CellGrid &frame = ComposedFrame();
  for (int row = 0; row < frame.Rows(); ++row) rows.push_back(frame.RowText(row));
  return rows;
}

uint8_t ScreenAttributesAt(int column, int row) {
  const CellGrid &frame = ComposedFrame();
  if (!frame.Contains(column, row)) return kCellNormal;
  return frame.At(column, row).attr;
}

bool ScreenCursor(int *column, int *row) {
  if (!g_session.headless || g_session.headless->CursorColumn() < 0) return false;
  if (column) *column = g_session.headless->CursorColumn();
  if (row) *row = g_session.headless->CursorRow();
  return true;
}

int ScreenFlashCount() { return g_session.headless ? g_session.headless->FlashCount() : 0; }
