#include "platform/linux/controls/list_view.h"

#include <algorithm>

#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/list_view_model.h"
#include "platform/linux/controls/text_fit.h"
#include "platform/linux/window/paint.h"

namespace {

#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)

struct ListView {
  HWND hwnd = nullptr;
  ListViewModel model;
  int topIndex = 0;
  DWORD exStyle = 0;
};

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

int HeaderRows(HWND hwnd) { return (Style(hwnd) & LVS_NOCOLUMNHEADER) ? 0 : 1; }

int VisibleRows(ListView &view) { return std::max(1, GetClientCells(view.hwnd).rows - HeaderRows(view.hwnd)); }

void Redraw(ListView &view) { InvalidateRect(view.hwnd, nullptr, TRUE); }

void EnsureVisible(ListView &view, int index) {
  if (index < 0) return;
  int rows = VisibleRows(view);
  if (index < view.topIndex) view.topIndex = index;
  if (index >= view.topIndex + rows) view.topIndex = index - rows + 1;
}

void ClampTop(ListView &view) {
  int maxTop = std::max(0, view.model.Count() - VisibleRows(view));
  view.topIndex = std::clamp(view.topIndex, 0, maxTop);
}

void SendItemChanged(ListView &view, const ListViewModel::Change &change) {
  NMLISTVIEW info{};
  info.hdr.hwndFrom = view.hwnd;
  info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view.hwnd));
  info.hdr.code = LVN_ITEMCHANGED;
  info.iItem = change.item;
  info.uNewState = change.newState;
  info.uOldState = change.oldState;
  info.uChanged = LVIF_STATE;
  info.lParam = change.lParam;
  Redraw(view);
  SendMessageW(GetParent(view.hwnd), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

void SendDoubleClick(ListView &view, int item, POINT at) {
  NMITEMACTIVATE info{};
  info.hdr.hwndFrom = view.hwnd;
  info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view.hwnd));
  info.hdr.code = NM_DBLCLK;
  info.iItem = item;
  info.ptAction = at;
  if (item >= 0) {
    LVITEMW query{};
    query.mask = LVIF_PARAM;
    query.iItem = item;
    view.model.GetItem(&query);
    info.lParam = query.lParam;
  }
  if (GetKeyState(VK_SHIFT) < 0) info.uKeyFlags |= LVKF_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) info.uKeyFlags |= LVKF_CONTROL;
  SendMessageW(GetParent(view.hwnd), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

// Cells of each column, the first reduced by the focus mark's cell.
void Paint(ListView &view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view.hwnd, &ps);
  CellSize size = GetClientCells(view.hwnd);
  PaintFill(dc, 0, 0, size.rows, size.columns);
  int header = HeaderRows(view.hwnd);
  const ListViewModel &model = view.model;
  if (header) {
    int column = 1;
    for (int c = 0; c < model.ColumnCount(); ++c) {
      int width = model.ColumnWidth(c) / kCellWidthPx - (c == 0 ? 1 : 0);
      PaintText(dc, 0, column, FitText(model.ColumnTitle(c), width), kCellBold | kCellUnderline);
      column += std::max(0, width);
    }
  }
  bool hasFocus = GetFocus() == view.hwnd;
  for (int row = 0; row + header < size.rows; ++row) {
    int index = view.topIndex + row;
    if (index >= model.Count()) break;
    UINT state = model.GetItemState(index, LVIS_SELECTED | LVIS_FOCUSED);
    uint8_t attr = (state & LVIS_SELECTED) ? kCellInverse : kCellNormal;
    int y = row + header;
    if (attr != kCellNormal) PaintFill(dc, y, 0, 1, size.columns, L' ', attr);
    if (state & LVIS_FOCUSED) {
      PaintText(dc, y, 0, ScreenIsUtf8() ? L"\u25B8" : L">", static_cast<uint8_t>(attr | (hasFocus ? kCellBold : 0)));
    }
    int column = 1;
    int columns = std::max(1, model.ColumnCount());
    for (int c = 0; c < columns; ++c) {
      int width = model.ColumnCount() ? model.ColumnWidth(c) / kCellWidthPx - (c == 0 ? 1 : 0) : size.columns - 1;
      PaintText(dc, y, column, FitText(model.Text(index, c), width), attr);
      column += std::max(0, width);
    }
  }
  EndPaint(view.hwnd, &ps);
}

void MoveFocus(ListView &view, int target, bool extend) {
  if (view.model.Count() == 0) return;
  target = std::clamp(target, 0, view.model.Count() - 1);
  view.model.MoveFocusTo(target, extend);
  EnsureVisible(view, target);
  Redraw(view);
}

void OnKey(ListView &view, WPARAM key) {
  int focus = view.model.FocusedItem();
  int page = std::max(1, VisibleRows(view) - 1);
  bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_UP:
      MoveFocus(view, focus < 0 ? 0 : focus - 1, shift);
      break;
    case VK_DOWN:
      MoveFocus(view, focus < 0 ? 0 : focus + 1, shift);
      break;
    case VK_HOME:
      MoveFocus(view, 0, shift);
      break;
    case VK_END:
      MoveFocus(view, view.model.Count() - 1, shift);
      break;
    case VK_PRIOR:
      MoveFocus(view, focus < 0 ? 0 : focus - page, shift);
      break;
    case VK_NEXT:
      MoveFocus(view, focus < 0 ? 0 : focus + page, shift);
      break;
    case VK_SPACE:
      if (focus < 0) {
        MoveFocus(view, 0, false);
      } else {
        view.model.ToggleItem(focus);
        Redraw(view);
      }
      break;
    case VK_RETURN:
      SendDoubleClick(view, focus, POINT{0, 0});
      break;
    default:
      break;
  }
}

