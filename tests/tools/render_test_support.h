// What the renderer's tests share: a scratch folder, running wendrel-render as
// a child process, and reading back the WAV files it writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  std::string operator/(const std::string &name) const { return (path / name).string(); }
  // The names in the folder, sorted.
  std::vector<std::string> Entries() const;

  std::filesystem::path path;
};

struct ChildResult {
  int status = -1;  // the exit status, or -1 if the child did not exit normally
  std::string out;
  std::string err;
};

// Runs wendrel-render with the arguments in the given folder. The child is
// killed if it has not finished within two minutes, so a hang fails the test
// instead of blocking the run.
ChildResult RunRender(const std::vector<std::string> &arguments, const std::filesystem::path &folder);

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &bytes);

struct Wav {
  uint16_t format = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  size_t dataOffset = 0;
  std::string data;
};

// Reads a RIFF/WAVE file chunk by chunk; false with a failure recorded if it
// is not one.
bool ParseWav(const std::string &bytes, Wav &wav);
