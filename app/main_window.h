// MainWindow: the program's one frame window. It owns the sound player and the
// settings record for the whole run, shows the record in the parameter list,
// turns menu and tool bar commands into record edits, list steps and plays,
// and keeps the menu states in step with all three. Not reusable: there is
// exactly one, an automatic object of wWinMain.
#pragma once

#include "app/frame_window.h"
#include "audio/player_listener.h"
#include "audio/sound_player.h"
#include "settings/tone_settings.h"

class MainWindow : public FrameWindow, public PlayerListener {
 public:
  MainWindow();
  ~MainWindow() override;

  void OnCreate() override;
  void OnHelp() override;
  void UpdateUI() override;
  void OnCommand(WORD id, WORD notifyCode) override;
  void OnDestroy() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void OnStarted(int32_t context) override;
  void OnStopped(int32_t context) override;

  // Builds a source from the settings and plays it from the start; a device
  // that cannot be started is reported in a message box.
  void Play();
  void RestartIfPlaying();
  // Rebuilds the list's rows from the settings, then restarts a running play.
  void OnSettingsChanged();
  void IncreaseValue();
  void DecreaseValue();
  // Offers each selected row in the value edit dialog.
  void EditValue();
  void EnableMenuCommand(UINT id, bool enable);
  void CheckMenuCommand(UINT id, bool check);

  SoundPlayer player;
  ToneSettings settings;

 private:
  HWND ParameterList() const;
  HMENU MenuBarMenu() const;
};

// The settings file, named without a folder.
inline constexpr const WCHAR *kSettingsFileName = L"Current.tdf";
