// Drawing inside a window, for the platform's own controls: text and fills at
// cell positions of the window's client area, with cell attributes, clipped to
// the client area. Each window keeps its own cells, so what one window draws
// never spoils another; the screen is composed from them in z-order (top-level
// windows bottom to top, each window before its children).
// Not for the system's own code, which draws nothing itself.
#pragma once

#include <string_view>

#include "platform/linux/screen/screen.h"
#include "platform/linux/win_types.h"

// All take the HDC from BeginPaint (or GetDC) of the window; a null or stale
// HDC draws nothing. Rows and columns count from the client area's top-left
// cell; negative or too large positions are clipped, not refused. Characters
// that take two columns take two cells; control characters are dropped.

// Returns the column after the last cell written (also when clipped).
int PaintText(HDC hdc, int row, int column, std::wstring_view text, uint8_t attr = kCellNormal);
void PaintFill(HDC hdc, int row, int column, int rows, int columns, wchar_t ch = L' ', uint8_t attr = kCellNormal);
// Changes only the attributes of the cells, keeping their characters.
void PaintAttributes(HDC hdc, int row, int column, int rows, int columns, uint8_t attr);

// The client area's size in whole cells (0 × 0 for a dead window).
struct CellSize {
  int columns = 0;
  int rows = 0;
};
CellSize GetClientCells(HWND hwnd);

// The terminal cursor, shown at a cell of the window's client area while that
// window has the focus (an edit box's caret). column < 0 hides it.
void SetCaretCell(HWND hwnd, int row, int column);

// False when the terminal cannot show Unicode box and arrow characters; the
// controls then draw their ASCII forms. True on the headless screen unless a
// test says otherwise.
bool ScreenIsUtf8();

// Display columns of a text as PaintText lays it out.
int TextColumns(std::wstring_view text);
