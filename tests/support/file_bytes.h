// Whole files as bytes, for tests that check what was written byte for byte
// or lay down a file for the code under test to find. Standard library only,
// so both builds share it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The file's bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Writes bytes as the whole file, making the folders on its way.
inline void WriteFileBytes(const std::filesystem::path &path, const std::string &bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}
