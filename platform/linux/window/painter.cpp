// Invalidation, WM_PAINT, the drawing calls of paint.h and the composition of
// every window's cells into the frame the screen shows.
#include <algorithm>
#include <string>

#include "platform/linux/wave_out/play_status.h"
#include "platform/linux/window/paint.h"
#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

bool g_dirty = true;
CellGrid g_frame;

HDC DcOf(HWND hwnd) { return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(hwnd) + 1); }

WindowPtr WindowOfDc(HDC hdc) {
  uintptr_t value = reinterpret_cast<uintptr_t>(hdc);
  if (value == 0 || (value & 15) != 1) return nullptr;
  return FindOwn(reinterpret_cast<HWND>(value - 1));
}

// The client area in the window's own cell coordinates.
RECT ClientCellsInWindow(const Window &w) {
  RECT window = PixelsToCells(WindowScreenRect(w));
  RECT client = PixelsToCells(ClientScreenRect(w));
  return RECT{client.left - window.left, client.top - window.top, client.right - window.left,
              client.bottom - window.top};
}

RECT Intersect(const RECT &a, const RECT &b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool In(const RECT &r, int column, int row) {
  return column >= r.left && column < r.right && row >= r.top && row < r.bottom;
}

// Writes one cell, keeping double-width characters whole: a half that loses
// its partner becomes a blank.
void PutCell(CellGrid &grid, int column, int row, const Cell &cell) {
  if (!grid.Contains(column, row)) return;
  Cell &target = grid.At(column, row);
  if (target.ch == kWideTail && grid.Contains(column - 1, row)) grid.At(column - 1, row) = Cell{};
  if (target.ch != kWideTail && CharacterColumns(target.ch) == 2 && grid.Contains(column + 1, row)) {
    grid.At(column + 1, row) = Cell{};
  }
  target = cell;
}

void DrawNonClient(Window &w) {
  if (!HasFrame(w)) return;
  CellGrid &g = w.cells;
  int columns = g.Columns();
  int rows = g.Rows();
  if (columns <= 0 || rows <= 0) return;
  bool utf8 = ScreenIsUtf8();
  wchar_t horizontal = utf8 ? L'\x2500' : L'-';
  wchar_t vertical = utf8 ? L'\x2502' : L'|';
  wchar_t topLeft = utf8 ? L'\x250c' : L'+';
  wchar_t topRight = utf8 ? L'\x2510' : L'+';
  wchar_t bottomLeft = utf8 ? L'\x2514' : L'+';
  wchar_t bottomRight = utf8 ? L'\x2518' : L'+';
  for (int row = 0; row < rows; ++row) {
    g.At(0, row) = Cell{vertical, kCellNormal};
    g.At(columns - 1, row) = Cell{vertical, kCellNormal};
  }
  for (int column = 0; column < columns; ++column) g.At(column, rows - 1) = Cell{horizontal, kCellNormal};
  g.At(0, rows - 1) = Cell{bottomLeft, kCellNormal};
  g.At(columns - 1, rows - 1) = Cell{bottomRight, kCellNormal};
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    // The caption: an inverted bar carrying the title.
    for (int column = 0; column < columns; ++column) g.At(column, 0) = Cell{L' ', kCellInverse};
    int column = 1;
    for (wchar_t ch : w.text) {
      int width = CharacterColumns(ch);
      if (width == 0) continue;
      if (column + width > columns - 1) break;
      g.At(column, 0) = Cell{ch, kCellInverse};
      if (width == 2) g.At(column + 1, 0) = Cell{kWideTail, kCellInverse};
      column += width;
    }
  } else {
    for (int column = 0; column < columns; ++column) g.At(column, 0) = Cell{horizontal, kCellNormal};
    g.At(0, 0) = Cell{topLeft, kCellNormal};
    g.At(columns - 1, 0) = Cell{topRight, kCellNormal};
  }
}

void Blit(const Window &w, const RECT &clip) {
  RECT origin = PixelsToCells(WindowScreenRect(w));
  for (int row = 0; row < w.cells.Rows(); ++row) {
    for (int column = 0; column < w.cells.Columns(); ++column) {
      int x = origin.left + column;
      int y = origin.top + row;
      if (!In(clip, x, y) || !g_frame.Contains(x, y)) continue;
      const Cell &cell = w.cells.At(column, row);
      if (cell.ch == kWideTail && (!In(clip, x - 1, y) || column == 0)) {
        g_frame.At(x, y) = Cell{L' ', cell.attr};
        continue;
      }
      if (cell.ch != kWideTail && CharacterColumns(cell.ch) == 2 && !In(clip, x + 1, y)) {
        g_frame.At(x, y) = Cell{L' ', cell.attr};
        continue;
      }
      g_frame.At(x, y) = cell;
    }
  }
}

