#include "platform/linux/controls/list_view_model.h"

#include <algorithm>
#include <cwchar>

namespace {

const std::wstring kEmpty;

int CopyText(const std::wstring &text, LPWSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  size_t count = std::min(text.size(), static_cast<size_t>(capacity - 1));
  std::wmemcpy(buffer, text.data(), count);
  buffer[count] = L'\0';
  return static_cast<int>(count);
}

}  // namespace

int ListViewModel::InsertColumn(int index, const LVCOLUMNW &column) {
  if (index < 0) return -1;
  Column entry;
  if (column.mask & LVCF_FMT) entry.fmt = column.fmt;
  if (column.mask & LVCF_WIDTH) entry.width = std::max(0, column.cx);
  if ((column.mask & LVCF_TEXT) && column.pszText) entry.title = column.pszText;
  size_t at = std::min(static_cast<size_t>(index), columns.size());
  entry.subItem = (column.mask & LVCF_SUBITEM) ? column.iSubItem : static_cast<int>(at);
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), entry);
  return static_cast<int>(at);
}

bool ListViewModel::GetColumn(int index, LVCOLUMNW *column) const {
  if (!column || index < 0 || index >= ColumnCount()) return false;
  const Column &entry = columns[static_cast<size_t>(index)];
  if (column->mask & LVCF_FMT) column->fmt = entry.fmt;
  if (column->mask & LVCF_WIDTH) column->cx = entry.width;
  if (column->mask & LVCF_SUBITEM) column->iSubItem = entry.subItem;
  if (column->mask & LVCF_TEXT) CopyText(entry.title, column->pszText, column->cchTextMax);
  return true;
}

bool ListViewModel::SetColumn(int index, const LVCOLUMNW &column) {
  if (index < 0 || index >= ColumnCount()) return false;
  Column &entry = columns[static_cast<size_t>(index)];
  if (column.mask & LVCF_FMT) entry.fmt = column.fmt;
  if (column.mask & LVCF_WIDTH) entry.width = std::max(0, column.cx);
  if (column.mask & LVCF_SUBITEM) entry.subItem = column.iSubItem;
  if ((column.mask & LVCF_TEXT) && column.pszText) entry.title = column.pszText;
  return true;
}

int ListViewModel::ColumnWidth(int index) const {
  return index >= 0 && index < ColumnCount() ? columns[static_cast<size_t>(index)].width : 0;
}

bool ListViewModel::SetColumnWidth(int index, int width) {
  if (index < 0 || index >= ColumnCount()) return false;
  columns[static_cast<size_t>(index)].width = std::max(0, width);
  return true;
}

int ListViewModel::InsertItem(const LVITEMW &item) {
  if (item.iSubItem != 0 || item.iItem < 0) return -1;
  int at = std::min(item.iItem, Count());
  Item entry;
  entry.texts.resize(1);
  if ((item.mask & LVIF_TEXT) && item.pszText) entry.texts[0] = item.pszText;
  if (item.mask & LVIF_PARAM) entry.lParam = item.lParam;
  if (item.mask & LVIF_STATE) entry.state = item.state & item.stateMask & (LVIS_SELECTED | LVIS_FOCUSED);
  if (singleSelection && (entry.state & LVIS_SELECTED)) {
    for (Item &other : items) other.state &= ~LVIS_SELECTED;
  }
  items.insert(items.begin() + at, std::move(entry));
  if (focused >= at) ++focused;
  if (anchor >= at) ++anchor;
  if (items[static_cast<size_t>(at)].state & LVIS_FOCUSED) {
    if (Valid(focused)) items[static_cast<size_t>(focused)].state &= ~LVIS_FOCUSED;
    focused = at;
  }
  return at;
}

bool ListViewModel::SetItem(const LVITEMW &item) {
  if (!Valid(item.iItem) || item.iSubItem < 0) return false;
  Item &entry = items[static_cast<size_t>(item.iItem)];
  if (item.iSubItem > 0 && (item.mask & ~LVIF_TEXT)) return false;
  if ((item.mask & LVIF_TEXT)) {
    if (entry.texts.size() <= static_cast<size_t>(item.iSubItem)) entry.texts.resize(static_cast<size_t>(item.iSubItem) + 1);
    entry.texts[static_cast<size_t>(item.iSubItem)] = item.pszText ? item.pszText : L"";
  }
  if (item.mask & LVIF_PARAM) entry.lParam = item.lParam;
  if (item.mask & LVIF_STATE) ChangeState(item.iItem, item.state, item.stateMask);
  return true;
}

bool ListViewModel::GetItem(LVITEMW *item) const {
  if (!item || !Valid(item->iItem) || item->iSubItem < 0) return false;
  const Item &entry = items[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) CopyText(Text(item->iItem, item->iSubItem), item->pszText, item->cchTextMax);
  if (item->mask & LVIF_PARAM) item->lParam = entry.lParam;
  if (item->mask & LVIF_STATE) item->state = entry.state & item->stateMask;
  return true;
}

bool ListViewModel::SetItemText(int index, const LVITEMW &item) {
  LVITEMW copy = item;
  copy.mask = LVIF_TEXT;
  copy.iItem = index;
  return SetItem(copy);
}

