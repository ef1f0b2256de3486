// The numbers and names by which the program's resources are looked up, shared
// by the resource data and the code that loads it. Command ids of the menu items
// belong to the main window's code, not here.
#pragma once

#include <cstdint>

// Resource types, numbered as the platform's RT_ constants.
enum : uint16_t {
  kResourceTypeIcon = 3,
  kResourceTypeBitmap = 2,
  kResourceTypeMenu = 4,
  kResourceTypeDialog = 5,
  kResourceTypeString = 6,
  kResourceTypeRawData = 10,
  kResourceTypeGroupIcon = 14,
};

enum : uint16_t {
  kMainMenuId = 101,     // the menu whose pop-ups the soft menu bar opens
  kMenuBarId = 101,      // raw data: the soft menu bar's buttons
  kToolBarBitmapId = 1,  // four 16 x 16 tool bar images
  kMainIconId = 1,       // icon group
  kFileCaptionId = 201,
  kToneCaptionId = 202,
  kHelpCaptionId = 203,
};

inline constexpr const wchar_t *kTextEditDialogName = L"LTextEditDlg";
