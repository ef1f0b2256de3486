// The parameter list: the main window's report-style list view, one row per
// editable value of the settings record, its label in column 0, its value in
// column 1 and its RowCode as the item data. Free functions over the list
// control and the record, both passed in every time; the list keeps no state
// beyond its rows. Not the texts themselves: those are parameter_list_model.h.
//
// User-interface thread only, like the list control itself.
#pragma once

#include "platform/platform.h"
#include "settings/parameter_list_model.h"
#include "settings/tone_settings.h"

// Adds the two columns, 70 % and 30 % of the control's client width, then
// fills the list. The column widths are set only here.
void SetUpParameterList(HWND list, const ToneSettings &settings);

// Deletes every row and adds the rows the record calls for; no row stays
// selected.
void FillParameterList(HWND list, const ToneSettings &settings);

// Appends the row for `code`: its label, its code as item data, its value text.
void AddParameterRow(HWND list, const ToneSettings &settings, RowCode code);

// Steps the value of every selected row and shows its new value text. Labels
// and the selection stay as they are.
void StepSelectedRowsUp(HWND list, ToneSettings &settings);
void StepSelectedRowsDown(HWND list, ToneSettings &settings);

// The list operations the functions above are built from, shared with the
// value edit dialog, which walks the selected rows the same way.
int GetParameterRowCount(HWND list);
bool IsParameterRowSelected(HWND list, int row);
// The row's item data as a row code; 0, which names no field, when the row
// cannot be read or holds a number no row code has.
RowCode GetParameterRowCode(HWND list, int row);
// Sets column 1 of `row` to the value text of `code`.
void ShowParameterRowValue(HWND list, int row, const ToneSettings &settings, RowCode code);
