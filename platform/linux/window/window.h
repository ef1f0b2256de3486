// The window system: registered classes, windows with one user-data word and a
// procedure, one message queue per user-interface thread, painting and focus,
// and finding a top-level window of another process. Drawn on the terminal
// (platform/linux/screen/); the controls and the shell's menu bar are built on it in
// platform/linux/controls/ and platform/linux/shell/, not here.
//
// Threads: a window belongs to the thread that created it and every call that
// touches a window's state runs on that thread, except PostMessageW, IsWindow
// and FindWindowW, which any thread may call.
//
// Destruction order of DestroyWindow(w): WM_DESTROY goes to w first, while its
// children, its owned pop-ups and their handles are all still alive; then the
// windows w owns are destroyed, then its children, each getting WM_DESTROY
// before its own children; then WM_NCDESTROY runs from the innermost child
// outwards and every handle dies. A dead handle is never handed out again.
#pragma once

#include "platform/linux/win_types.h"
#include "platform/linux/screen/virtual_keys.h"

// ---------------------------------------------------------------------------
// Window procedures and classes

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008

typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
} WNDCLASSW, *LPWNDCLASSW;
typedef WORD ATOM;

// Class names are matched without regard to case, as Win32 does; the instance
// handle does not split the name space (one program, one module).
ATOM RegisterClassW(const WNDCLASSW *lpWndClass);
BOOL GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass);
BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);

// ---------------------------------------------------------------------------
// Styles

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_CONTROLPARENT 0x00010000L
#define WS_EX_NOACTIVATE 0x08000000L

#define CW_USEDEFAULT ((int)0x80000000)

// ---------------------------------------------------------------------------
// Messages

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_SETTINGCHANGE 0x001A
#define WM_CANCELMODE 0x001F
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_WINDOWPOSCHANGED 0x0047
// For F1, to the focused window; DefWindowProcW turns it into WM_HELP,
// so the help a window shows runs inside a dispatch.
#define WM_KEYF1 0x004D
#define WM_NOTIFY 0x004E
#define WM_HELP 0x0053
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_GETDLGCODE 0x0087
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0108
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_INITMENUPOPUP 0x0117
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSELAST 0x020A
#define WM_CAPTURECHANGED 0x0215
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_ACTIVATE's low word
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// WM_SIZE's wParam
#define SIZE_RESTORED 0

#define WHEEL_DELTA 120

typedef struct tagCREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTW, *LPCREATESTRUCTW;

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

#define HELPINFO_WINDOW 0x0001
#define HELPINFO_MENUITEM 0x0002

typedef struct tagHELPINFO {
  UINT cbSize;
  int iContextType;
  int iCtrlId;
  HANDLE hItemHandle;
  DWORD_PTR dwContextId;
  POINT MousePos;
} HELPINFO, *LPHELPINFO;

typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *LPSIZE;

// ---------------------------------------------------------------------------
// Windows

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);
#define CreateWindowW(cls, name, style, x, y, w, h, parent, menu, inst, param) \
  CreateWindowExW(0, cls, name, style, x, y, w, h, parent, menu, inst, param)
BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// The indexes of a 64-bit Windows: those that hold a pointer exist only as the
// pointer-sized GWLP_ and DWLP_ names, so that code keeping a pointer with the
// 32-bit calls fails to build here as it does there.
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWL_ID (-12)
#define GWLP_ID GWL_ID
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#if UINTPTR_MAX == UINT32_MAX
#define GWL_WNDPROC GWLP_WNDPROC
#define GWL_HINSTANCE GWLP_HINSTANCE
#define GWL_HWNDPARENT GWLP_HWNDPARENT
#define GWL_USERDATA GWLP_USERDATA
#endif
// A dialog's words, byte offsets into its extra bytes: its procedure's result,
// the procedure and the user word. The dialog manager (platform/linux/controls/)
// gives its windows room for these three.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + sizeof(DLGPROC))
// cbWndExtra a dialog class needs for the three words above.
#define DLGWINDOWEXTRA (3 * sizeof(LONG_PTR))

// As on Windows: the Ptr calls move pointer-sized values; the others move a
// LONG, so on a 64-bit machine a pointer kept with them loses its upper half.
// Non-negative indexes are byte offsets into the class's cbWndExtra bytes,
// refused when the value would not fit there. Failure returns 0; a 32-bit call
// on an index that holds a pointer (procedure, instance, parent) fails.
LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);
LONG GetWindowLongW(HWND hWnd, int nIndex);
LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex);

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
int GetWindowTextLengthW(HWND hWnd);

// Rectangles are in pixels; screen coordinates have one terminal cell as
// 8 × 13 pixels (platform/linux/screen/screen.h) with the origin at the top-left
// cell. A top-level window made with CW_USEDEFAULT covers the screen below its
// top row, which shows the main window's title as the shell's title bar does.
// A window with WS_BORDER (WS_CAPTION includes it) has a one-cell frame on
// every side, its top edge carrying the title when WS_CAPTION is set; the
// client area is what lies inside.
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);

#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);

HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
int GetDlgCtrlID(HWND hWnd);
// For a child window its parent; for a top-level window its owner (null when
// it has none), as Win32 does.
HWND GetParent(HWND hWnd);
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
// Children in creation order; top-level windows in z-order, topmost first.
HWND GetWindow(HWND hWnd, UINT uCmd);
#define GA_PARENT 1
#define GA_ROOT 2
#define GA_ROOTOWNER 3
HWND GetAncestor(HWND hwnd, UINT gaFlags);
BOOL IsChild(HWND hWndParent, HWND hWnd);
HWND GetDesktopWindow(void);
HWND WindowFromPoint(POINT Point);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
// Returns whether the window was visible before. Showing a top-level window
// activates it unless it has WS_EX_NOACTIVATE or the command is SW_SHOWNA /
// SW_SHOWNOACTIVATE.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL IsWindowVisible(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);

// ---------------------------------------------------------------------------
// Painting. The whole client area is the smallest unit that is invalidated;
// the drawing itself goes through platform/linux/window/paint.h.

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

BOOL InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const RECT *lpRect);
BOOL UpdateWindow(HWND hWnd);
// Clears the client area to blanks when the window was invalidated with erase.
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint);
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define SYSTEM_FONT 13
// A non-null token per object; there is nothing to draw with it on a terminal.
HGDIOBJ GetStockObject(int i);
BOOL DeleteObject(HGDIOBJ ho);

// ---------------------------------------------------------------------------
// Messages and the queue

// Calls the window's procedure at once. Only from the window's own thread:
// for a dead window or one of another thread nothing is called and the
// result is 0 (the system never sends across threads; its feeder posts).
LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Any thread. Queues the message for the window's thread and wakes its
// GetMessageW. A null window posts to the calling thread's own queue with a
// null hwnd. FALSE for a dead window.
BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);

// Order of delivery on a thread: posted messages first (in order), then one
// input event at a time turned into a message for the focused window (keys) or
// the window under the pointer (mouse), or for the window a route of
// input_hooks.h names, then WM_PAINT for an invalid window;
// when there is nothing, the screen is brought up to date and the thread
// blocks. A WM_PAINT handed out counts as validated, so a procedure that does
// not paint cannot spin the loop.
// Keys: WM_KEYDOWN (WM_SYSKEYDOWN with Alt) with the VK_ code in wParam; a
// terminal reports no key releases, so there is no WM_KEYUP. TranslateMessage
// then posts WM_CHAR for a key that types a character, and for Enter (13),
// Tab (9), Backspace (8), Esc (27) and Ctrl+letter (1..26). F1 is no key
// message: WM_KEYF1 goes to the focused window, and DefWindowProcW sends it
// on as WM_HELP (lParam a HELPINFO), which it passes up from child to parent
// and from owned window to owner.
// Mouse: WM_LBUTTONDOWN / WM_LBUTTONDBLCLK / WM_LBUTTONUP with the client
// coordinates in pixels of the cell's top-left corner and MK_ flags in wParam.
// A double click is WM_LBUTTONDBLCLK whether or not the class asked for
// CS_DBLCLKS. Clicks never change the active window.
// Returns FALSE for WM_QUIT, -1 for a bad window filter, TRUE otherwise.
BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002
BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL WaitMessage(void);
BOOL TranslateMessage(const MSG *lpMsg);
LRESULT DispatchMessageW(const MSG *lpMsg);

// ---------------------------------------------------------------------------
// Focus, activation, capture, keyboard

// Sends WM_KILLFOCUS to the window losing the focus, then WM_SETFOCUS to the
// new one; activates the new one's top-level window (unless that has
// WS_EX_NOACTIVATE). A dead or disabled window (or one inside a disabled
// window): nothing changes and the result is null; a hidden one may take the
// focus (a dialog focuses its control before it is shown). Null: no focus. DefWindowProcW of
// WM_SETFOCUS on a top-level window hands the focus on to its first visible,
// enabled child (a WS_TABSTOP one if any): on a terminal keys must land on a
// control.
HWND SetFocus(HWND hWnd);
HWND GetFocus(void);
// The active window is a top-level window of this thread; it gets
// WM_ACTIVATE, the one losing it first. When it is hidden or destroyed, its
// owner (if visible and enabled) or else the topmost visible, enabled window
// takes over, and the focus goes back to where it was in that window.
HWND GetActiveWindow(void);
HWND SetActiveWindow(HWND hWnd);
HWND GetForegroundWindow(void);
// A window of this process: activates it. A window of another process (from
// FindWindowW): asks that process to come forward, which flashes its screen.
BOOL SetForegroundWindow(HWND hWnd);
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture(void);
HWND GetCapture(void);
// Bit 15 set while the key is down, as far as the terminal tells: Shift,
// Control and Alt (VK_SHIFT, VK_CONTROL, VK_MENU) of the input event being
// delivered.
SHORT GetKeyState(int nVirtKey);

#define MB_OK 0x00000000L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
// Nothing to sound on a terminal.
BOOL MessageBeep(UINT uType);

// ---------------------------------------------------------------------------
// Finding a window of another process

// A visible top-level window that has a title is published to the other
// processes of the same user; FindWindowW looks in this process first, then
// among those published by others (dead ones are ignored and cleaned away).
// Either argument may be null to match any. The handle of another process's
// window serves only SetForegroundWindow and IsWindow.
HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
