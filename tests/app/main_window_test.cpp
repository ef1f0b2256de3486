// The main window on the headless screen: menu states after commands and
// selections, the record edits behind the Tone menu, restarts of a running
// tone, editing by double tap, the playback error box, and the settings file
// read at creation and written at destruction.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "platform/linux/window/screen_session.h"

using ::testing::HasSubstr;

namespace {

class RecordingMainWindow : public MainWindow {
 public:
  void OnStarted(int32_t context) override {
    calls.push_back("OnStarted");
    MainWindow::OnStarted(context);
  }
  void OnStopped(int32_t context) override {
    calls.push_back("OnStopped");
    fileExistedAtStop = std::filesystem::exists(settingsPath);
    MainWindow::OnStopped(context);
  }

  std::vector<std::string> calls;
  std::string settingsPath;
  bool fileExistedAtStop = false;
};

std::vector<char> ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class MainWindowTest : public ::testing::Test {
 protected:
  explicit MainWindowTest(const std::string &audio = "null") : env(audio) {}

  void SetUp() override { window.settingsPath = env.SettingsPath(); }
  void TearDown() override {
    SetWaveOutFaults({});
    if (IsWindow(window.hwnd)) DestroyWindow(window.hwnd);
  }

  void Create() {
    ASSERT_NE(window.CreateFrame(), nullptr);
    list = GetDlgItem(window.hwnd, kParameterListId);
    ASSERT_NE(list, nullptr);
  }
  void Command(WORD id) { SendMessageW(window.hwnd, WM_COMMAND, id, 0); }
  HMENU Menu() { return reinterpret_cast<HMENU>(SendMessageW(window.hwndMenuBar, SHCMBM_GETMENU, 0, 0)); }
  bool Enabled(UINT id) { return (GetMenuState(Menu(), id, MF_BYCOMMAND) & MF_GRAYED) == 0; }
  bool Checked(UINT id) { return (GetMenuState(Menu(), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
  // The one checked id of a radio group, or 0 when none or several are.
  UINT CheckedIn(UINT first, UINT last) {
    UINT found = 0;
    for (UINT id = first; id <= last; ++id) {
      if (!Checked(id)) continue;
      if (found != 0) return 0;
      found = id;
    }
    return found;
  }
  void Select(int row, bool selected = true) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  std::wstring CellText(int row, int column) {
    WCHAR text[kTextBufferLength] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = kTextBufferLength;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int RowCount() { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
  void DoubleTap(UINT_PTR controlId) {
    NMHDR header = {};
    header.hwndFrom = list;
    header.idFrom = controlId;
    header.code = NM_DBLCLK;
    SendMessageW(window.hwnd, WM_NOTIFY, controlId, reinterpret_cast<LPARAM>(&header));
  }

  Watchdog watchdog{60};
  HeadlessScreenScope screen{80, 30};
  TestEnvironment env;
  RecordingMainWindow window;
  HWND list = nullptr;
};

TEST_F(MainWindowTest, MenuMarksFollowTheRecord) {
  struct Case {
    std::vector<WORD> commands;
    uint16_t flags;
    uint8_t waveform;
    uint8_t toneCount;
    UINT countMark, modeMark, channelMark, waveformMark;
    bool variableAmplitude;
  };
  const Case cases[] = {
      {{2103}, 0x00, 0, 3, 2103, 3021, 3031, 3041, false},
      {{2116}, 0x00, 0, 16, 2116, 3021, 3031, 3041, false},
      {{kCmdModeDuration}, 0x08, 0, 1, 2101, 3022, 3031, 3041, false},
      {{kCmdModeSweepLinear}, 0x09, 0, 1, 2101, 3023, 3031, 3041, false},
      {{kCmdModeSweepLog}, 0x0B, 0, 1, 2101, 3024, 3031, 3041, false},
      {{kCmdModeSweepLog, kCmdModeSweepLinear}, 0x09, 0, 1, 2101, 3023, 3031, 3041, false},
      {{kCmdStereo, kCmdVariableAmplitude, kCmdModeSweepLog, kCmdModeContinuous}, 0x14, 0, 1, 2101, 3021, 3032,
       3041, true},
      {{kCmdStereo, kCmdMono}, 0x00, 0, 1, 2101, 3021, 3031, 3041, false},
      {{kCmdVariableAmplitude, kCmdVariableAmplitude}, 0x00, 0, 1, 2101, 3021, 3031, 3041, false},
      {{2104, 3046}, 0x00, 5, 4, 2104, 3021, 3031, 3046, false},
      {{3047, 3043}, 0x00, 2, 1, 2101, 3021, 3031, 3043, false},
  };
  Create();
  for (const Case &c : cases) {
    window.settings = ToneSettings();
    for (WORD id : c.commands) Command(id);
    SCOPED_TRACE(testing::Message() << "last command " << c.commands.back());
    EXPECT_EQ(window.settings.flags, c.flags);
    EXPECT_EQ(window.settings.waveform, c.waveform);
    EXPECT_EQ(window.settings.toneCount, c.toneCount);
    EXPECT_EQ(CheckedIn(2101, 2116), c.countMark);
    EXPECT_EQ(CheckedIn(3021, 3024), c.modeMark);
    EXPECT_EQ(CheckedIn(3031, 3032), c.channelMark);
    EXPECT_EQ(CheckedIn(3041, 3047), c.waveformMark);
    EXPECT_EQ(Checked(kCmdVariableAmplitude), c.variableAmplitude);
  }
}

TEST_F(MainWindowTest, ModeCommandsKeepTheOtherBits) {
  struct Case {
    uint16_t before;
    WORD command;
    uint16_t after;
  };
  const Case cases[] = {
      {0xFFFF, kCmdModeContinuous, 0xFFF4}, {0xFFFF, kCmdModeDuration, 0xFFFC},
      {0xFFF4, kCmdModeDuration, 0xFFFC},   {0xFFFF, kCmdModeSweepLinear, 0xFFFD},
      {0xFFE0, kCmdModeSweepLinear, 0xFFE9}, {0xFFE0, kCmdModeSweepLog, 0xFFEB},
      {0xFFFF, kCmdMono, 0xFFFB},           {0xFFE0, kCmdStereo, 0xFFE4},
      {0xFFEF, kCmdVariableAmplitude, 0xFFFF}, {0xFFFF, kCmdVariableAmplitude, 0xFFEF},
  };
  Create();
  for (const Case &c : cases) {
    window.settings.flags = c.before;
    Command(c.command);
    EXPECT_EQ(window.settings.flags, c.after) << "command " << c.command << " from " << c.before;
  }
}

TEST_F(MainWindowTest, PlayAndStopFollowThePlayer) {
  Create();
  Command(kCmdStop);  // nothing plays: nothing to report
  EXPECT_TRUE(window.calls.empty());
  EXPECT_TRUE(Enabled(kCmdPlay));
  EXPECT_FALSE(Enabled(kCmdStop));

  Command(kCmdToolPlay);
  EXPECT_TRUE(window.player.IsPlaying());
  EXPECT_FALSE(Enabled(kCmdPlay));
  EXPECT_TRUE(Enabled(kCmdStop));

  Command(kCmdPlay);  // starts over
  EXPECT_EQ(window.calls, (std::vector<std::string>{"OnStarted", "OnStopped", "OnStarted"}));

  Command(kCmdToolStop);
  EXPECT_FALSE(window.player.IsPlaying());
  EXPECT_TRUE(Enabled(kCmdPlay));
  EXPECT_FALSE(Enabled(kCmdStop));
}

TEST_F(MainWindowTest, APlayOfASpecifiedDurationEndsByItselfAndTheMenusFollow) {
  // Only the player's own reports, through its hidden window, end this play.
  window.settings.durationMs = 50;
  Create();
  Command(kCmdModeDuration);
  Command(kCmdPlay);
  ASSERT_TRUE(window.player.IsPlaying());
  MSG msg;
  while (window.player.IsPlaying() && GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(window.calls, (std::vector<std::string>{"OnStarted", "OnStopped"}));
  EXPECT_TRUE(Enabled(kCmdPlay));
  EXPECT_FALSE(Enabled(kCmdStop));
}

TEST_F(MainWindowTest, SelectionEnablesValueCommands) {
  struct Case {
    std::vector<int> rows;
    bool step;
    bool edit;
  };
  const Case cases[] = {
      {{1}, true, true},
      {{}, false, false},
      {{0, 2}, true, false},
      {{0, 1, 2}, true, false},
      {{2}, true, true},
  };
  ToneSettings three;
  three.toneCount = 3;
  window.settings = three;
  Create();
  for (const Case &c : cases) {
    for (int row = 0; row < 3; ++row) Select(row, false);
    for (int row : c.rows) Select(row);
    // No command: the list's change notification alone updates the menu.
    EXPECT_EQ(Enabled(kCmdIncreaseValue), c.step) << c.rows.size() << " rows";
    EXPECT_EQ(Enabled(kCmdDecreaseValue), c.step) << c.rows.size() << " rows";
    EXPECT_EQ(Enabled(kCmdEditValue), c.edit) << c.rows.size() << " rows";
  }
}

TEST_F(MainWindowTest, SettingsCommandWhileIdleNeverStarts) {
  Create();
  for (WORD id : std::vector<WORD>{kCmdStereo, kCmdModeSweepLog, 2105, 3045, kCmdVariableAmplitude}) Command(id);
  EXPECT_FALSE(window.player.IsPlaying());
  EXPECT_TRUE(window.calls.empty());
  // Five tones of start and end, left and right, and amplitude; the sweep's duration.
  EXPECT_EQ(RowCount(), 5 * 5 + 1);
}

TEST_F(MainWindowTest, ToolBarStepsWithoutSelectionChangeNothingButRestart) {
  Create();
  ToneSettings before = window.settings;
  Command(kCmdToolIncrease);
  Command(kCmdToolDecrease);
  EXPECT_TRUE(window.calls.empty());

  Command(kCmdPlay);
  window.calls.clear();
  Command(kCmdToolIncrease);
  Command(kCmdToolDecrease);
  EXPECT_EQ(std::memcmp(&before, &window.settings, sizeof(before)), 0);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"OnStopped", "OnStarted", "OnStopped", "OnStarted"}));
  EXPECT_TRUE(window.player.IsPlaying());
}

TEST_F(MainWindowTest, StepsChangeTheSelectedRows) {
  window.settings.toneCount = 2;
  Create();
  Select(1);
  Command(kCmdIncreaseValue);
  EXPECT_EQ(CellText(1, 1), L"1059.46Hz");
  EXPECT_EQ(window.settings.leftStartHz[0], 1000.0);
  Command(kCmdDecreaseValue);
  Command(kCmdDecreaseValue);
  EXPECT_EQ(CellText(1, 1), L"943.87Hz");
}

TEST_F(MainWindowTest, DoubleTapEditsEverySelectedRowInTurn) {
  window.settings.toneCount = 2;
  Create();
  Select(0);
  Select(1);
  EXPECT_FALSE(Enabled(kCmdEditValue));
  InjectText(L"440");
  TypeKey(VK_RETURN);
  InjectText(L"550");
  TypeKey(VK_RETURN);
  DoubleTap(kParameterListId);
  EXPECT_EQ(window.settings.leftStartHz[0], 440.0);
  EXPECT_EQ(window.settings.leftStartHz[1], 550.0);
  EXPECT_EQ(CellText(0, 1), L"440.00Hz");
  EXPECT_EQ(CellText(1, 1), L"550.00Hz");
}

TEST_F(MainWindowTest, EditRestartsOnlyWhenSomethingWasConfirmed) {
  Create();
  Select(0);
  Command(kCmdPlay);
  window.calls.clear();
  TypeKey(VK_ESCAPE);
  Command(kCmdEditValue);
  EXPECT_TRUE(window.calls.empty());
  InjectText(L"2000");
  TypeKey(VK_RETURN);
  Command(kCmdEditValue);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"OnStopped", "OnStarted"}));
  EXPECT_EQ(window.settings.leftStartHz[0], 2000.0);
}

TEST_F(MainWindowTest, NotificationFromAnotherControlIsIgnored) {
  Create();
  Select(0);
  // A dialog would wait for a key that never comes, and the watchdog fires.
  DoubleTap(kParameterListId + 1);
  EXPECT_EQ(window.settings.leftStartHz[0], 1000.0);
}

TEST_F(MainWindowTest, UnstartableDeviceShowsErrorAndKeepsTheChange) {
  Create();
  Command(kCmdPlay);
  ASSERT_TRUE(window.player.IsPlaying());
  WaveOutFaults faults;
  faults.openFailures = 2;  // the first try and its retry
  SetWaveOutFaults(faults);
  std::wstring screen;
  RunInModalLoop([&] {
    screen = ScreenText();
    TypeKey(VK_RETURN);
  });
  Command(kCmdStereo);
  EXPECT_THAT(screen, HasSubstr(L"Sound Play Error"));
  EXPECT_THAT(screen, HasSubstr(L"Unable to start playback."));
  EXPECT_FALSE(window.player.IsPlaying());
  EXPECT_EQ(window.settings.flags, kFlagStereo);
  EXPECT_EQ(CellText(0, 0), L"Sine 1 Left Frequency");
  EXPECT_TRUE(Enabled(kCmdPlay));
}

TEST_F(MainWindowTest, HelpAndAboutBoxes) {
  struct Case {
    WORD command;
    const wchar_t *caption;
    const wchar_t *line;
  };
  const Case cases[] = {
      {kCmdHelp, L"Wendrel Help", L"Step 1. Select the tone type using the Tone menu."},
      {kCmdAbout, L"About Wendrel", L"Version"},
  };
  Create();
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "command " << c.command);
    std::wstring screen;
    RunInModalLoop([&] {
      screen = ScreenText();
      TypeKey(VK_RETURN);
    });
    Command(c.command);
    EXPECT_THAT(screen, HasSubstr(c.caption));
    EXPECT_THAT(screen, HasSubstr(c.line));
  }
}

