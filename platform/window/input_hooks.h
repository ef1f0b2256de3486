// Filters that see keyboard and mouse input before the window system delivers
// it, for platform services that own shortcuts or grab the pointer (the soft
// menu bar's Alt+F, F10, p, s, +, −; an open pop-up menu). Runs on the
// user-interface thread only. Not for the system's own code, which gets its
// input as window messages.
#pragma once

#include <functional>

#include "platform/screen/input_event.h"
#include "platform/win_types.h"

// A key filter returns true when it took the key; the key then goes no
// further. `focus` is the window the key would go to (GetFocus(), or the active
// window when nothing has the focus; may be null). Use GetActiveWindow() and
// IsWindowEnabled() to tell whether a modal dialog stands in front of the
// window a shortcut belongs to. Filters run newest first, and may do anything
// a window procedure may do, including running a modal loop.
// Ctrl+Q and Ctrl+C never reach the filters: they post WM_CLOSE to the main
// window (the first visible top-level non-pop-up window still alive).
using KeyFilter = std::function<bool(HWND focus, const KeyEvent &key)>;
int AddKeyFilter(KeyFilter filter);
void RemoveKeyFilter(int id);

// A mouse filter sees every mouse event with the window under the pointer
// (the deepest visible window there, enabled or not; null over empty screen)
// and returns true when it took it. Newest first. Without a filter taking it,
// a left click goes to the deepest enabled window under the pointer, or to the
// capture window (SetCapture) if there is one; a click on a disabled window
// is dropped.
using MouseFilter = std::function<bool(HWND target, const MouseEvent &mouse)>;
int AddMouseFilter(MouseFilter filter);
void RemoveMouseFilter(int id);
