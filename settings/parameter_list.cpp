#include "settings/parameter_list.h"

namespace {

constexpr int kLabelColumnPercent = 70;

void InsertColumn(HWND list, int column, int width) {
  WCHAR title[1] = L"";
  LVCOLUMNW lvc = {};
  lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  lvc.fmt = LVCFMT_LEFT;
  lvc.cx = width;
  lvc.pszText = title;
  lvc.iSubItem = column;
  SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&lvc));
}

void StepSelectedRows(HWND list, ToneSettings &settings, void (*step)(ToneSettings &, RowCode)) {
  int count = GetParameterRowCount(list);
  for (int row = 0; row < count; ++row) {
    if (IsParameterRowSelected(list, row)) {
      RowCode code = GetParameterRowCode(list, row);
      step(settings, code);
      ShowParameterRowValue(list, row, settings, code);
    }
  }
}

}  // namespace

int GetParameterRowCount(HWND list) { return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool IsParameterRowSelected(HWND list, int row) {
  LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, WPARAM(row), LPARAM(LVIS_SELECTED));
  return (state & LVIS_SELECTED) != 0;
}

RowCode GetParameterRowCode(HWND list, int row) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.iSubItem = 0;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    return 0;
  }
  // Item data is a pointer-sized number; a value beyond 16 bits is no row code
  // and must not be cut down to one.
  if (item.lParam < 0 || item.lParam > 0xFFFF) {
    return 0;
  }
  return RowCode(item.lParam);
}

void ShowParameterRowValue(HWND list, int row, const ToneSettings &settings, RowCode code) {
  WCHAR text[kRowTextLength];
  RowValueText(settings, code, text);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = 1;
  item.pszText = text;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetUpParameterList(HWND list, const ToneSettings &settings) {
  RECT client = {};
  GetClientRect(list, &client);
  int width = int(client.right);
  int labelWidth = width * kLabelColumnPercent / 100;
  InsertColumn(list, 0, labelWidth);
  InsertColumn(list, 1, width - labelWidth);
  FillParameterList(list, settings);
}

void FillParameterList(HWND list, const ToneSettings &settings) {
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  RowCode codes[kMaxParameterRows];
  size_t count = ParameterRowCodes(settings, codes);
  for (size_t i = 0; i < count; ++i) {
    AddParameterRow(list, settings, codes[i]);
  }
}

void AddParameterRow(HWND list, const ToneSettings &settings, RowCode code) {
  WCHAR label[kRowTextLength];
  RowLabel(settings, code, label);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = GetParameterRowCount(list);
  item.iSubItem = 0;
  item.pszText = label;
  item.lParam = LPARAM(code);
  int row = int(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row >= 0) {
    ShowParameterRowValue(list, row, settings, code);
  }
}

void StepSelectedRowsUp(HWND list, ToneSettings &settings) { StepSelectedRows(list, settings, StepRowUp); }

void StepSelectedRowsDown(HWND list, ToneSettings &settings) { StepSelectedRows(list, settings, StepRowDown); }
