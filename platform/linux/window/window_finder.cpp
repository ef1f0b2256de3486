// FindWindowW and SetForegroundWindow across the processes of one user.
//
// Each published top-level window listens on a Unix socket in a per-user
// folder ($XDG_RUNTIME_DIR/wendrel, else /tmp/wendrel-UID, mode 0700 and owned
// by the user, or nothing is published). The socket's name carries hashes of
// the class name and the title, the process id and the handle, so finding a
// window reads only the folder. A socket whose process is gone refuses
// connections and is removed by whoever finds it. A connection that sends
// "F" asks the window to come forward; the owning process handles it inside
// its user-interface thread's GetMessageW.
#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>

#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

constexpr char kPrefix[] = "w";
constexpr char kSuffix[] = ".sock";

std::map<uintptr_t, std::string> &RemoteHandles() {
  static std::map<uintptr_t, std::string> handles;
  return handles;
}

// FNV-1a over the lower-cased text, so that matching ignores case as Win32's
// FindWindow does.
uint64_t NameHash(std::wstring_view text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (wchar_t ch : text) {
    uint32_t code = static_cast<uint32_t>(std::towlower(static_cast<wint_t>(ch)));
    for (int i = 0; i < 4; ++i) {
      hash ^= (code >> (8 * i)) & 0xff;
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

// The folder, made on first use; empty when no safe folder can be had.
std::string Folder() {
  std::string folder;
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    folder = std::string(runtime) + "/wendrel";
  } else {
    folder = "/tmp/wendrel-" + std::to_string(getuid());
  }
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
  struct stat info;
  // Not a symbolic link, ours, and closed to others: otherwise another user
  // could plant sockets there.
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    return "";
  }
  return folder;
}

bool FillAddress(const std::string &path, sockaddr_un *address) {
  if (path.size() >= sizeof address->sun_path) return false;
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Connects; -1 when nobody listens there (any more), with *refused set when
// the socket is certainly dead rather than just busy.
int Connect(const std::string &path, bool *refused = nullptr) {
  if (refused) *refused = false;
  sockaddr_un address;
  if (!FillAddress(path, &address)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    if (refused) *refused = errno == ECONNREFUSED || errno == ENOENT;
    close(fd);
    return -1;
  }
  return fd;
}

struct SocketName {
  uint64_t classHash = 0;
  uint64_t titleHash = 0;
  long pid = 0;
};

bool ParseName(const char *name, SocketName *parsed) {
  unsigned long long classHash = 0;
  unsigned long long titleHash = 0;
  long pid = 0;
  unsigned long long handle = 0;
  int used = 0;
  if (std::sscanf(name, "w%16llx-%16llx-%ld-%llx.sock%n", &classHash, &titleHash, &pid, &handle, &used) != 4) {
    return false;
  }
  if (name[used] != 0) return false;
  parsed->classHash = classHash;
  parsed->titleHash = titleHash;
  parsed->pid = pid;
  return true;
}

HWND RemoteHandleFor(const std::string &path) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  for (auto &entry : RemoteHandles()) {
    if (entry.second == path) return reinterpret_cast<HWND>(entry.first);
  }
  HWND handle = NewHandle();
  RemoteHandles()[reinterpret_cast<uintptr_t>(handle)] = path;
  return handle;
}

std::string RemotePath(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  auto it = RemoteHandles().find(reinterpret_cast<uintptr_t>(hwnd));
  return it == RemoteHandles().end() ? std::string() : it->second;
}

void ComeForward(HWND hwnd) {
  if (Screen *screen = CurrentScreen()) screen->Flash();
  WindowPtr w = FindOwn(hwnd);
  if (w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED)) ActivateWindow(hwnd, true);
  MarkDirty();
}

}  // namespace

void PublishWindow(Window &w) {
  if (w.publishFd >= 0 || w.text.empty()) return;
  std::string folder = Folder();
  if (folder.empty()) return;
  char name[96];
  std::snprintf(name, sizeof name, "%s%016llx-%016llx-%ld-%llx%s", kPrefix,
                static_cast<unsigned long long>(NameHash(w.windowClass->name)),
                static_cast<unsigned long long>(NameHash(w.text)), static_cast<long>(getpid()),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w.handle)), kSuffix);
  std::string path = folder + "/" + name;
  sockaddr_un address;
  if (!FillAddress(path, &address)) return;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return;
  }
  w.publishFd = fd;
  w.publishPath = path;
}

