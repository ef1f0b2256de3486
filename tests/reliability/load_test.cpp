// Load runs on the headless screen: thousands of settings changes while a tone
// plays (each restarts it), and Play/Stop cycles typed on the keyboard through
// the real message loop. Memory must stay steady. Prints the figures it
// measured; run by scripts/load, not by ctest.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/linux/screen/virtual_keys.h"
#include "platform/linux/window/screen_session.h"

namespace {

// Peak resident set so far, in KiB.
long PeakRssKb() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Resident set now, in KiB.
long CurrentRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// What memory may grow by between the early and the late checkpoint: room for
// allocator noise, far below what one leaked play (70 buffers) per cycle
// would add over hundreds of cycles.
constexpr long kAllowedGrowthKb = 4096;

TEST(Load, TenThousandSettingsChangesWhilePlaying) {
  Watchdog watchdog(1200);
  TestEnvironment env("null");
  StartHeadlessScreen(80, 30);
  MainWindow window;
  ASSERT_NE(window.CreateFrame(), nullptr);
  HWND list = GetDlgItem(window.hwnd, kParameterListId);
  SendMessageW(window.hwnd, WM_COMMAND, kCmdPlay, 0);
  ASSERT_TRUE(window.player.IsPlaying());

  // A mix of record edits and steps of the selected row, each a restart.
  const WORD commands[] = {kCmdStereo,         kCmdIncreaseValue, kCmdMono,     kCmdDecreaseValue,
                           kCmdModeSweepLog,   kCmdVariableAmplitude, kCmdModeContinuous,
                           kCmdVariableAmplitude, kCmdToneCountBase + 4, kCmdToneCountBase + 1};
  constexpr int kChanges = 10000;
  long rssAt1000 = 0;
  for (int i = 0; i < kChanges; ++i) {
    if (i % 10 == 1) {
      LVITEMW item = {};
      item.stateMask = LVIS_SELECTED;
      item.state = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(window.hwnd, WM_COMMAND, commands[i % std::size(commands)], 0);
    ASSERT_TRUE(window.player.IsPlaying()) << "change " << i;
    // The feeder's reports are handled as they come, as the real loop would.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (i + 1 == 1000) rssAt1000 = CurrentRssKb();
  }
  long rssAtEnd = CurrentRssKb();
  std::printf("settings changes: RSS %ld KiB after 1000, %ld KiB after %d, peak %ld KiB\n", rssAt1000, rssAtEnd,
              kChanges, PeakRssKb());
  EXPECT_LT(rssAtEnd - rssAt1000, kAllowedGrowthKb);
  SendMessageW(window.hwnd, WM_COMMAND, kCmdStop, 0);
  DestroyWindow(window.hwnd);
  StopScreen();
}

// Drives itself from the player's reports: each OnStarted types "s", each
// OnStopped types "p" until the count is reached, then Ctrl+Q. The keys go
// through the screen's input, the frame's key handling and the commands.
class CyclingWindow : public MainWindow {
 public:
  void OnStarted(int32_t context) override {
    MainWindow::OnStarted(context);
    InjectText(L"s");
  }
  void OnStopped(int32_t context) override {
    MainWindow::OnStopped(context);
    ++cycles;
    if (cycles == 100) peakAt100 = PeakRssKb(), rssAt100 = CurrentRssKb();
    if (cycles < target) {
      InjectText(L"p");
    } else {
      KeyEvent quit;
      quit.vk = 'Q';
      quit.ctrl = true;
      InjectKey(quit);
    }
  }
  int cycles = 0;
  int target = 0;
  long peakAt100 = 0;
  long rssAt100 = 0;
};

TEST(Load, ThousandPlayStopCyclesFromTheKeyboard) {
  Watchdog watchdog(1200);
  const std::string wav = std::filesystem::temp_directory_path() / "wendrel-load-cycles.wav";
  TestEnvironment env("wav:" + wav);
  StartHeadlessScreen(80, 30);
  CyclingWindow window;
  window.target = 1000;
  InjectText(L"p");
  window.Run();  // returns when Ctrl+Q has closed the window
  EXPECT_EQ(window.cycles, 1000);
  long peakAt1000 = PeakRssKb();
  std::printf("play/stop cycles: peak RSS %ld KiB at 100, %ld KiB at 1000 (RSS %ld / %ld KiB)\n", window.peakAt100,
              peakAt1000, window.rssAt100, CurrentRssKb());
  EXPECT_LT(peakAt1000 - window.peakAt100, kAllowedGrowthKb);
  StopScreen();
  std::filesystem::remove(wav);
}

}  // namespace
