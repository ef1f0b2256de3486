// Routes for keyboard and mouse input, for platform services that own
// shortcuts (the soft menu bar's Alt+F, F10, p, s, +, −). A route only names
// the window that takes an input event instead of the one the window system
// would pick. The event then travels as a window message that GetMessageW
// returns and DispatchMessageW delivers, so whatever the taker does with it
// (open a pop-up menu, run a modal loop) runs inside a dispatch: a window
// destroyed in there ends the loops around it, up to the message loop that
// tests IsWindow. Routes therefore decide and do nothing else. User-interface
// thread only. Not for the system's own code, which gets its input as window
// messages.
#pragma once

#include <functional>

#include "platform/linux/screen/input_event.h"
#include "platform/linux/win_types.h"

// A key route returns the window that takes the key, or null to leave it.
// `focus` is the window the key would go to (GetFocus(), or the active window
// when nothing has the focus; may be null). Use GetActiveWindow() and
// IsWindowEnabled() to tell whether a modal dialog stands in front of the
// window a shortcut belongs to. Routes are asked newest first; the first
// window named takes the key.
// Ctrl+Q and Ctrl+C never reach the routes: they post WM_CLOSE to the main
// window (the first visible top-level non-pop-up window still alive).
using KeyRoute = std::function<HWND(HWND focus, const KeyEvent &key)>;
int AddKeyRoute(KeyRoute route);
void RemoveKeyRoute(int id);

// A mouse route sees every mouse event with the window under the pointer (the
// deepest visible window there, enabled or not; null over empty screen) and
// returns the window that takes it, in that window's client coordinates, or
// null. Newest first. Without a route taking it, a left click goes to the
// deepest enabled window under the pointer, or to the capture window
// (SetCapture) if there is one; a click on a disabled window is dropped.
using MouseRoute = std::function<HWND(HWND target, const MouseEvent &mouse)>;
int AddMouseRoute(MouseRoute route);
void RemoveMouseRoute(int id);
