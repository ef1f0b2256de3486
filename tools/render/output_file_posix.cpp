#include "tools/render/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Fail(const std::string &what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

bool OutputFile::Open(const std::string &name) {
  Discard();
  error.clear();
  path = name;
  if (name == "-") {
    toStdout = true;
    fd = STDOUT_FILENO;
    return true;
  }
  struct stat info;
  bool exists = stat(name.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return Fail("cannot write " + name);
  }
  // Beside the target, so that the rename stays within one file system.
  size_t slash = name.rfind('/');
  std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + "." + base + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (exists && S_ISREG(info.st_mode)) fchmod(fd, info.st_mode & 07777);  // a replaced file keeps its mode
      return true;
    }
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return Fail("cannot write " + name);
}

bool OutputFile::Write(const void *data, size_t size) {
  const auto *bytes = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail("cannot write " + (toStdout ? std::string("standard output") : path));
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::Commit() {
  if (toStdout) {
    fd = -1;
    return true;
  }
  bool ok = fsync(fd) == 0 || errno == EINVAL;  // some special files cannot sync
  if (!ok) return Fail("cannot write " + path);
  int closing = fd;
  fd = -1;
  if (close(closing) != 0 || rename(tempPath.c_str(), path.c_str()) != 0) {
    Fail("cannot write " + path);
    Discard();
    return false;
  }
  tempPath.clear();
  return true;
}

void OutputFile::Discard() {
  if (fd >= 0 && !toStdout) close(fd);
  fd = -1;
  toStdout = false;
  if (!tempPath.empty()) unlink(tempPath.c_str());
  tempPath.clear();
}
