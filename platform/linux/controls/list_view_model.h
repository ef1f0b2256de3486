// The rows, columns, selection and focus of a report list view, without any
// drawing or messages: the list view window (list_view.h) drives it and turns
// the state changes it reports into LVN_ITEMCHANGED notifications.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/controls/list_view_types.h"

class ListViewModel {
 public:
  // One item's state before and after a change; reported once per item and
  // change, in the order the changes happen.
  struct Change {
    int item;
    UINT oldState;
    UINT newState;
    LPARAM lParam;
    bool operator==(const Change &) const = default;
  };
  std::function<void(const Change &)> onChange;

  bool singleSelection = false;

  // Columns (widths in pixels).
  int InsertColumn(int index, const LVCOLUMNW &column);
  bool GetColumn(int index, LVCOLUMNW *column) const;
  bool SetColumn(int index, const LVCOLUMNW &column);
  int ColumnWidth(int index) const;
  bool SetColumnWidth(int index, int width);
  int ColumnCount() const { return static_cast<int>(columns.size()); }
  const std::wstring &ColumnTitle(int index) const { return columns[static_cast<size_t>(index)].title; }

  // Items, as the list view messages of the same names.
  int Count() const { return static_cast<int>(items.size()); }
  int InsertItem(const LVITEMW &item);
  bool SetItem(const LVITEMW &item);
  bool GetItem(LVITEMW *item) const;
  bool SetItemText(int index, const LVITEMW &item);
  int GetItemText(int index, LVITEMW *item) const;
  bool DeleteItem(int index);
  void DeleteAllItems();
  int GetNextItem(int start, UINT flags) const;
  // index -1 changes every item.
  bool SetItemState(int index, UINT state, UINT mask);
  UINT GetItemState(int index, UINT mask) const;
  int SelectedCount() const;
  int FocusedItem() const { return focused; }
  // The cell text; empty for a cell never set or out of range.
  const std::wstring &Text(int index, int subItem) const;

  // What the user does.
  // Focus moves to the item; the selection becomes that item alone, or with
  // `extend` the range from the anchor to it.
  void MoveFocusTo(int index, bool extend);
  // The item joins or leaves the selection and takes the focus.
  void ToggleItem(int index);
  // A click: plain, with Ctrl (toggle) or with Shift (extend). A click on no
  // item (-1) clears the selection unless Ctrl is down.
  void Click(int index, bool ctrl, bool shift);

 private:
  struct Column {
    int fmt = LVCFMT_LEFT;
    int width = 0;
    std::wstring title;
    int subItem = 0;
  };
  struct Item {
    std::vector<std::wstring> texts;
    UINT state = 0;
    LPARAM lParam = 0;
  };

  bool Valid(int index) const { return index >= 0 && index < Count(); }
  // Sets the state bits in mask of one item, moving the focus away from any
  // other item first, and reports the change.
  void ChangeState(int index, UINT state, UINT mask);

  std::vector<Column> columns;
  std::vector<Item> items;
  int focused = -1;
  int anchor = -1;
};
