#include "app/main_window.h"

#include "app/command_ids.h"
#include "app/main_window_controls.h"
#include "settings/settings_file.h"

MainWindow::MainWindow() { InitCommonControls(); }

MainWindow::~MainWindow() = default;

HWND MainWindow::ParameterList() const { return GetDlgItem(hwnd, kParameterListId); }

void MainWindow::OnCreate() {
  ReadFileBytes(kSettingsFileName, &settings, sizeof(settings));

  CreateParameterList(hwnd, settings);
  AddToolBarButtons(hwndMenuBar);

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