TEST_F(MainWindowTest, FirstRunShowsDefaultsAndSavesThemAtExit) {
  Create();
  EXPECT_EQ(RowCount(), 1);
  std::wstring screen = ScreenText();
  EXPECT_THAT(screen, HasSubstr(L"Sine 1 Frequency"));
  EXPECT_THAT(screen, HasSubstr(L"1000.00Hz"));
  // The menus are right from the start, before any command.
  EXPECT_TRUE(Enabled(kCmdPlay));
  EXPECT_FALSE(Enabled(kCmdStop));
  EXPECT_FALSE(Enabled(kCmdEditValue));
  EXPECT_EQ(CheckedIn(3041, 3047), 3041u);
  EXPECT_EQ(CheckedIn(3021, 3024), 3021u);

  Command(kCmdModeDuration);
  Command(kCmdPlay);
  Command(kCmdExit);
  MSG msg;
  while (IsWindow(window.hwnd) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_FALSE(IsWindow(window.hwnd));
  EXPECT_FALSE(window.player.IsPlaying());
  ASSERT_FALSE(window.calls.empty());
  EXPECT_EQ(window.calls.back(), "OnStopped");
  EXPECT_FALSE(window.fileExistedAtStop);  // stopped before the file was written

  std::vector<char> saved = ReadAll(env.SettingsPath());
  ASSERT_EQ(saved.size(), sizeof(ToneSettings));
  EXPECT_EQ(std::memcmp(saved.data(), &window.settings, sizeof(ToneSettings)), 0);
  EXPECT_EQ(window.settings.flags, kFlagDuration);
}

TEST_F(MainWindowTest, StartsFromTheSettingsFile) {
  ToneSettings stored;
  stored.waveform = kWaveformSquare;
  stored.toneCount = 2;
  stored.flags = kFlagStereo;
  stored.rightStartHz[1] = 440.0;
  std::filesystem::create_directories(std::filesystem::path(env.SettingsPath()).parent_path());
  std::ofstream(env.SettingsPath(), std::ios::binary).write(reinterpret_cast<const char *>(&stored), sizeof(stored));

  Create();
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(CellText(0, 0), L"Square 1 Left Frequency");
  EXPECT_EQ(CellText(3, 0), L"Square 2 Right Frequency");
  EXPECT_EQ(CellText(3, 1), L"440.00Hz");
}

// Only a damaged file holds these; the window must neither crash nor repair.
TEST_F(MainWindowTest, DamagedSettingsFileShowsNoMarkOutsideTheGroups) {
  ToneSettings stored;
  std::memset(static_cast<void *>(&stored), 0xFF, sizeof(stored));
  stored.toneCount = 40;
  stored.waveform = 9;
  std::filesystem::create_directories(std::filesystem::path(env.SettingsPath()).parent_path());
  std::ofstream(env.SettingsPath(), std::ios::binary).write(reinterpret_cast<const char *>(&stored), sizeof(stored));

  Create();
  EXPECT_EQ(CheckedIn(2101, 2116), 0u);
  EXPECT_EQ(CheckedIn(3041, 3047), 0u);
  EXPECT_EQ(CheckedIn(3021, 3024), 3024u);
  Command(kCmdPlay);
  Command(kCmdStop);
  EXPECT_EQ(window.settings.toneCount, 40);
  EXPECT_EQ(window.settings.waveform, 9);
}

class MainWindowWavTest : public MainWindowTest {
 protected:
  MainWindowWavTest() : MainWindowTest("wav:" + WavPath()) {}
  static std::string WavPath() { return std::filesystem::temp_directory_path() / "wendrel-app-test-restart.wav"; }
};

TEST_F(MainWindowWavTest, SettingsCommandWhilePlayingRestartsWithANewSource) {
  Create();
  Command(kCmdPlay);
  Command(kCmdStereo);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"OnStarted", "OnStopped", "OnStarted"}));
  Command(kCmdStop);
  // The device of the second play was opened for the new record's channels.
  std::vector<char> wav = ReadAll(WavPath());
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav[22], 2);
  std::filesystem::remove(WavPath());
}

}  // namespace
