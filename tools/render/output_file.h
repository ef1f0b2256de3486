// A file the renderer writes: a temporary file beside the named one, renamed
// over it by Commit, so that a failed or interrupted render leaves no partial
// file and an old file whole. "-" is standard output, written as it comes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // discards what was not committed
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // False with Error() set when the file cannot be created.
  bool Open(const std::string &path);
  bool Write(const void *data, size_t size);
  // Makes the file appear under its name; false with Error() set if that fails.
  bool Commit();
  void Discard();

  bool IsOpen() const { return fd >= 0; }
  const std::string &Error() const { return error; }

 private:
  bool Fail(const std::string &what);

  // The file descriptor, or on Windows the file's handle.
  intptr_t fd = -1;
  bool toStdout = false;
  std::string path;
  std::string tempPath;
  std::string error;
};
