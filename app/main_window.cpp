#include "app/main_window.h"

#include "app/command_ids.h"
#include "settings/parameter_list.h"
#include "settings/settings_file.h"

MainWindow::MainWindow() { InitCommonControls(); }

MainWindow::~MainWindow() = default;

HWND MainWindow::ParameterList() const { return GetDlgItem(hwnd, kParameterListId); }

void MainWindow::OnCreate() {
  ReadFileBytes(kSettingsFileName, &settings, sizeof(settings));

  RECT client;
  GetClientRect(hwnd, &client);
  CreateWindowExW(0, L"SysListView32", L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                  client.right - client.left, client.bottom - client.top, hwnd,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kParameterListId)), g_hInstance, nullptr);
  SetUpParameterList(ParameterList(), settings);

  CommandBar_AddBitmap(hwndMenuBar, g_hInstance, 1, 4, 16, 16);

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
  SendMessageW(hwndMenuBar, TB_ADDBUTTONS, 6, reinterpret_cast<LPARAM>(buttons));

  player.listener = this;
  player.listenerContext = 0;
  player.levelMetering = false;

  // Otherwise the menu would show every item enabled and none marked until
  // the first command, selection or player report.
  UpdateUI();
}

void MainWindow::OnDestroy() {
  // Stop first: its OnStopped still finds the list and the menu bar, and the
  // tone has ended before the settings are written.
  player.Stop();
  player.listener = nullptr;
  player.levelMetering = false;
  WriteFileBytes(kSettingsFileName, &settings, sizeof(settings));
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_NOTIFY) return WindowBase::HandleMessage(message, wParam, lParam);
  if (wParam != kParameterListId) return 1;

  const auto *header = reinterpret_cast<const NMHDR *>(lParam);
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      const auto *change = reinterpret_cast<const NMLISTVIEW *>(lParam);
      if ((change->uChanged & LVIF_STATE) != 0) UpdateUI();
      break;
    }
    case NM_DBLCLK:
      EditValue();
      break;
    default:
      break;
  }
  return 1;
}

void MainWindow::OnStarted(int32_t context) {
  (void)context;
  UpdateUI();
}

void MainWindow::OnStopped(int32_t context) {
  (void)context;
  UpdateUI();
}
