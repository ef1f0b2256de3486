// A fresh folder for a test, made the settings folder (XDG_CONFIG_HOME) for
// the test's lifetime, so that bare names such as "Current.tdf" never reach
// the user's real settings.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

class TempConfigFolder {
 public:
  TempConfigFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wendrel-settings-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a temporary folder";
    root = pattern;
    if (const char *value = std::getenv("XDG_CONFIG_HOME")) saved = value;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  }
  ~TempConfigFolder() {
    if (saved) setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(root);
  }
  TempConfigFolder(const TempConfigFolder &) = delete;
  TempConfigFolder &operator=(const TempConfigFolder &) = delete;

  // Where a bare name ends up.
  std::filesystem::path PathOf(const std::string &name) const { return root / "wendrel" / name; }

  std::string Read(const std::string &name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Write(const std::string &name, const std::string &bytes) const {
    std::filesystem::create_directories(PathOf(name).parent_path());
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }

  std::filesystem::path root;

 private:
  std::optional<std::string> saved;
};
