#include "app/window_base.h"

WindowBase::~WindowBase() = default;

void WindowBase::OnCreate() {}

bool WindowBase::OnOK() { return true; }

bool WindowBase::OnCancel() { return true; }

void WindowBase::OnHelp() {}

void WindowBase::UpdateUI() {}

void WindowBase::OnCommand(WORD id, WORD notifyCode) {
  (void)id;
  (void)notifyCode;
}

void WindowBase::OnDestroy() {}

LRESULT WindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      hwnd = nullptr;
      return 0;
    case WM_HELP:
      OnHelp();
      return 1;
    case WM_COMMAND: {
      WORD id = LOWORD(wParam);
      if (id == IDOK) {
        if (OnOK()) EndDialog(hwnd, IDOK);
      } else if (id == IDCANCEL) {
        if (OnCancel()) EndDialog(hwnd, IDCANCEL);
      } else if (id == IDHELP) {
        OnHelp();
      } else {
        OnCommand(id, HIWORD(wParam));
        UpdateUI();
      }
      return 1;
    }
    default:
      return 0;
  }
}

void WindowBase::GetItemText(int id, WCHAR *buffer) {
  buffer[0] = L'\0';
  GetDlgItemTextW(hwnd, id, buffer, kTextBufferLength);
}

INT_PTR CALLBACK WindowBase::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
    auto *object = reinterpret_cast<WindowBase *>(lParam);
    if (object != nullptr) {
      object->hwnd = hDlg;
      object->OnCreate();
      object->UpdateUI();
    }
    // TRUE lets the dialog manager give the focus to the first control.
    return TRUE;
  }
  auto *object = reinterpret_cast<WindowBase *>(GetWindowLongPtrW(hDlg, DWLP_USER));
  if (object != nullptr && object->hwnd == hDlg) {
    return object->HandleMessage(message, wParam, lParam);
  }
  return FALSE;
}
