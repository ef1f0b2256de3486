#include "platform/linux/files/files.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/test_environment.h"

namespace fs = std::filesystem;

namespace {

// Each test gets its own folder and its own XDG_CONFIG_HOME and HOME, restored
// afterwards so that no test touches the real settings folder.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "wendrel-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
    savedXdg = GetEnvironment("XDG_CONFIG_HOME");
    savedHome = GetEnvironment("HOME");
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("HOME", (root / "home").c_str(), 1);
  }

  void TearDown() override {
    SetEnvironment("XDG_CONFIG_HOME", savedXdg);
    SetEnvironment("HOME", savedHome);
    fs::remove_all(root);
  }

  static std::wstring Wide(const fs::path &path) { return path.wstring(); }

  static HANDLE OpenRead(const std::wstring &name) {
    return CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static HANDLE OpenWrite(const std::wstring &name) {
    return CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static bool WriteAll(const std::wstring &name, const std::string &bytes) {
    HANDLE file = OpenWrite(name);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
  }

  // Whatever a test left in a folder besides the files it meant to write.
  static std::vector<std::string> Entries(const fs::path &folder) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root;
  std::optional<std::string> savedXdg, savedHome;
};

TEST_F(FilesTest, BareNamesLiveInTheSettingsFolderWhichTheFirstWriteCreates) {
  struct Case {
    const char *xdg;  // nullptr: unset
    bool underRoot;   // the value names a folder in the test's folder
    fs::path expected;
  };
  std::vector<Case> cases = {
      {"config", true, "config/wendrel/Current.tdf"},
      {nullptr, false, "home/.config/wendrel/Current.tdf"},
      {"", false, "home/.config/wendrel/Current.tdf"},
      {"relative/config", false, "home/.config/wendrel/Current.tdf"},  // not absolute: ignored
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.xdg ? c.xdg : "(unset)");
    fs::remove_all(root / "config");
    fs::remove_all(root / "home");
    if (!c.xdg) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", c.underRoot ? (root / c.xdg).c_str() : c.xdg, 1);

    EXPECT_EQ(OpenRead(L"Current.tdf"), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteAll(L"Current.tdf", "abc"));
    EXPECT_EQ(ReadFileBytes(root / c.expected), "abc");
    EXPECT_EQ(fs::status(root / c.expected).type(), fs::file_type::regular);

    HANDLE file = OpenRead(L"Current.tdf");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[8] = {};
    DWORD read = 99;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(std::string(buffer, read), "abc");
    EXPECT_TRUE(CloseHandle(file));
  }
}

TEST_F(FilesTest, NamesWithASlashAreUsedAsTheyStand) {
  fs::path path = root / "elsewhere.tdf";
  ASSERT_TRUE(WriteAll(Wide(path), "xyz"));
  EXPECT_EQ(ReadFileBytes(path), "xyz");
  EXPECT_FALSE(fs::exists(root / "config"));
}

TEST_F(FilesTest, NonAsciiNamesBecomeUtf8OnDisk) {
  ASSERT_TRUE(WriteAll(L"T\u00f6ne \u266b.tdf", "1"));
  EXPECT_EQ(ReadFileBytes(root / "config/wendrel" / "T\xc3\xb6ne \xe2\x99\xab.tdf"), "1");
}

TEST_F(FilesTest, ReadsStopAtTheEndOfTheFile) {
  fs::path path = root / "data.bin";
  WriteFileBytes(path, "0123456789");
  HANDLE file = OpenRead(Wide(path));
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  struct Step {
    DWORD ask;
    DWORD expected;
  };
  for (Step step : {Step{4, 4}, Step{0, 0}, Step{16, 6}, Step{16, 0}}) {
    DWORD read = 99;
    EXPECT_TRUE(ReadFile(file, buffer, step.ask, &read, nullptr));
    EXPECT_EQ(read, step.expected);
  }
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadFileBytes(path), "0123456789");
}

