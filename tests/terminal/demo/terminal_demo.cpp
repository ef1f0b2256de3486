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
#include "app/main_window_controls.h"
#include "platform/platform.h"
#include "platform/linux/window/screen_session.h"
#include "res/program_resources.h"
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
    CreateParameterList(hwnd, settings);
    AddToolBarButtons(hwndMenuBar);
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
  std::span<const uint8_t> resources = ProgramResourceFile();
  g_hInstance = RegisterProgramResources(resources.data(), resources.size());
  {
    DemoWindow window;
    window.Run();
  }
  StopScreen();
  return 0;
}
