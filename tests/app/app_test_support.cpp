#include "app_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/linux/window/screen_session.h"
#include "res/program_resources.h"

namespace {

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
