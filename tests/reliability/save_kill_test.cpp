// kill -9 during a save: a child process writes two different records over
// Current.tdf in a loop and is killed at random points of it; the file must
// always hold one whole record, never a short or mixed one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "settings/settings_file.h"
#include "settings/tone_settings.h"

namespace {

ToneSettings Filled(unsigned char byte) {
  ToneSettings record;
  std::memset(static_cast<void *>(&record), byte, sizeof(record));
  return record;
}

TEST(SaveKillDrill, FileIsAlwaysOneWholeRecord) {
  Watchdog watchdog(120);
  TestEnvironment env("null");
  // Records that differ in every byte, so a mix of the two shows anywhere.
  const ToneSettings records[2] = {Filled(0x11), Filled(0xEE)};
  const std::string path = env.SettingsPath();
  std::mt19937 random(20261208);
  constexpr int kRounds = 150;
  int temporariesLeft = 0;

  for (int round = 0; round < kRounds; ++round) {
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(progress[0]);
      for (unsigned i = 0;; ++i) {
        char tick = 0;
        // The parent counts these; a kill lands during the write that follows.
        if (write(progress[1], &tick, 1) != 1) _exit(1);
        WriteFileBytes(L"Current.tdf", &records[i % 2], sizeof(ToneSettings));
      }
    }
    close(progress[1]);
    int ticks = 1 + static_cast<int>(random() % 40);
    for (int seen = 0; seen < ticks;) {
      char buffer[64];
      ssize_t got = read(progress[0], buffer, std::min<size_t>(sizeof(buffer), size_t(ticks - seen)));
      ASSERT_GT(got, 0) << "writer ended on its own";
      seen += static_cast<int>(got);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
      // Killed before its first rename: no file yet is a whole answer too.
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), sizeof(ToneSettings)) << "round " << round;
    bool whole = std::memcmp(bytes.data(), &records[0], bytes.size()) == 0 ||
                 std::memcmp(bytes.data(), &records[1], bytes.size()) == 0;
    ASSERT_TRUE(whole) << "mixed record after round " << round;
  }
  for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    if (entry.path().filename() != "Current.tdf") ++temporariesLeft;
  // A killed writer may leave its temporary file; the settings file is what
  // must be whole. Reported so that litter growth is visible.
  RecordProperty("temporaries_left", temporariesLeft);
  EXPECT_TRUE(std::filesystem::exists(path)) << "no write completed in " << kRounds << " rounds";
}

}  // namespace
