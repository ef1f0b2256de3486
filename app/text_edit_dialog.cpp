#include "app/text_edit_dialog.h"

#include <cwchar>

bool EditText(WCHAR *text, const WCHAR *caption, HWND owner) {
  TextEditDialog dialog(text, caption);
  return dialog.DoModal(owner, L"LTextEditDlg");
}

bool TextEditDialog::DoModal(HWND owner, const WCHAR *templateName) {
  if (hwnd != nullptr) return false;
  HRSRC found = FindResourceW(g_hInstance, templateName, RT_DIALOG);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(g_hInstance, found);
  if (loaded == nullptr) return false;
  // A loaded resource is its data in memory; no locking step is needed.
  INT_PTR result = DialogBoxIndirectParamW(g_hInstance, static_cast<LPCDLGTEMPLATEW>(loaded), owner, DialogProc,
                                           reinterpret_cast<LPARAM>(this));
  return result == IDOK;
}

void TextEditDialog::OnCreate() {
  SetWindowTextW(hwnd, caption);
  SetDlgItemTextW(hwnd, kTextEditBoxId, text);
  SendDlgItemMessageW(hwnd, kTextEditBoxId, EM_SETSEL, 0, static_cast<LPARAM>(wcslen(text)));
}

bool TextEditDialog::OnOK() {
  // Unchanged text is left exactly as the caller filled it.
  if (SendDlgItemMessageW(hwnd, kTextEditBoxId, EM_GETMODIFY, 0, 0) != 0) GetItemText(kTextEditBoxId, text);
  return true;
}
