// A fresh folder for a test, made the folder the settings folder lives in
// (XDG_CONFIG_HOME, on Windows APPDATA) for the test's lifetime, so that bare
// names such as "Current.tdf" never reach the user's real settings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/test_environment.h"

class TempConfigFolder {
 public:
  TempConfigFolder() {
    root = MakeScratchFolder("wendrel-settings");
    if (root.empty()) ADD_FAILURE() << "cannot create a temporary folder";
    saved = GetEnvironment(kVariable);
    SetEnvironment(kVariable, root.string());
  }
  ~TempConfigFolder() {
    SetEnvironment(kVariable, saved);
    std::filesystem::remove_all(root);
  }
  TempConfigFolder(const TempConfigFolder &) = delete;
  TempConfigFolder &operator=(const TempConfigFolder &) = delete;

  // Where a bare name ends up.
  std::filesystem::path PathOf(const std::string &name) const { return root / kFolder / name; }

  std::string Read(const std::string &name) const { return ReadFileBytes(PathOf(name)); }
  void Write(const std::string &name, const std::string &bytes) const { WriteFileBytes(PathOf(name), bytes); }

  std::filesystem::path root;

 private:
#ifdef _WIN32
  static constexpr const char *kVariable = "APPDATA";
  static constexpr const char *kFolder = "Wendrel";
#else
  static constexpr const char *kVariable = "XDG_CONFIG_HOME";
  static constexpr const char *kFolder = "wendrel";
#endif
  std::optional<std::string> saved;
};
