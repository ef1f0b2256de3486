// The desktop's part of the pocket shell's job. On the pocket computer the
// shell sized the program's window to the screen, kept the soft menu bar
// below it and brought a running program forward; the program's window has
// no sizing of its own. Here the same window becomes a desktop window: a
// sizing frame with minimise and maximise, a default size that suits a list
// of parameters, the bar along the bottom of its client area, and its other
// children (the list) filling the rest at every size. Every call runs on the
// thread that owns the window; a second start reaches ComeForward through
// ShellSetForegroundWindow (pocket_shell.h), which sends the message.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Gives frame a sizing frame with minimise and maximise, and a default size
// for its work area and DPI. heightGivenUp is what the window will give up
// for a bar below it right after (the pocket computer's contract): it is
// added here, so that the window ends at the default size.
void MakeDesktopFrame(HWND frame, int heightGivenUp);

// Places bar along the bottom of frame's client area, bar pixels high, and
// every other child of frame over the rest. Nothing while frame is minimised.
void LayOutDesktopFrame(HWND frame, HWND bar, int barHeight);

// The smallest frame that keeps the bar's buttons and a few rows in view.
void LimitDesktopFrame(HWND frame, int barWidth, int barHeight, MINMAXINFO *limits);

// Report-style list views among frame's children get their columns fitted
// to their texts from now on, whenever rows or sizes change.
void FitListColumns(HWND frame);

// The running program's side of a second start: restore frame if minimised
// and make it the active window with the keyboard. frame's subclass calls it
// for the message ComeForwardMessage names.
UINT ComeForwardMessage();
LRESULT ComeForward(HWND frame);
// frame's timer messages go here first: true for ComeForward's timer,
// which the window's own procedure must not see.
bool ComeForwardTimer(HWND frame, WPARAM timer);

// The pixels per inch of the screen the program draws on.
int ScreenDpi();
