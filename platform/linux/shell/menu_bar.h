// The soft menu bar at the bottom of the screen: drop-down buttons built from a
// menu-bar resource that open the pop-ups of its menu, followed by tool bar
// image buttons; both send WM_COMMAND to the bar's parent. On the terminal the
// bar is the bottom two rows: the buttons, then a line of key hints.
// Keys while the parent is active and enabled: Alt+<first letter of a button>
// (F10 for the first) opens a pop-up; a tool bar image may have a key of its
// own, ignored while an edit box has the focus.
#pragma once

#include "platform/pocket_shell_records.h"
#include "platform/linux/window/window.h"

// A terminal cannot show a bitmap's images, so the program gives stand-ins:
// for bitmap N, resource N of this type holds three zero-terminated 16-bit
// texts with one character per image, left to right: the glyphs shown on a
// UTF-8 terminal, the glyphs shown on any other, and the keys that press the
// images. An image beyond a text's end shows as '?' or has no key.
inline constexpr const wchar_t *kBitmapGlyphsType = L"BITMAPGLYPHS";

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)

typedef struct _TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
  DWORD_PTR dwData;
  INT_PTR iString;
} TBBUTTON, *PTBBUTTON, *LPTBBUTTON;
typedef const TBBUTTON *LPCTBBUTTON;

#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08
#define TBSTYLE_BUTTON 0x00
#define TBSTYLE_SEP 0x01
#define TBSTYLE_DROPDOWN 0x08
#define TBSTYLE_AUTOSIZE 0x10
#define I_IMAGENONE (-2)

#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_ADDBUTTONSW (WM_USER + 68)
#define TB_ADDBUTTONS TB_ADDBUTTONSW

// The window class of the bar.
#define WC_MENUBARW L"menu_worker"

// Creates the bar for hwndParent from the menu-bar resource nToolBarId (or an
// empty bar with SHCMBF_EMPTYBAR); fills hwndMB. FALSE, with hwndMB null, when
// the parent or the resource is missing.
BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi);

// Adds iNumImages images of bitmap idBitmap to the bar; the index of the first
// one, or -1 when the bitmap is missing.
int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int iImageWidth,
                         int iImageHeight);
