// terminal_demo: the main window's controls on a real terminal, for the tmux
// test beside it. A frame window with the soft menu bar and its tool bar
// images, and the parameter list filled from a settings record; a double tap
// on the list opens the value edit dialog. Every command the bar or a menu
// delivers is shown in the title ("Wendrel: command N"), so the test can see
// that a key or a click arrived as the right command. No sound, no settings
// file.
#include <cstdio>
#include <string>

#include "app/command_ids.h"
#include "app/edit_selected_rows.h"
#include "app/frame_window.h"
#include "platform/platform.h"
#include "platform/window/screen_session.h"
#include "settings/parameter_list.h"
#include "settings/settings_edits.h"
#include "settings/tone_settings.h"

namespace {

class DemoWindow : public FrameWindow {
 public:
  DemoWindow() {
    SetStereo(settings, true);
    SetToneMode(settings, ToneMode::SweepLinear);
    SetToneCount(settings, 3);
    ToggleVariableAmplitude(settings);
    settings.leftStartHz[0] = 440.0;
    InitCommonControls();
  }

  void OnCreate() override {
    RECT client;
    GetClientRect(hwnd, &client);
    CreateWindowExW(0, L"SysListView32", L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                    client.right - client.left, client.bottom - client.top, hwnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kParameterListId)), g_hInstance, nullptr);
    SetUpParameterList(List(), settings);

    CommandBar_AddBitmap(hwndMenuBar, g_hInstance, 1, 4, 16, 16);
    TBBUTTON buttons[6] = {};
    const int commands[6] = {0, kCmdToolPlay, kCmdToolStop, kCmdToolIncrease, kCmdToolDecrease, 0};
    for (int i = 0; i < 6; ++i) {
      bool separator = i == 0 || i == 5;
      buttons[i].iBitmap = separator ? 0 : i - 1;
      buttons[i].idCommand = commands[i];
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = separator ? TBSTYLE_SEP : TBSTYLE_BUTTON;
      buttons[i].iString = i == 5 ? 0 : -1;
    }
    SendMessageW(hwndMenuBar, TB_ADDBUTTONS, 6, reinterpret_cast<LPARAM>(buttons));
  }

  void OnCommand(WORD id, WORD notifyCode) override {
    (void)notifyCode;
    if (id == kCmdExit) {
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return;
    }
    std::wstring title = std::wstring(kMainWindowTitle) + L": command " + std::to_wstring(id);
    SetWindowTextW(hwnd, title.c_str());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SIZE) {
      MoveWindow(List(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 1;
    }
    if (message != WM_NOTIFY) return WindowBase::HandleMessage(message, wParam, lParam);
    const auto *header = reinterpret_cast<const NMHDR *>(lParam);
    if (wParam == kParameterListId && header->code == NM_DBLCLK) EditSelectedRows(List(), settings);
    return 1;
  }

  // Stereo, linear sweep, three tones with their own amplitudes: rows of
  // every kind; the first row's value (440 Hz) is not a default.
  ToneSettings settings;

 private:
  HWND List() const { return GetDlgItem(hwnd, kParameterListId); }
};

}  // namespace

int main() {
  std::string error;
  if (!StartTerminalScreen(&error)) {
    std::fprintf(stderr, "terminal_demo: %s\n", error.c_str());
    return 1;
  }
  {
    DemoWindow window;
    window.Run();
  }
  StopScreen();
  return 0;
}
