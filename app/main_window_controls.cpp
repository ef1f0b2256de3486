#include "app/main_window_controls.h"

#include "app/command_ids.h"
#include "app/window_base.h"
#include "settings/parameter_list.h"

void CreateParameterList(HWND parent, const ToneSettings &settings) {
  RECT client;
  GetClientRect(parent, &client);
  HWND list = CreateWindowExW(
      0, L"SysListView32", L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
      client.right - client.left, client.bottom - client.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kParameterListId)), g_hInstance, nullptr);
  SetUpParameterList(list, settings);
}

void AddToolBarButtons(HWND menuBar) {
  CommandBar_AddBitmap(menuBar, g_hInstance, 1, 4, 16, 16);

  // A separator, Play, Stop, Increase, Decrease and a closing separator, after
  // the bar's three drop-down buttons. Always enabled: only menu items grey.
  struct ButtonEntry {
    int image;
    int command;
    BYTE style;
    INT_PTR string;
  };
  static constexpr ButtonEntry kEntries[6] = {
      {0, 0, TBSTYLE_SEP, -1},
      {0, kCmdToolPlay, TBSTYLE_BUTTON, -1},
      {1, kCmdToolStop, TBSTYLE_BUTTON, -1},
      {2, kCmdToolIncrease, TBSTYLE_BUTTON, -1},
      {3, kCmdToolDecrease, TBSTYLE_BUTTON, -1},
      {0, 0, TBSTYLE_SEP, 0},
  };
  TBBUTTON buttons[6] = {};
  for (int i = 0; i < 6; ++i) {
    buttons[i].iBitmap = kEntries[i].image;
    buttons[i].idCommand = kEntries[i].command;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = kEntries[i].style;
    buttons[i].dwData = 0;
    buttons[i].iString = kEntries[i].string;
  }
  SendMessageW(menuBar, TB_ADDBUTTONS, 6, reinterpret_cast<LPARAM>(buttons));
}