void UnpublishWindow(Window &w) {
  for (int client : w.publishClients) close(client);
  w.publishClients.clear();
  if (w.publishFd >= 0) {
    close(w.publishFd);
    unlink(w.publishPath.c_str());
  }
  w.publishFd = -1;
  w.publishPath.clear();
}

void CollectPublishDescriptors(std::vector<int> &fds) {
  for (const WindowPtr &w : AllWindows()) {
    if (w->thread != std::this_thread::get_id() || w->publishFd < 0) continue;
    fds.push_back(w->publishFd);
    fds.insert(fds.end(), w->publishClients.begin(), w->publishClients.end());
  }
}

void ServicePublishDescriptor(int fd) {
  for (const WindowPtr &w : AllWindows()) {
    if (w->thread != std::this_thread::get_id() || w->publishFd < 0) continue;
    if (fd == w->publishFd) {
      int client = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (client >= 0) w->publishClients.push_back(client);
      return;
    }
    for (auto it = w->publishClients.begin(); it != w->publishClients.end(); ++it) {
      if (*it != fd) continue;
      char buffer[16];
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) {
        if (std::memchr(buffer, 'F', static_cast<size_t>(n)) != nullptr) ComeForward(w->handle);
        return;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
      close(fd);
      w->publishClients.erase(it);
      return;
    }
  }
}

bool IsRemoteHandle(HWND hwnd) {
  std::string path = RemotePath(hwnd);
  if (path.empty()) return false;
  int fd = Connect(path);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool AskRemoteToComeForward(HWND hwnd) {
  std::string path = RemotePath(hwnd);
  if (path.empty()) return false;
  int fd = Connect(path);
  if (fd < 0) return false;
  // No SIGPIPE should the other side have closed already.
  ssize_t written = send(fd, "F", 1, MSG_NOSIGNAL);
  close(fd);
  return written == 1;
}

void ForgetRemoteHandles() {
  std::lock_guard<std::recursive_mutex> guard(RegistryLock());
  RemoteHandles().clear();
}

}  // namespace wendrel_window

using namespace wendrel_window;

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  if (lpClassName != nullptr && IS_INTRESOURCE(lpClassName)) {
    std::shared_ptr<WindowClass> cls = FindClass(lpClassName);
    if (!cls) return nullptr;
    lpClassName = nullptr;
    for (const WindowPtr &w : AllWindows()) {
      if (w->IsTopLevel() && !w->destroying && w->windowClass == cls) {
        std::lock_guard<std::recursive_mutex> guard(RegistryLock());
        if (lpWindowName == nullptr || SameText(w->text, lpWindowName)) return w->handle;
      }
    }
    return nullptr;
  }
  for (const WindowPtr &w : AllWindows()) {
    if (!w->IsTopLevel() || w->destroying) continue;
    std::lock_guard<std::recursive_mutex> guard(RegistryLock());
    if (lpClassName != nullptr && !SameText(w->windowClass->name, lpClassName)) continue;
    if (lpWindowName != nullptr && !SameText(w->text, lpWindowName)) continue;
    return w->handle;
  }
  std::string folder = Folder();
  if (folder.empty()) return nullptr;
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  uint64_t classHash = lpClassName ? NameHash(lpClassName) : 0;
  uint64_t titleHash = lpWindowName ? NameHash(lpWindowName) : 0;
  HWND found = nullptr;
  while (struct dirent *entry = readdir(dir)) {
    SocketName name;
    if (!ParseName(entry->d_name, &name)) continue;
    if (name.pid == static_cast<long>(getpid())) continue;
    if (lpClassName != nullptr && name.classHash != classHash) continue;
    if (lpWindowName != nullptr && name.titleHash != titleHash) continue;
    std::string path = folder + "/" + entry->d_name;
    bool processGone = kill(static_cast<pid_t>(name.pid), 0) != 0 && errno == ESRCH;
    bool refused = false;
    int fd = processGone ? -1 : Connect(path, &refused);
    if (fd < 0) {
      if (processGone || refused) unlink(path.c_str());  // left behind by a process that is gone
      continue;
    }
    close(fd);
    found = RemoteHandleFor(path);
    break;
  }
  closedir(dir);
  return found;
}

BOOL SetForegroundWindow(HWND hWnd) {
  if (WindowPtr w = FindOwn(hWnd)) {
    if (!(w->style & WS_VISIBLE) || (w->style & WS_DISABLED)) return FALSE;
    ActivateWindow(hWnd, true);
    return TRUE;
  }
  if (Find(hWnd)) return FALSE;  // another thread's window
  return AskRemoteToComeForward(hWnd) ? TRUE : FALSE;
}
