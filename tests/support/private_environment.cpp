// Linked into every Linux test program: before the first test, the runtime
// folder, the settings folder and the home folder become folders of the test
// program's own, for it and every process it starts. A running Wendrel of the
// user's publishes its windows in the runtime folder, so without this a test
// that looks for a Wendrel finds the user's, and a test that saves could
// write over the user's settings.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace {

class PrivateFolders : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/wendrel-test-XXXXXX";
    // mkdtemp makes the folder mode 0700, as a runtime folder must be.
    const char *made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr) << "cannot create a private folder for the tests";
    root = made;
    for (const char *sub : {"run", "config", "home"}) {
      std::error_code error;
      std::filesystem::create_directory(root / sub, error);
      ASSERT_FALSE(error) << (root / sub) << ": " << error.message();
    }
    std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("HOME", (root / "home").c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!root.empty()) std::filesystem::remove_all(root, ignored);
  }

 private:
  std::filesystem::path root;
};

[[maybe_unused]] ::testing::Environment *const g_privateFolders =
    ::testing::AddGlobalTestEnvironment(new PrivateFolders);

}  // namespace
