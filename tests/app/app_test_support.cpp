#include "app_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/linux/window/screen_session.h"
#include "res/program_resources.h"

namespace {

// Windows these tests create are published where other processes of the user
// look for a running Wendrel; a private folder keeps the tests and a program
// the user runs meanwhile from finding each other.
class PrivateRuntimeFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/wendrel-app-run-XXXXXX";
    folder = mkdtemp(pattern);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

 private:
  std::string folder;
};

[[maybe_unused]] ::testing::Environment *const g_runtimeFolder =
    ::testing::AddGlobalTestEnvironment(new PrivateRuntimeFolder);

// The program's resources, registered once before the tests as the entry code
// registers them at start.
class ProgramResources : public ::testing::Environment {
 public:
  void SetUp() override {
    std::span<const uint8_t> resources = ProgramResourceFile();
    ASSERT_NE(RegisterProgramResources(resources.data(), resources.size()), nullptr);
  }
};

[[maybe_unused]] ::testing::Environment *const g_programResources =
    ::testing::AddGlobalTestEnvironment(new ProgramResources);

}  // namespace

Watchdog::Watchdog(int seconds)
    : thread([this, seconds] {
        std::unique_lock<std::mutex> hold(mutex);
        if (!done.wait_for(hold, std::chrono::seconds(seconds), [this] { return finished; })) {
          std::fprintf(stderr, "watchdog: test still running after %d s\n", seconds);
          std::_Exit(3);
        }
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> hold(mutex);
    finished = true;
  }
  done.notify_one();
  thread.join();
}

TestEnvironment::TestEnvironment(const std::string &audio) {
  char pattern[] = "/tmp/wendrel-app-test-XXXXXX";
  folder = mkdtemp(pattern);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  setenv("WENDREL_AUDIO", audio.c_str(), 1);
}

TestEnvironment::~TestEnvironment() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

std::string TestEnvironment::SettingsPath() const { return folder + "/wendrel/Current.tdf"; }

std::string TestEnvironment::Path(const std::string &name) const { return folder + "/" + name; }

namespace {

std::deque<std::function<void()>> g_probeActions;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && !g_probeActions.empty()) {
    auto action = std::move(g_probeActions.front());
    g_probeActions.pop_front();
    action();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND ProbeWindow() {
  // The window system is reset between tests, so the probe is made afresh
  // whenever the old one is gone.
  static HWND probe = nullptr;
  if (probe == nullptr || !IsWindow(probe)) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = L"LTestProbe";
    RegisterClassW(&wc);
    probe = CreateWindowExW(0, L"LTestProbe", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    g_probeActions.clear();
  }
  return probe;
}

}  // namespace

void RunInModalLoop(std::function<void()> action) {
  HWND probe = ProbeWindow();
  g_probeActions.push_back(std::move(action));
  PostMessageW(probe, WM_USER, 0, 0);
}

std::wstring ScreenText() {
  std::wstring text;
  for (const std::wstring &row : DumpScreen()) text += row + L"\n";
  return text;
}

void TypeKey(unsigned vk) {
  KeyEvent key;
  key.vk = vk;
  InjectKey(key);
}

HeadlessScreenScope::HeadlessScreenScope(int columns, int rows) { StartHeadlessScreen(columns, rows); }

HeadlessScreenScope::~HeadlessScreenScope() { StopScreen(); }
