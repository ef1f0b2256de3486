// WindowBase: the root of the window framework. It turns the messages of a
// window or a dialog into calls of virtual operations, so that a derived class
// only says what it does on create, OK, cancel, help, a command or destroy.
// It does not own the platform window: the framework keeps a pointer to the
// object in the window and never deletes it.
#pragma once

#include "platform/platform.h"

// Text buffers of controls and dialogs hold this many characters, terminator
// included.
constexpr int kTextBufferLength = 260;

class WindowBase {
 public:
  WindowBase() = default;
  WindowBase(const WindowBase &) = delete;
  WindowBase &operator=(const WindowBase &) = delete;

  // The slot order below is part of the framework's shape: destructor, then
  // the handlers, with HandleMessage last (FrameWindow appends one more).
  virtual ~WindowBase();
  virtual void OnCreate();
  // May a dialog end with OK?
  virtual bool OnOK();
  // May a dialog end with Cancel, or a frame window close?
  virtual bool OnCancel();
  virtual void OnHelp();
  // Recomputes the enabled and checked states of whatever the window shows.
  virtual void UpdateUI();
  virtual void OnCommand(WORD id, WORD notifyCode);
  virtual void OnDestroy();
  // The generic dispatcher; nonzero when the message was handled.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Empties buffer, then copies the control's text into it: at most
  // kTextBufferLength - 1 characters and a terminating zero.
  void GetItemText(int id, WCHAR *buffer);

  // The dialog procedure for any dialog whose initialisation parameter is a
  // WindowBase; the object is kept in the dialog's DWLP_USER word.
  static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

  // The window or dialog this object is attached to; null while none is.
  HWND hwnd = nullptr;
};
