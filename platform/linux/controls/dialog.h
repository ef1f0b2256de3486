// Modal dialogs built from standard in-memory dialog templates, and the calls
// that reach their controls. A modal dialog disables its owner's top-level
// window and runs its own message loop, which keeps dispatching every posted
// message (other windows' too) until EndDialog. In the loop Enter is IDOK (or
// the focused push button), Esc is IDCANCEL and Tab moves between controls.
//
// On the terminal a horizontal dialog unit is a quarter of a cell, as with a
// font whose average character is one cell wide; a vertical unit is a sixth of
// a row, so that a bordered single-line edit box (12 units) gets the three rows
// its frame and text need.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/controls/dialog_template.h"
#include "platform/linux/window/window.h"

typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDHELP 9

#define DM_GETDEFID (WM_USER + 0)
#define DC_HASDEFID 0x534B

#define WC_DIALOG L"#32770"

// The dialog's result from EndDialog; -1 when the template is unusable or the
// dialog could not be created.
INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);
// Ends the modal loop of a dialog with a result; FALSE for a window that is
// not a running dialog.
BOOL EndDialog(HWND hDlg, INT_PTR nResult);
// Tab, Enter and Esc for a message bound for the dialog or one of its
// controls; other messages for them are translated and dispatched. FALSE for a
// message that has nothing to do with the dialog.
BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg);

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString);
UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax);
LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);

// Platform-internal: a dialog laid out in cells, for the message box.

struct DialogCellItem {
  std::wstring className;
  std::wstring text;
  DWORD style = 0;
  DWORD exStyle = 0;
  WORD id = 0;
  RECT cells{};  // in the dialog's client area
  const void *creationData = nullptr;
};

struct DialogCellLayout {
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring title;
  RECT clientCells{};  // screen cells of the client area
  std::vector<DialogCellItem> items;
};

INT_PTR RunModalDialog(const DialogCellLayout &layout, HWND owner, DLGPROC proc, LPARAM param);

// Cells of a rectangle in dialog units.
RECT DialogUnitsToCells(short x, short y, short cx, short cy);
