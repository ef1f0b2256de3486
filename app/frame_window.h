// FrameWindow: a top-level window with a soft menu bar and its own message
// loop, and the single-instance check that goes with it. Only the main window
// derives from it; dialogs use WindowBase::DialogProc instead.
#pragma once

#include "app/window_base.h"

class FrameWindow : public WindowBase {
 public:
  FrameWindow();

  // Offered every queued message before it is translated and dispatched;
  // true when the window consumed it.
  virtual bool PreTranslateMessage(HWND hwndMessage, UINT message, WPARAM wParam, LPARAM lParam);

  // Brings a running instance forward and returns, or creates the window and
  // runs the message loop until the window no longer exists.
  void Run();
  // Run's creation steps alone: registers the class, creates and shows the
  // window. Returns the window, or null when it could not be created. For a
  // caller with a message loop of its own.
  HWND CreateFrame();

  static LRESULT CALLBACK FrameWindowProc(HWND hwndFrame, UINT message, WPARAM wParam, LPARAM lParam);

  // Kept for the shell's activation and setting-change handlers (input panel).
  SHACTIVATEINFO activateInfo;
  // The soft menu bar, or null before creation, when it failed, after destroy.
  HWND hwndMenuBar = nullptr;
};

// The class and title by which a second start finds the first.
inline constexpr const WCHAR *kMainWindowClass = L"LMainWindow";
inline constexpr const WCHAR *kMainWindowTitle = L"Wendrel";
// The menu-bar resource, and the height the bar takes below the window.
constexpr int kMenuBarResource = 101;
constexpr int kMenuBarHeight = 26;