void ComposeTree(const WindowPtr &w, const RECT &clip) {
  Blit(*w, Intersect(clip, PixelsToCells(WindowScreenRect(*w))));
  RECT childClip = Intersect(clip, PixelsToCells(ClientScreenRect(*w)));
  // The first child is on top, so it is drawn last.
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    WindowPtr child = Find(*it);
    if (child && (child->style & WS_VISIBLE)) ComposeTree(child, childClip);
  }
}

void DrawTitleRow() {
  if (g_frame.Rows() == 0) return;
  for (int column = 0; column < g_frame.Columns(); ++column) g_frame.At(column, 0) = Cell{L' ', kCellNormal};
  WindowPtr main = Find(MainWindow());
  if (!main) return;
  for (int column = 0; column < g_frame.Columns(); ++column) g_frame.At(column, 0) = Cell{L' ', kCellInverse};
  int column = 1;
  for (wchar_t ch : main->text) {
    int width = CharacterColumns(ch);
    if (width == 0) continue;
    if (column + width > g_frame.Columns()) break;
    g_frame.At(column, 0) = Cell{ch, kCellInverse};
    if (width == 2) g_frame.At(column + 1, 0) = Cell{kWideTail, kCellInverse};
    column += width;
  }
}

// The right end of the bottom row, the terminal's own: while a wave device
// plays, that it plays and for how long, since nothing of the program's
// screen says so (the tool bar looks the same playing or stopped).
std::wstring PlayStatusText() {
  const PlayStatus status = CurrentPlayStatus();
  if (!status.playing) return {};
  const unsigned tenths = status.playedMs / 100;
  return std::wstring(ScreenIsUtf8() ? L"\u25b6 " : L"> ") + std::to_wstring(tenths / 10) + L"." +
         std::to_wstring(tenths % 10) + L" s";
}

std::wstring g_playStatusShown;

void DrawPlayStatus() {
  const int row = g_frame.Rows() - 1;
  const int first = g_frame.Columns() - static_cast<int>(g_playStatusShown.size()) - 1;
  if (g_playStatusShown.empty() || row < 1 || first < 0) return;
  for (size_t i = 0; i < g_playStatusShown.size(); ++i) {
    g_frame.At(first + static_cast<int>(i), row) = Cell{g_playStatusShown[i], kCellBold};
  }
}

HWND FindInvalid(const WindowPtr &w) {
  if (!w || !(w->style & WS_VISIBLE) || w->thread != std::this_thread::get_id()) return nullptr;
  if (w->invalid) return w->handle;
  for (HWND child : w->children) {
    if (HWND found = FindInvalid(Find(child))) return found;
  }
  return nullptr;
}

void PaintSubtree(HWND hwnd) {
  WindowPtr w = FindOwn(hwnd);
  if (!w || !IsVisibleOnScreen(*w)) return;
  if (w->invalid) {
    w->invalid = false;
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    w = FindOwn(hwnd);
    if (!w) return;
  }
  std::vector<HWND> children = w->children;
  for (HWND child : children) PaintSubtree(child);
}

}  // namespace

void MarkDirty() { g_dirty = true; }

void InvalidateTree(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return;
  w->invalid = true;
  w->erase = true;
  for (HWND child : w->children) InvalidateTree(child);
  MarkDirty();
}

HWND TakeInvalidWindow() {
  if (CurrentScreen() == nullptr || !IsUiThread()) return nullptr;
  for (HWND top : ZOrder()) {
    WindowPtr w = Find(top);
    if (HWND found = FindInvalid(w)) {
      if (WindowPtr target = Find(found)) target->invalid = false;
      return found;
    }
  }
  return nullptr;
}

void ComposeAndPresent() {
  Screen *screen = CurrentScreen();
  if (screen == nullptr || !IsUiThread()) return;
  if (std::wstring status = PlayStatusText(); status != g_playStatusShown) {
    g_playStatusShown = std::move(status);
    g_dirty = true;
  }
  if (!g_dirty && g_frame.Columns() == screen->Columns() && g_frame.Rows() == screen->Rows()) return;
  g_dirty = false;
  if (g_frame.Columns() != screen->Columns() || g_frame.Rows() != screen->Rows()) {
    g_frame.Resize(screen->Columns(), screen->Rows());
  }
  g_frame.Fill(Cell{});
  DrawTitleRow();
  RECT screenCells{0, 0, g_frame.Columns(), g_frame.Rows()};
  for (HWND top : ZOrder()) {
    WindowPtr w = Find(top);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    DrawNonClient(*w);
    ComposeTree(w, screenCells);
  }
  DrawPlayStatus();
  int cursorColumn = -1;
  int cursorRow = -1;
  WindowPtr focus = Find(Interaction().focus);
  if (focus && focus->caretColumn >= 0 && IsVisibleOnScreen(*focus)) {
    RECT client = PixelsToCells(ClientScreenRect(*focus));
    int x = client.left + focus->caretColumn;
    int y = client.top + focus->caretRow;
    if (In(client, x, y) && g_frame.Contains(x, y)) {
      cursorColumn = x;
      cursorRow = y;
    }
  }
  screen->Present(g_frame, cursorColumn, cursorRow);
}

