// TextEditDialog: a small modal dialog that edits one line of text in a
// caller's buffer, with the caller's caption and the text wholly selected at
// the start, so that typing replaces it. It knows nothing of rows or settings;
// EditSelectedRows is what puts values in and reads them back.
#pragma once

#include "app/window_base.h"

class TextEditDialog : public WindowBase {
 public:
  TextEditDialog(WCHAR *text, const WCHAR *caption) : text(text), caption(caption) {}

  void OnCreate() override;
  bool OnOK() override;

  // Runs the named dialog template modally over owner with this object; true
  // when it ended with OK. Refuses while this object already runs a dialog.
  bool DoModal(HWND owner, const WCHAR *templateName);

  // In: the text shown at the start; out: the confirmed text. Holds
  // kTextBufferLength characters. Not owned.
  WCHAR *text;
  // Not owned.
  const WCHAR *caption;
};

// The edit box of the "LTextEditDlg" template.
constexpr int kTextEditBoxId = 100;

// Shows text (a buffer of kTextBufferLength characters) in the value edit
// dialog over owner; true when the user confirmed with OK, and text then holds
// what was confirmed. A template that cannot be found or shown gives false.
bool EditText(WCHAR *text, const WCHAR *caption, HWND owner);
