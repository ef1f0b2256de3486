// What tests need from the process environment on both platforms: setting and
// clearing a variable for the calls the test makes and the children it starts,
// and a fresh scratch folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

inline std::optional<std::string> GetEnvironment(const char *name) {
  if (const char *value = std::getenv(name)) return std::string(value);
  return std::nullopt;
}

// On Windows both the C library's copy and the process's own block change,
// since the platform shims read the latter.
inline void SetEnvironment(const char *name, const std::optional<std::string> &value) {
#ifdef _WIN32
  _putenv_s(name, value ? value->c_str() : "");
  SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
#else
  if (value) setenv(name, value->c_str(), 1);
  else unsetenv(name);
#endif
}

// A new, empty folder under the system's temporary folder; empty on failure.
inline std::filesystem::path MakeScratchFolder(const std::string &prefix) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) return candidate;
  }
  return {};
}