void PaintAndPresent() {
  while (HWND hwnd = TakeInvalidWindow()) SendMessageW(hwnd, WM_PAINT, 0, 0);
  ComposeAndPresent();
}

const CellGrid &ComposedFrame() { return g_frame; }

void ResetPainter() {
  g_dirty = true;
  g_playStatusShown.clear();
  g_frame = CellGrid();
}

}  // namespace wendrel_window

using namespace wendrel_window;

BOOL InvalidateRect(HWND hWnd, const RECT *, BOOL bErase) {
  if (hWnd == nullptr) {
    for (const WindowPtr &w : AllWindows()) {
      if (w->thread != std::this_thread::get_id()) continue;
      w->invalid = true;
      w->erase = true;
    }
    MarkDirty();
    return TRUE;
  }
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  w->invalid = true;
  if (bErase) w->erase = true;
  return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT *) {
  WindowPtr w = FindOwn(hWnd);
  if (!w) return FALSE;
  w->invalid = false;
  return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  if (!FindOwn(hWnd)) return FALSE;
  if (CurrentScreen() == nullptr || !IsUiThread()) return TRUE;
  PaintSubtree(hWnd);
  ComposeAndPresent();
  return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  WindowPtr w = FindOwn(hWnd);
  if (!w || lpPaint == nullptr) return nullptr;
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = DcOf(hWnd);
  lpPaint->fErase = w->erase ? TRUE : FALSE;
  RECT client = ClientScreenRect(*w);
  lpPaint->rcPaint = RECT{0, 0, client.right - client.left, client.bottom - client.top};
  if (w->erase) {
    RECT cells = ClientCellsInWindow(*w);
    for (int row = cells.top; row < cells.bottom; ++row) {
      for (int column = cells.left; column < cells.right; ++column) {
        if (w->cells.Contains(column, row)) w->cells.At(column, row) = Cell{};
      }
    }
  }
  w->invalid = false;
  w->erase = false;
  MarkDirty();
  return lpPaint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT *) { return TRUE; }

HDC GetDC(HWND hWnd) {
  if (!FindOwn(hWnd)) return nullptr;
  MarkDirty();
  return DcOf(hWnd);
}

int ReleaseDC(HWND, HDC hDC) { return hDC != nullptr ? 1 : 0; }

int PaintText(HDC hdc, int row, int column, std::wstring_view text, uint8_t attr) {
  WindowPtr w = WindowOfDc(hdc);
  if (!w) return column + TextColumns(text);
  RECT client = ClientCellsInWindow(*w);
  int y = client.top + row;
  for (wchar_t ch : text) {
    int width = CharacterColumns(ch);
    if (width == 0) continue;
    int x = client.left + column;
    bool fits = y >= client.top && y < client.bottom && x >= client.left && x + width <= client.right;
    if (fits) {
      PutCell(w->cells, x, y, Cell{ch, attr});
      if (width == 2) PutCell(w->cells, x + 1, y, Cell{kWideTail, attr});
    }
    column += width;
  }
  MarkDirty();
  return column;
}

void PaintFill(HDC hdc, int row, int column, int rows, int columns, wchar_t ch, uint8_t attr) {
  WindowPtr w = WindowOfDc(hdc);
  if (!w) return;
  if (CharacterColumns(ch) != 1) ch = L' ';
  RECT client = ClientCellsInWindow(*w);
  RECT area = Intersect(client, RECT{client.left + column, client.top + row, client.left + column + std::max(columns, 0),
                                     client.top + row + std::max(rows, 0)});
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) PutCell(w->cells, x, y, Cell{ch, attr});
  }
  MarkDirty();
}

void PaintAttributes(HDC hdc, int row, int column, int rows, int columns, uint8_t attr) {
  WindowPtr w = WindowOfDc(hdc);
  if (!w) return;
  RECT client = ClientCellsInWindow(*w);
  RECT area = Intersect(client, RECT{client.left + column, client.top + row, client.left + column + std::max(columns, 0),
                                     client.top + row + std::max(rows, 0)});
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (w->cells.Contains(x, y)) w->cells.At(x, y).attr = attr;
    }
  }
  MarkDirty();
}

CellSize GetClientCells(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) return CellSize{};
  RECT client = PixelsToCells(ClientScreenRect(*w));
  return CellSize{client.right - client.left, client.bottom - client.top};
}

void SetCaretCell(HWND hwnd, int row, int column) {
  WindowPtr w = FindOwn(hwnd);
  if (!w) return;
  w->caretRow = row;
  w->caretColumn = column;
  MarkDirty();
}

bool ScreenIsUtf8() {
  Screen *screen = CurrentScreen();
  return screen == nullptr || screen->IsUtf8();
}

int TextColumns(std::wstring_view text) {
  int columns = 0;
  for (wchar_t ch : text) columns += CharacterColumns(ch);
  return columns;
}
