// The report-style list view control ("SysListView32"): rows of label and value
// texts with item data, several selectable rows and a focused row, driven by
// the LVM_ messages and reporting LVN_ITEMCHANGED and NM_DBLCLK to its parent.
// Keys: arrows, Home/End, PgUp/PgDn move the focus and the selection follows;
// Shift extends; Space toggles the focused row; Enter is a double tap.
#pragma once

#include "platform/linux/controls/list_view_types.h"
#include "platform/linux/window/window.h"

typedef struct tagNMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
} NMLISTVIEW, *LPNMLISTVIEW;

typedef struct tagNMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
} NMITEMACTIVATE, *LPNMITEMACTIVATE;

#define LVKF_ALT 0x0001
#define LVKF_CONTROL 0x0002
#define LVKF_SHIFT 0x0004