TEST_F(FilesTest, OpeningFailsForWhatCannotBeOpened) {
  fs::create_directories(root / "folder");
  WriteFileBytes(root / "plain", "p");
  struct Case {
    const char *what;
    std::wstring name;
    DWORD access;
    DWORD disposition;
  };
  std::vector<Case> cases = {
      {"missing file", Wide(root / "missing"), GENERIC_READ, OPEN_EXISTING},
      {"folder read", Wide(root / "folder"), GENERIC_READ, OPEN_EXISTING},
      {"folder written", Wide(root / "folder"), GENERIC_WRITE, CREATE_ALWAYS},
      {"missing parent", Wide(root / "none/file"), GENERIC_WRITE, CREATE_ALWAYS},
      {"empty name", L"", GENERIC_READ, OPEN_EXISTING},
      {"read and write", Wide(root / "plain"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},
      {"unsupported disposition", Wide(root / "plain"), GENERIC_WRITE, OPEN_ALWAYS},
      {"lone surrogate", L"bad\xd800.tdf", GENERIC_WRITE, CREATE_ALWAYS},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CreateFileW(c.name.c_str(), c.access, 0, nullptr, c.disposition, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
  }
  EXPECT_EQ(ReadFileBytes(root / "plain"), "p");
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FilesTest, AFolderThatCannotBeCreatedFailsTheOpen) {
  WriteFileBytes(root / "blocker", "not a folder");
  setenv("XDG_CONFIG_HOME", (root / "blocker").c_str(), 1);
  EXPECT_EQ(OpenWrite(L"Current.tdf"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadFileBytes(root / "blocker"), "not a folder");
}

TEST_F(FilesTest, TheOldFileStaysWholeUntilTheNewOneIsClosed) {
  fs::path path = root / "config/wendrel/Current.tdf";
  WriteFileBytes(path, "old contents");
  HANDLE file = OpenWrite(L"Current.tdf");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "new", 3, &written, nullptr));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(ReadFileBytes(path), "old contents");
  char buffer[4];
  DWORD read = 99;
  EXPECT_FALSE(ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_EQ(Entries(path.parent_path()), std::vector<std::string>{"Current.tdf"});
}

TEST_F(FilesTest, CreateAlwaysWithoutAWriteLeavesAnEmptyFile) {
  fs::path path = root / "config/wendrel/Current.tdf";
  WriteFileBytes(path, "old");
  HANDLE file = OpenWrite(L"Current.tdf");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(FilesTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  fs::path path = root / "config/wendrel/Current.tdf";
  WriteFileBytes(path, "old contents");
  // A file-size limit makes the write itself fail, even for root, for whom
  // folder permissions mean nothing.
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  std::string big(536, 'n');
  HANDLE file = OpenWrite(L"Current.tdf");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  BOOL wrote = WriteFile(file, big.data(), static_cast<DWORD>(big.size()), &written, nullptr);
  BOOL closed = CloseHandle(file);

  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(wrote);
  EXPECT_LT(written, big.size());
  EXPECT_FALSE(closed);
  EXPECT_EQ(ReadFileBytes(path), "old contents");
  EXPECT_EQ(Entries(path.parent_path()), std::vector<std::string>{"Current.tdf"});
}

TEST_F(FilesTest, AWriteRemovesTheTemporariesOfKilledWritersOnly) {
  fs::path folder = root / "config/wendrel";
  WriteFileBytes(folder / "Current.tdf", "old contents");
  // The id of a process that has ended: a child that exits at once.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  std::string dead = ".Current.tdf." + std::to_string(child) + "-1.tmp";
  std::string live = ".Current.tdf." + std::to_string(getpid()) + "-999999.tmp";
  for (const std::string &name : {dead, live, std::string(".Other.tdf.") + std::to_string(child) + "-1.tmp",
                                  std::string(".Current.tdf.x-1.tmp")}) {
    WriteFileBytes(folder / name, "partial");
  }

  ASSERT_TRUE(WriteAll(L"Current.tdf", "new contents"));

  std::vector<std::string> expected = {".Current.tdf." + std::to_string(getpid()) + "-999999.tmp",
                                       ".Current.tdf.x-1.tmp", ".Other.tdf." + std::to_string(child) + "-1.tmp",
                                       "Current.tdf"};
  std::vector<std::string> entries = Entries(folder);
  std::sort(entries.begin(), entries.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(ReadFileBytes(folder / "Current.tdf"), "new contents");
}

TEST_F(FilesTest, ReplacingKeepsTheOldPermissionsAndFollowsLinks) {
  fs::path target = root / "real.tdf";
  fs::path link = root / "link.tdf";
  WriteFileBytes(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(target, link);

  ASSERT_TRUE(WriteAll(Wide(link), "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FilesTest, HandlesOfOtherKindsAreRefused) {
  int local = 0;
  char buffer[4];
  DWORD count = 99;
  for (HANDLE handle : {HANDLE(nullptr), INVALID_HANDLE_VALUE, HANDLE(&local)}) {
    EXPECT_FALSE(ReadFile(handle, buffer, 4, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(WriteFile(handle, buffer, 4, &count, nullptr));
  }
}

}  // namespace
