// Fault drills on the main window and the headless screen: an output that
// cannot be opened, a device that stops handing buffers back, a feeder that
// does not end when asked, a settings folder that cannot be written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "platform/linux/window/screen_session.h"
#include "synth/sound_source.h"

using ::testing::HasSubstr;

namespace {

class DrillWindow : public MainWindow {
 public:
  void OnStarted(int32_t context) override {
    ++started;
    MainWindow::OnStarted(context);
  }
  void OnStopped(int32_t context) override {
    ++stopped;
    MainWindow::OnStopped(context);
  }
  int started = 0;
  int stopped = 0;
};

std::vector<char> ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteRecord(const std::string &path, const ToneSettings &record) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(&record), sizeof(record));
}

bool SameRecord(const std::vector<char> &bytes, const ToneSettings &record) {
  return bytes.size() == sizeof(record) && std::memcmp(bytes.data(), &record, sizeof(record)) == 0;
}

ToneSettings StoredRecord() {
  ToneSettings record;
  record.flags = kFlagStereo | kFlagDuration;
  record.waveform = kWaveformSquare;
  record.toneCount = 3;
  record.durationMs = 1500;
  record.rightStartHz[2] = 440.0;
  record.amplitudeDb[1] = -6;
  return record;
}

// Runs messages until `done` holds or the window is gone; the message that
// makes it hold always arrives (a posted report, an injected key), so this
// blocks in GetMessageW instead of polling.
template <typename Done>
void PumpUntil(HWND window, Done done) {
  MSG msg;
  while (!done() && IsWindow(window)) {
    GetMessageW(&msg, nullptr, 0, 0);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void CloseAndPump(MainWindow &window) {
  SendMessageW(window.hwnd, WM_COMMAND, kCmdExit, 0);
  MSG msg;
  while (IsWindow(window.hwnd) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class DrillTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetWaveOutFaults({});
    Destroy();
  }
  // The window (and its player's hidden window) is made after the screen
  // starts, because starting a screen resets the window system.
  void Create() {
    StartHeadlessScreen(80, 30);
    win = std::make_unique<DrillWindow>();
    ASSERT_NE(win->CreateFrame(), nullptr);
    list = GetDlgItem(win->hwnd, kParameterListId);
    ASSERT_NE(list, nullptr);
  }
  void Command(WORD id) { SendMessageW(win->hwnd, WM_COMMAND, id, 0); }
  HMENU Menu() { return reinterpret_cast<HMENU>(SendMessageW(win->hwndMenuBar, SHCMBM_GETMENU, 0, 0)); }
  bool Enabled(UINT id) { return (GetMenuState(Menu(), id, MF_BYCOMMAND) & MF_GRAYED) == 0; }
  int RowCount() { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
  void Select(int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  void Destroy() {
    if (win != nullptr && IsWindow(win->hwnd)) DestroyWindow(win->hwnd);
    win.reset();
    StopScreen();
  }

  Watchdog watchdog{120};
  std::unique_ptr<DrillWindow> win;
  HWND list = nullptr;
};

// Every way the output can fail to open ends the same way: the error box, an
// idle player, the settings as they were, and a file written at exit.
TEST_F(DrillTest, UnopenableOutputShowsTheErrorAndKeepsTheSettings) {
  const std::string outputs[] = {
      "alsa:nonexistent",
      "wav:/nonexistent-folder/out.wav",
      "no-such-sink",
  };
  for (const std::string &output : outputs) {
    SCOPED_TRACE(output);
    TestEnvironment env(output);
    const ToneSettings stored = StoredRecord();
    WriteRecord(env.SettingsPath(), stored);
    Create();
    const int rows = RowCount();

    std::wstring screen;
    RunInModalLoop([&] {
      screen = ScreenText();
      TypeKey(VK_RETURN);
    });
    Command(kCmdPlay);
    EXPECT_THAT(screen, HasSubstr(L"Sound Play Error"));
    EXPECT_THAT(screen, HasSubstr(L"Unable to start playback."));
    EXPECT_FALSE(win->player.IsPlaying());
    EXPECT_EQ(win->started, 0);
    EXPECT_TRUE(Enabled(kCmdPlay));
    EXPECT_FALSE(Enabled(kCmdStop));
    EXPECT_EQ(std::memcmp(&win->settings, &stored, sizeof(stored)), 0);
    EXPECT_EQ(RowCount(), rows);

    CloseAndPump(*win);
    EXPECT_FALSE(IsWindow(win->hwnd));
    EXPECT_TRUE(SameRecord(ReadAll(env.SettingsPath()), stored));
    Destroy();
  }
}

// A device that stops handing buffers back ends the play by the stall rule;
// while it hangs the window keeps answering, and a play afterwards works.
TEST_F(DrillTest, StalledDeviceEndsThePlayAndTheWindowStaysResponsive) {
  TestEnvironment env("null");
  Create();
  WaveOutFaults faults;
  faults.instantPacing = true;
  faults.stallAfterBuffers = 3;
  SetWaveOutFaults(faults);

  // Queued before the play: the first message the loop runs while the device
  // hangs. The window must answer a selection and the menus must follow.
  bool answeredWhilePlaying = false;
  bool stopEnabledWhilePlaying = false;
  RunInModalLoop([&] {
    Select(0);
    answeredWhilePlaying = win->player.IsPlaying() && Enabled(kCmdEditValue);
    stopEnabledWhilePlaying = Enabled(kCmdStop);
  });
  Command(kCmdPlay);
  ASSERT_TRUE(win->player.IsPlaying());
  PumpUntil(win->hwnd, [&] { return !win->player.IsPlaying(); });

  EXPECT_TRUE(answeredWhilePlaying);
  EXPECT_TRUE(stopEnabledWhilePlaying);
  EXPECT_EQ(win->stopped, 1);
  EXPECT_TRUE(Enabled(kCmdPlay));
  EXPECT_FALSE(Enabled(kCmdStop));

  SetWaveOutFaults({});
  Command(kCmdPlay);
  EXPECT_TRUE(win->player.IsPlaying());
  Command(kCmdStop);
  EXPECT_EQ(win->stopped, 2);
}

// A source whose Render never returns on the feeder thread: the feeder cannot
// see the stop request, so Stop must give up on it. Its lock and condition
// live for the whole process, because the stuck thread waits on them forever.
class StuckSource : public SoundSource {
 public:
  StuckSource() : SoundSource(44100, 1, 0x200000), owner(std::this_thread::get_id()) {}
  void Render(int32_t *buffer, int32_t frames) override {
    if (std::this_thread::get_id() != owner) {
      std::unique_lock<std::mutex> hold(Gate().mutex);
      Gate().entered = true;
      Gate().changed.notify_all();
      Gate().changed.wait(hold, [] { return false; });
    }
    for (int32_t i = 0; i < frames; ++i) buffer[i] = 0;
  }
  int32_t GetPosition() override { return 0; }
  int32_t GetLength() override { return sampleRate * 60; }

  struct GateState {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
  };
  static GateState &Gate() {
    static GateState *gate = new GateState;
    return *gate;
  }

 private:
  std::thread::id owner;
};

TEST_F(DrillTest, FeederThatDoesNotEndIsTerminatedAndTheWindowGoesOn) {
  TestEnvironment env("null");
  Create();
  ASSERT_TRUE(win->player.Start(SourceRef(new StuckSource), 0));
  {
    std::unique_lock<std::mutex> hold(StuckSource::Gate().mutex);
    StuckSource::Gate().changed.wait(hold, [] { return StuckSource::Gate().entered; });
  }
  win->UpdateUI();
  EXPECT_TRUE(Enabled(kCmdStop));

  Command(kCmdStop);  // joins for 5 s, then terminates the feeder
  EXPECT_FALSE(win->player.IsPlaying());
  EXPECT_EQ(win->stopped, 1);
  EXPECT_TRUE(Enabled(kCmdPlay));

  // The next play gets a new feeder and a new device.
  Command(kCmdPlay);
  EXPECT_TRUE(win->player.IsPlaying());
  Command(kCmdStop);
  EXPECT_EQ(win->stopped, 2);
  CloseAndPump(*win);
  EXPECT_FALSE(IsWindow(win->hwnd));
  EXPECT_EQ(ReadAll(env.SettingsPath()).size(), sizeof(ToneSettings));
}

enum class Unwritable { FileSizeLimit, FolderIsAFile };

// The program's whole run in a child process, so that a resource limit set
// for it stays there: create the window, change a setting, exit from the menu.
// The child's status says how it ended.
int RunProgramInChild(Unwritable how) {
  pid_t child = fork();
  if (child == 0) {
    alarm(60);  // a hang fails the drill instead of the suite
    if (how == Unwritable::FileSizeLimit) {
      // Any write to a file fails, even for root, whom permissions do not stop.
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit = {0, 0};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    StartHeadlessScreen(80, 30);
    {
      MainWindow window;
      if (window.CreateFrame() == nullptr) _exit(10);
      SendMessageW(window.hwnd, WM_COMMAND, kCmdStereo, 0);
      SendMessageW(window.hwnd, WM_COMMAND, kCmdPlay, 0);
      CloseAndPump(window);
      if (IsWindow(window.hwnd)) _exit(11);
    }
    StopScreen();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(DrillTest, UnwritableSettingsFolderStillExitsCleanlyAndKeepsTheOldFile) {
  struct Case {
    Unwritable how;
    const char *name;
  };
  const Case cases[] = {
      {Unwritable::FileSizeLimit, "writes refused"},
      {Unwritable::FolderIsAFile, "settings folder is a file"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TestEnvironment env("null");
    const ToneSettings stored = StoredRecord();
    const std::string folder = std::filesystem::path(env.SettingsPath()).parent_path();
    if (c.how == Unwritable::FolderIsAFile) {
      std::ofstream(folder) << "not a folder";
    } else {
      WriteRecord(env.SettingsPath(), stored);
    }

    int status = RunProgramInChild(c.how);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    if (c.how == Unwritable::FolderIsAFile) {
      EXPECT_TRUE(std::filesystem::is_regular_file(folder));
      EXPECT_EQ(std::string(ReadAll(folder).data(), ReadAll(folder).size()), "not a folder");
    } else {
      EXPECT_TRUE(SameRecord(ReadAll(env.SettingsPath()), stored));
      // The refused write leaves no temporary file behind.
      int entries = 0;
      for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(folder)) ++entries;
      EXPECT_EQ(entries, 1);
    }
  }
}

}  // namespace
