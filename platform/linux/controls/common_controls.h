// The common controls' entry point and the window classes of the controls the
// platform draws itself: the report list view, edit boxes, push buttons and
// static texts. Dialogs and message boxes are built from these.
#pragma once

#include "platform/linux/window/window.h"

// Makes the control classes available; harmless to call again.
void InitCommonControls(void);

// Platform-internal.

// Registers whichever control classes are missing (after a reset of the window
// system, too). The dialog manager calls it before creating controls.
void EnsureControlClasses();
void RegisterListViewClass();
void RegisterEditClass();
void RegisterButtonClass();
void RegisterStaticClass();

// Registers a platform window class whose windows keep a state object in their
// first extra word, unless it is registered already (a reset of the window
// system unregisters every class).
void RegisterStateClass(LPCWSTR name, WNDPROC proc);

// Each control keeps its state object in the first extra word of its window.
template <typename T>
T *ControlState(HWND hwnd) {
  return reinterpret_cast<T *>(GetWindowLongPtrW(hwnd, 0));
}

// Draws a control's own WS_BORDER inside its client area (a box when it has
// three rows or more, else brackets at both ends) and gives back the cells
// left inside it. Without WS_BORDER the whole client area is inside.
struct InnerCells {
  int row = 0;
  int column = 0;
  int rows = 0;
  int columns = 0;
};
InnerCells PaintControlBorder(HWND hwnd, HDC dc);
InnerCells ControlInnerCells(HWND hwnd);

// Sends WM_COMMAND with a control's id and a notification code to its parent.
void NotifyParentCommand(HWND control, WORD code);