int ListViewModel::GetItemText(int index, LVITEMW *item) const {
  if (!item) return 0;
  if (!Valid(index)) return CopyText(kEmpty, item->pszText, item->cchTextMax);
  return CopyText(Text(index, item->iSubItem), item->pszText, item->cchTextMax);
}

bool ListViewModel::DeleteItem(int index) {
  if (!Valid(index)) return false;
  items.erase(items.begin() + index);
  if (focused == index) focused = -1;
  else if (focused > index) --focused;
  if (anchor == index) anchor = -1;
  else if (anchor > index) --anchor;
  return true;
}

void ListViewModel::DeleteAllItems() {
  items.clear();
  focused = -1;
  anchor = -1;
}

int ListViewModel::GetNextItem(int start, UINT flags) const {
  UINT wanted = 0;
  if (flags & LVNI_FOCUSED) wanted |= LVIS_FOCUSED;
  if (flags & LVNI_SELECTED) wanted |= LVIS_SELECTED;
  if (flags & LVNI_ABOVE) {
    for (int i = std::min(start, Count()) - 1; i >= 0; --i) {
      if ((items[static_cast<size_t>(i)].state & wanted) == wanted) return i;
    }
    return -1;
  }
  for (int i = std::max(start + 1, 0); i < Count(); ++i) {
    if ((items[static_cast<size_t>(i)].state & wanted) == wanted) return i;
  }
  return -1;
}

bool ListViewModel::SetItemState(int index, UINT state, UINT mask) {
  if (index == -1) {
    // Only one item can hold the focus; giving it to all means nothing.
    mask &= ~(state & LVIS_FOCUSED);
    for (int i = 0; i < Count(); ++i) ChangeState(i, state, mask);
    return true;
  }
  if (!Valid(index)) return false;
  ChangeState(index, state, mask);
  return true;
}

UINT ListViewModel::GetItemState(int index, UINT mask) const {
  return Valid(index) ? items[static_cast<size_t>(index)].state & mask : 0;
}

int ListViewModel::SelectedCount() const {
  return static_cast<int>(std::count_if(items.begin(), items.end(), [](const Item &item) {
    return (item.state & LVIS_SELECTED) != 0;
  }));
}

const std::wstring &ListViewModel::Text(int index, int subItem) const {
  if (!Valid(index) || subItem < 0) return kEmpty;
  const Item &entry = items[static_cast<size_t>(index)];
  return static_cast<size_t>(subItem) < entry.texts.size() ? entry.texts[static_cast<size_t>(subItem)] : kEmpty;
}

void ListViewModel::ChangeState(int index, UINT state, UINT mask) {
  mask &= LVIS_SELECTED | LVIS_FOCUSED;
  Item &entry = items[static_cast<size_t>(index)];
  UINT newState = (entry.state & ~mask) | (state & mask);
  if ((newState & LVIS_FOCUSED) && focused != index) {
    if (Valid(focused)) ChangeState(focused, 0, LVIS_FOCUSED);
    focused = index;
  } else if (!(newState & LVIS_FOCUSED) && focused == index) {
    focused = -1;
  }
  if (singleSelection && (newState & LVIS_SELECTED) && !(entry.state & LVIS_SELECTED)) {
    for (int i = 0; i < Count(); ++i) {
      if (i != index && (items[static_cast<size_t>(i)].state & LVIS_SELECTED)) ChangeState(i, 0, LVIS_SELECTED);
    }
  }
  UINT oldState = entry.state;
  if (oldState == newState) return;
  entry.state = newState;
  if (onChange) onChange({index, oldState, newState, entry.lParam});
}

void ListViewModel::MoveFocusTo(int index, bool extend) {
  if (Count() == 0) return;
  index = std::clamp(index, 0, Count() - 1);
  if (singleSelection || !Valid(anchor)) extend = extend && !singleSelection && Valid(anchor);
  int low = extend ? std::min(anchor, index) : index;
  int high = extend ? std::max(anchor, index) : index;
  for (int i = 0; i < Count(); ++i) {
    if ((i < low || i > high) && (items[static_cast<size_t>(i)].state & LVIS_SELECTED)) ChangeState(i, 0, LVIS_SELECTED);
  }
  for (int i = low; i <= high; ++i) {
    if (i != index) ChangeState(i, LVIS_SELECTED, LVIS_SELECTED);
  }
  ChangeState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  if (!extend) anchor = index;
}

void ListViewModel::ToggleItem(int index) {
  if (!Valid(index)) return;
  if (singleSelection) {
    MoveFocusTo(index, false);
    return;
  }
  UINT selected = items[static_cast<size_t>(index)].state & LVIS_SELECTED;
  ChangeState(index, (selected ^ LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  anchor = index;
}

void ListViewModel::Click(int index, bool ctrl, bool shift) {
  if (!Valid(index)) {
    if (!ctrl) SetItemState(-1, 0, LVIS_SELECTED);
    return;
  }
  if (ctrl) {
    ToggleItem(index);
  } else {
    MoveFocusTo(index, shift);
  }
}