int HitItem(ListView &view, LPARAM lParam) {
  int y = static_cast<SHORT>(HIWORD(lParam));
  int row = y / kCellHeightPx - HeaderRows(view.hwnd);
  if (y < 0 || row < 0) return -1;
  int index = view.topIndex + row;
  return index < view.model.Count() ? index : -1;
}

LRESULT SetColumnWidth(ListView &view, int column, int width) {
  ListViewModel &model = view.model;
  if (width == LVSCW_AUTOSIZE_USEHEADER && column == model.ColumnCount() - 1) {
    int used = 0;
    for (int c = 0; c < column; ++c) used += model.ColumnWidth(c);
    RECT client{};
    GetClientRect(view.hwnd, &client);
    width = std::max(0, static_cast<int>(client.right) - used);
  } else if (width < 0) {
    int widest = TextColumns(model.ColumnTitle(column));
    for (int i = 0; i < model.Count(); ++i) widest = std::max(widest, TextColumns(model.Text(i, column)));
    width = (widest + (column == 0 ? 2 : 1)) * kCellWidthPx;
  }
  bool done = model.SetColumnWidth(column, width);
  Redraw(view);
  return done;
}

LRESULT HandleListMessage(ListView &view, UINT message, WPARAM wParam, LPARAM lParam) {
  ListViewModel &model = view.model;
  auto *item = reinterpret_cast<LVITEMW *>(lParam);
  auto *column = reinterpret_cast<LVCOLUMNW *>(lParam);
  LRESULT result = 0;
  switch (message) {
    case LVM_GETITEMCOUNT:
      return model.Count();
    case LVM_GETSELECTEDCOUNT:
      return model.SelectedCount();
    case LVM_GETNEXTITEM:
      return model.GetNextItem(static_cast<int>(wParam), LOWORD(lParam));
    case LVM_GETITEMSTATE:
      return model.GetItemState(static_cast<int>(wParam), static_cast<UINT>(lParam));
    case LVM_GETTOPINDEX:
      return view.topIndex;
    case LVM_GETCOUNTPERPAGE:
      return VisibleRows(view);
    case LVM_GETCOLUMNWIDTH:
      return model.ColumnWidth(static_cast<int>(wParam));
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return view.exStyle;
    case LVM_GETITEMW:
      return item && model.GetItem(item);
    case LVM_GETITEMTEXTW:
      return model.GetItemText(static_cast<int>(wParam), item);
    case LVM_GETCOLUMNW:
      return model.GetColumn(static_cast<int>(wParam), column);
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(view, static_cast<int>(wParam), static_cast<SHORT>(LOWORD(lParam)));
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD previous = view.exStyle;
      DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
      view.exStyle = (view.exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
      result = previous;
      break;
    }
    case LVM_INSERTITEMW:
      result = item ? model.InsertItem(*item) : -1;
      break;
    case LVM_SETITEMW:
      result = item && model.SetItem(*item);
      break;
    case LVM_SETITEMTEXTW:
      result = item && model.SetItemText(static_cast<int>(wParam), *item);
      break;
    case LVM_SETITEMSTATE:
      result = item && model.SetItemState(static_cast<int>(wParam), item->state, item->stateMask);
      break;
    case LVM_DELETEITEM:
      result = model.DeleteItem(static_cast<int>(wParam));
      ClampTop(view);
      break;
    case LVM_DELETEALLITEMS:
      model.DeleteAllItems();
      view.topIndex = 0;
      result = TRUE;
      break;
    case LVM_INSERTCOLUMNW:
      result = column ? model.InsertColumn(static_cast<int>(wParam), *column) : -1;
      break;
    case LVM_SETCOLUMNW:
      result = column && model.SetColumn(static_cast<int>(wParam), *column);
      break;
    case LVM_ENSUREVISIBLE:
      EnsureVisible(view, static_cast<int>(wParam));
      result = static_cast<int>(wParam) < model.Count();
      break;
    default:
      return 0;
  }
  Redraw(view);
  return result;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ListView *view = ControlState<ListView>(hwnd);
  if ((message == WM_NCCREATE || message == WM_CREATE) && !view) {
    view = new ListView;
    view->hwnd = hwnd;
    view->model.singleSelection = (reinterpret_cast<CREATESTRUCTW *>(lParam)->style & LVS_SINGLESEL) != 0;
    view->model.onChange = [view](const ListViewModel::Change &change) { SendItemChanged(*view, change); };
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message >= LVM_FIRST && message < LVM_FIRST + 0x100) return HandleListMessage(*view, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      delete view;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_PAINT:
      Paint(*view);
      return 0;
    case WM_SIZE:
      ClampTop(*view);
      Redraw(*view);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Redraw(*view);
      return 0;
    case WM_KEYDOWN:
      OnKey(*view, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      view->model.Click(HitItem(*view, lParam), (wParam & MK_CONTROL) != 0, (wParam & MK_SHIFT) != 0);
      Redraw(*view);
      return 0;
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      SendDoubleClick(*view, HitItem(*view, lParam),
                      POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
      return 0;
    case WM_MOUSEWHEEL:
      view->topIndex += static_cast<SHORT>(HIWORD(wParam)) > 0 ? -3 : 3;
      ClampTop(*view);
      Redraw(*view);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterListViewClass() { RegisterStateClass(WC_LISTVIEWW, ListViewProc); }
