// Starting and stopping the screen the window system draws on: the terminal
// for the program, an in-memory screen for tests, with input injection and a
// text dump. The user-interface thread is the one that starts the session;
// terminal input, signals and painting are handled inside its GetMessageW.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/screen/input_event.h"
#include "platform/linux/win_types.h"

// Takes over the terminal: UTF-8 locale from the environment (ASCII forms of
// box and arrow characters otherwise), raw keys (Ctrl+C arrives as a key),
// xterm mouse reporting, SIGINT/SIGTERM/SIGHUP turned into WM_CLOSE to the
// main window, SIGWINCH into a resize. False, with a one-line reason in
// *error, when standard input or output is not a terminal. The terminal is
// given back by StopScreen, at exit, and on a crash signal.
bool StartTerminalScreen(std::string *error);

// An in-memory screen of the given size in cells, with the same signal
// handling. Starting any session first resets the window system (see below).
void StartHeadlessScreen(int columns, int rows, bool utf8 = true);

// Gives the terminal back (or drops the in-memory screen), restores the signal
// handlers and resets the window system. Harmless when nothing was started.
void StopScreen();

// Destroys every window of this process without sending any message (their
// objects may be gone already), unregisters every class, clears every queue,
// route, focus and capture. For tests, so that each starts from nothing.
void ResetWindowSystem();

// Headless only (ignored otherwise): queue input as if typed or clicked; it is
// delivered by the user-interface thread's GetMessageW/PeekMessageW, which it
// wakes. Any thread may inject.
void InjectKey(const KeyEvent &key);
void InjectText(const std::wstring &text);
void InjectMouse(const MouseEvent &mouse);
// Convenience: a left click (and, if doubleClick, a second one marked double)
// at a cell.
void InjectClick(int column, int row, bool shift = false, bool ctrl = false, bool doubleClick = false);

// Headless only: the screen takes this size as a terminal does when resized
// (the top-level windows follow, see StartTerminalScreen's SIGWINCH).
void ResizeHeadlessScreen(int columns, int rows);

// Paints every invalid window and composes the screen now, then returns its
// rows as text (attributes dropped, trailing blanks kept).
std::vector<std::wstring> DumpScreen();
// The attributes of one cell of the last composed screen.
uint8_t ScreenAttributesAt(int column, int row);

// Where the last composed screen shows the cursor (the focused window's
// caret); false when it is hidden.
bool ScreenCursor(int *column, int *row);

// Headless only: how often the screen flashed (a second start asking this
// process to come forward flashes it).
int ScreenFlashCount();
