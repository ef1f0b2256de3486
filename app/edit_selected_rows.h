// EditSelectedRows: the Edit Value command on the parameter list. Offers each
// selected row, in list order, in the value edit dialog and stores what the
// user confirms in the settings record and the row's value column.
#pragma once

#include "platform/platform.h"
#include "settings/tone_settings.h"

// Stops at the first cancelled dialog: that row and the selected rows after it
// stay as they were, rows confirmed before keep their new values. True when at
// least one row was confirmed. Labels are not refreshed; the selection stays.
bool EditSelectedRows(HWND list, ToneSettings &settings);
