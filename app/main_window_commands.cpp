// The main window's commands and menu states.
#include "app/command_ids.h"
#include "app/edit_selected_rows.h"
#include "app/main_window.h"
#include "settings/parameter_list.h"
#include "settings/settings_edits.h"
#include "synth/source_factory.h"

namespace {

const WCHAR kHelpCaption[] = L"Wendrel Help";
const WCHAR kHelpText[] =
    L"Step 1. Select the tone type using the Tone menu.\r\n"
    L"Step 2. Edit the details (frequency or duration) of the tone(s) by double-clicking on the main list.\r\n"
    L"Step 3. Click play.\r\n"
    L"\r\n"
    L"The full manual comes with the download of the desktop version of Wendrel from the Wendrel project's web "
    L"site.";

const WCHAR kAboutCaption[] = L"About Wendrel";
const WCHAR kAboutText[] =
    L"Wendrel\r\n"
    L"Version 1.0.0\r\n"
    L"The Wendrel Project\r\n"
    L"\r\n"
    L"www.wendrel.example.org\r\n"
    L"wendrel@example.org";

const WCHAR kPlayErrorCaption[] = L"Sound Play Error";
const WCHAR kPlayErrorText[] = L"Unable to start playback.";

}  // namespace

void MainWindow::OnCommand(WORD id, WORD notifyCode) {
  (void)notifyCode;
  switch (id) {
    case kCmdPlay:
    case kCmdToolPlay:
      Play();
      return;
    case kCmdStop:
    case kCmdToolStop:
      player.Stop();
      return;
    case kCmdExit:
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return;
    case kCmdIncreaseValue:
    case kCmdToolIncrease:
      IncreaseValue();
      return;
    case kCmdDecreaseValue:
    case kCmdToolDecrease:
      DecreaseValue();
      return;
    case kCmdEditValue:
      EditValue();
      return;
    case kCmdModeContinuous:
    case kCmdModeDuration:
    case kCmdModeSweepLinear:
    case kCmdModeSweepLog:
      SetToneMode(settings, static_cast<ToneMode>(id - kCmdModeContinuous));
      OnSettingsChanged();
      return;
    case kCmdMono:
    case kCmdStereo:
      SetStereo(settings, id == kCmdStereo);
      OnSettingsChanged();
      return;
    case kCmdVariableAmplitude:
      ToggleVariableAmplitude(settings);
      OnSettingsChanged();
      return;
    case kCmdAbout:
      MessageBoxW(hwnd, kAboutText, kAboutCaption, MB_OK);
      return;
    default:
      break;
  }
  if (id >= kCmdToneCountFirst && id <= kCmdToneCountLast) {
    SetToneCount(settings, id - kCmdToneCountBase);
    OnSettingsChanged();
  } else if (id >= kCmdWaveformFirst && id <= kCmdWaveformLast) {
    SetWaveform(settings, static_cast<uint8_t>(id - kCmdWaveformFirst));
    OnSettingsChanged();
  }
}

void MainWindow::OnHelp() { MessageBoxW(hwnd, kHelpText, kHelpCaption, MB_OK); }

void MainWindow::Play() {
  bool started;
  {
    SourceRef source = CreateSourceFromSettings(settings);
    started = player.Start(source, 0);
  }
  if (!started) MessageBoxW(hwnd, kPlayErrorText, kPlayErrorCaption, MB_ICONEXCLAMATION | MB_OK);
}

void MainWindow::RestartIfPlaying() {
  if (player.IsPlaying()) Play();
}

void MainWindow::OnSettingsChanged() {
  FillParameterList(ParameterList(), settings);
  RestartIfPlaying();
}

void MainWindow::IncreaseValue() {
  StepSelectedRowsUp(ParameterList(), settings);
  RestartIfPlaying();
}

void MainWindow::DecreaseValue() {
  StepSelectedRowsDown(ParameterList(), settings);
  RestartIfPlaying();
}

void MainWindow::EditValue() {
  if (EditSelectedRows(ParameterList(), settings)) RestartIfPlaying();
}

HMENU MainWindow::MenuBarMenu() const {
  return reinterpret_cast<HMENU>(SendMessageW(hwndMenuBar, SHCMBM_GETMENU, 0, 0));
}

void MainWindow::EnableMenuCommand(UINT id, bool enable) {
  EnableMenuItem(MenuBarMenu(), id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::CheckMenuCommand(UINT id, bool check) {
  CheckMenuItem(MenuBarMenu(), id, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::UpdateUI() {
  int selected = static_cast<int>(SendMessageW(ParameterList(), LVM_GETSELECTEDCOUNT, 0, 0));
  bool playing = player.IsPlaying();

  EnableMenuCommand(kCmdPlay, !playing);
  EnableMenuCommand(kCmdStop, playing);
  EnableMenuCommand(kCmdIncreaseValue, selected > 0);
  EnableMenuCommand(kCmdDecreaseValue, selected > 0);
  EnableMenuCommand(kCmdEditValue, selected == 1);

  // A count or waveform out of range (a damaged file) asks for a mark outside
  // the group, which the menu ignores.
  CheckMenuRadioItem(MenuBarMenu(), kCmdToneCountFirst, kCmdToneCountLast, kCmdToneCountBase + settings.toneCount,
                     MF_BYCOMMAND);
  CheckMenuRadioItem(MenuBarMenu(), kCmdModeContinuous, kCmdModeSweepLog,
                     kCmdModeContinuous + static_cast<UINT>(GetToneMode(settings)), MF_BYCOMMAND);
  CheckMenuRadioItem(MenuBarMenu(), kCmdMono, kCmdStereo, IsStereo(settings) ? kCmdStereo : kCmdMono,
                     MF_BYCOMMAND);
  CheckMenuRadioItem(MenuBarMenu(), kCmdWaveformFirst, kCmdWaveformLast, kCmdWaveformFirst + settings.waveform,
                     MF_BYCOMMAND);
  CheckMenuCommand(kCmdVariableAmplitude, HasVariableAmplitude(settings));
}
