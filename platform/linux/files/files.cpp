#include "platform/linux/files/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Encodes by hand when the locale cannot (the "C" locale of a program that
// never called setlocale refuses everything above 0x7f).
std::optional<std::string> EncodeUtf8(const wchar_t *text) {
  std::string out;
  for (; *text; ++text) {
    auto c = static_cast<uint32_t>(*text);
    if (c >= 0xD800 && c <= 0xDFFF) return std::nullopt;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::string> ToMultibyte(const wchar_t *name) {
  std::mbstate_t state{};
  const wchar_t *source = name;
  size_t length = std::wcsrtombs(nullptr, &source, 0, &state);
  if (length == static_cast<size_t>(-1)) return EncodeUtf8(name);
  std::string out(length, '\0');
  source = name;
  state = std::mbstate_t{};
  std::wcsrtombs(out.data(), &source, length, &state);
  return out;
}

// $XDG_CONFIG_HOME/wendrel, or ~/.config/wendrel. A relative XDG_CONFIG_HOME is
// invalid by the base-directory rules and ignored.
std::optional<std::string> SettingsFolder() {
  const char *config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/wendrel";
  const char *home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd *entry = getpwuid(getuid());
    home = entry ? entry->pw_dir : nullptr;
  }
  if (!home || !home[0]) return std::nullopt;
  return std::string(home) + "/.config/wendrel";
}

std::optional<std::string> ResolveName(LPCWSTR name) {
  if (!name || !name[0]) return std::nullopt;
  std::optional<std::string> path = ToMultibyte(name);
  if (!path) return std::nullopt;
  if (path->find('/') != std::string::npos) return path;
  std::optional<std::string> folder = SettingsFolder();
  if (!folder) return std::nullopt;
  return *folder + "/" + *path;
}

// mkdir -p; the settings folder is private to the user.
bool MakeFolders(const std::string &folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SyncFolder(const std::string &folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // Some file systems refuse this; the rename already happened.
  close(fd);
}

class FileObject final : public KernelObject {
 public:
  FileObject(int fd, bool writing, std::string finalPath, std::string tempPath)
      : fd(fd), writing(writing), finalPath(std::move(finalPath)), tempPath(std::move(tempPath)) {}

  ~FileObject() override { Discard(); }

  BOOL Close() override {
    BOOL result = writing ? Commit() : (close(fd) == 0 ? TRUE : FALSE);
    fd = -1;
    delete this;
    return result;
  }

  int fd;
  bool writing;
  bool failed = false;
  std::string finalPath;
  std::string tempPath;

 private:
  BOOL Commit() {
    bool ok = !failed && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    fd = -1;
    if (ok && rename(tempPath.c_str(), finalPath.c_str()) == 0) {
      tempPath.clear();
      SyncFolder(FolderOf(finalPath));
      return TRUE;
    }
    Discard();
    return FALSE;
  }

  // A file that was never committed takes its temporary file with it.
  void Discard() {
    if (fd >= 0) close(fd);
    fd = -1;
    if (!tempPath.empty()) unlink(tempPath.c_str());
    tempPath.clear();
  }
};

HANDLE OpenForReading(const std::string &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  return (new FileObject(fd, false, path, {}))->Handle();
}

// A write killed before its close leaves its temporary file behind. Each
// temporary name carries its writer's process id, so the next write of the same
// file removes those whose writer no longer exists; a live writer's is kept.
void RemoveStaleTemporaries(const std::string &folder, const std::string &prefix) {
  DIR *dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (dirent *entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
      continue;
    }
    const char *digits = name.c_str() + prefix.size();
    char *end = nullptr;
    errno = 0;
    long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || errno != 0 || pid <= 0 || pid > INT_MAX) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    unlinkat(dirfd(dir), name.c_str(), 0);
  }
  closedir(dir);
}

HANDLE CreateForWriting(std::string path, bool bareName) {
  struct stat info;
  // Writing through a link replaces the file it names, not the link.
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char *target = realpath(path.c_str(), nullptr)) {
      path = target;
      std::free(target);
    }
  }
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return INVALID_HANDLE_VALUE;
  std::string folder = FolderOf(path);
  if (bareName && !MakeFolders(folder)) return INVALID_HANDLE_VALUE;

  // An existing file keeps its permissions; a new one gets 0666 less the umask,
  // which open applies.
  bool keepMode = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string stem = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." + base + ".";
  RemoveStaleTemporaries(folder, "." + base + ".");
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = stem + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".tmp";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return INVALID_HANDLE_VALUE;
    }
    if (keepMode) fchmod(fd, info.st_mode & 07777);
    return (new FileObject(fd, true, path, temp))->Handle();
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                   LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/) {
  std::optional<std::string> path = ResolveName(lpFileName);
  if (!path) return INVALID_HANDLE_VALUE;
  bool bareName = std::wcschr(lpFileName, L'/') == nullptr;
  if (dwDesiredAccess == GENERIC_READ && dwCreationDisposition == OPEN_EXISTING) return OpenForReading(*path);
  if (dwDesiredAccess == GENERIC_WRITE && dwCreationDisposition == CREATE_ALWAYS) {
    return CreateForWriting(*path, bareName);
  }
  return INVALID_HANDLE_VALUE;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto *file = LookUpKernelObjectAs<FileObject>(hFile);
  if (!file || file->writing || lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) return FALSE;
  auto *bytes = static_cast<char *>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    size_t chunk = std::min<size_t>(nNumberOfBytesToRead - done, SSIZE_MAX);
    ssize_t n = read(file->fd, bytes + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto *file = LookUpKernelObjectAs<FileObject>(hFile);
  if (!file || !file->writing || lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) return FALSE;
  const auto *bytes = static_cast<const char *>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    size_t chunk = std::min<size_t>(nNumberOfBytesToWrite - done, SSIZE_MAX);
    ssize_t n = write(file->fd, bytes + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      file->failed = true;
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return TRUE;
}
