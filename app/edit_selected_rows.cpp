#include "app/edit_selected_rows.h"

#include "app/text_edit_dialog.h"
#include "settings/parameter_list.h"
#include "settings/parameter_list_model.h"

bool EditSelectedRows(HWND list, ToneSettings &settings) {
  bool confirmed = false;
  int count = GetParameterRowCount(list);
  for (int row = 0; row < count; ++row) {
    if (!IsParameterRowSelected(list, row)) continue;
    RowCode code = GetParameterRowCode(list, row);
    WCHAR label[kRowTextLength];
    WCHAR value[kRowTextLength];
    RowLabel(settings, code, label);
    RowValueText(settings, code, value);
    if (!EditText(value, label, list)) return confirmed;
    ParseRowValue(settings, code, value);
    ShowParameterRowValue(list, row, settings, code);
    confirmed = true;
  }
  return confirmed;
}
