// The settings-folder files on Windows, against the rules the Linux build
// keeps: bare names in %APPDATA%\Wendrel\ (made by the first write), names
// with a folder as they stand, the old file whole until the new one is
// closed, nothing left behind by a failed replacement, and the temporary
// files of writers that died removed by the next write.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
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

class SettingsFolderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root = MakeScratchFolder("wendrel-files");
    ASSERT_FALSE(root.empty());
    saved = GetEnvironment("APPDATA");
    SetEnvironment("APPDATA", (root / "roaming").string());
  }
  void TearDown() override {
    SetEnvironment("APPDATA", saved);
    fs::remove_all(root);
  }

  fs::path folder() const { return root / "roaming" / "Wendrel"; }

  static std::vector<std::string> Entries(const fs::path &path) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static HANDLE OpenWrite(const std::wstring &name) {
    return CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static bool WriteAll(const std::wstring &name, const std::string &bytes, bool *closed = nullptr) {
    HANDLE file = OpenWrite(name);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    BOOL ok = CloseHandle(file);
    if (closed != nullptr) *closed = ok != FALSE;
    return ok && wrote && written == bytes.size();
  }

  fs::path root;
  std::optional<std::string> saved;
};

TEST_F(SettingsFolderFiles, BareNamesLiveInTheSettingsFolderAndOthersWhereTheySay) {
  EXPECT_EQ(CreateFileW(L"Current.tdf", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs::exists(folder()));
  ASSERT_TRUE(WriteAll(L"Current.tdf", "abc"));
  EXPECT_EQ(ReadFileBytes(folder() / "Current.tdf"), "abc");

  HANDLE file = CreateFileW(L"Current.tdf", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[8] = {};
  DWORD read = 99;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "abc");
  EXPECT_TRUE(CloseHandle(file));

  for (fs::path path : {root / "elsewhere.tdf", root / "sub" / "deeper.tdf"}) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(WriteAll(path.wstring(), "xyz")) << path;
    EXPECT_EQ(ReadFileBytes(path), "xyz");
  }
  ASSERT_TRUE(WriteAll((root / "slashes.tdf").generic_wstring(), "/"));
  EXPECT_EQ(ReadFileBytes(root / "slashes.tdf"), "/");
  EXPECT_EQ(Entries(folder()), std::vector<std::string>{"Current.tdf"});
}

TEST_F(SettingsFolderFiles, TheOldFileStaysWholeUntilTheNewOneIsClosed) {
  WriteFileBytes(folder() / "Current.tdf", std::string(2000, 'o'));
  HANDLE file = OpenWrite(L"Current.tdf");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "new", 3, &written, nullptr));
  EXPECT_EQ(ReadFileBytes(folder() / "Current.tdf"), std::string(2000, 'o'));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadFileBytes(folder() / "Current.tdf"), "new");
  EXPECT_EQ(Entries(folder()), std::vector<std::string>{"Current.tdf"});
}

// An old file that another program holds open without sharing cannot be
// replaced: the close reports it, and the old file and nothing else is left.
TEST_F(SettingsFolderFiles, AFailedReplacementKeepsTheOldFileAndNoTemporary) {
  WriteFileBytes(folder() / "Current.tdf", "old contents");
  HANDLE holder = ::CreateFileW((folder() / "Current.tdf").wstring().c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  bool closed = true;
  EXPECT_FALSE(WriteAll(L"Current.tdf", "new contents", &closed));
  EXPECT_FALSE(closed);
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(folder() / "Current.tdf"), "old contents");
  EXPECT_EQ(Entries(folder()), std::vector<std::string>{"Current.tdf"});

  // A folder where the file should be fails the open itself.
  fs::create_directories(folder() / "Folder.tdf");
  EXPECT_EQ(OpenWrite(L"Folder.tdf"), INVALID_HANDLE_VALUE);
}

TEST_F(SettingsFolderFiles, AWriteRemovesTheTemporariesOfDeadWritersOnly) {
  // The id of a process that has ended.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::wstring command = L"cmd.exe /c exit 0";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &child));
  WaitForSingleObject(child.hProcess, 30000);
  const std::string dead = std::to_string(child.dwProcessId);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  const std::string own = std::to_string(GetCurrentProcessId());
  std::vector<std::string> kept = {".Current.tdf." + own + "-999999.tmp", ".Current.tdf.x-1.tmp",
                                   ".Other.tdf." + dead + "-1.tmp", "Current.tdf"};
  for (const std::string &name : kept) WriteFileBytes(folder() / name, "partial");
  WriteFileBytes(folder() / (".Current.tdf." + dead + "-1.tmp"), "partial");

  ASSERT_TRUE(WriteAll(L"Current.tdf", "new contents"));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Entries(folder()), kept);
  EXPECT_EQ(ReadFileBytes(folder() / "Current.tdf"), "new contents");
}

}  // namespace
