#include "platform/controls/common_controls.h"

#include "platform/controls/button_control.h"
#include "platform/controls/edit_control.h"
#include "platform/controls/list_view.h"
#include "platform/controls/static_control.h"

namespace {

bool IsRegistered(LPCWSTR name) {
  WNDCLASSW info{};
  return GetClassInfoW(nullptr, name, &info) != FALSE;
}

}  // namespace

void EnsureControlClasses() {
  if (!IsRegistered(WC_LISTVIEWW)) RegisterListViewClass();
  if (!IsRegistered(WC_EDITW)) RegisterEditClass();
  if (!IsRegistered(WC_BUTTONW)) RegisterButtonClass();
  if (!IsRegistered(WC_STATICW)) RegisterStaticClass();
}

void InitCommonControls(void) { EnsureControlClasses(); }

void NotifyParentCommand(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
               reinterpret_cast<LPARAM>(control));
}
