#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "window_test_support.h"

extern char **environ;

using namespace window_test;

namespace {

class WindowFinder : public WindowTest {};

TEST_F(WindowFinder, FindsATopLevelWindowOfThisProcessByClassAndTitle) {
  HWND main = TopLevel(WS_VISIBLE, L"Wendrel");
  HWND child = Child(main, 1, 0, 0, 8, 13);
  SetWindowTextW(child, L"Child");
  struct Case {
    LPCWSTR cls;
    LPCWSTR title;
    HWND expected;
  } cases[] = {
      {kClass, L"Wendrel", main},  {L"TESTWINDOW", L"wendrel", main}, {nullptr, L"Wendrel", main},
      {kClass, nullptr, main},     {kClass, L"Other", nullptr},       {L"LMainWindow", L"Wendrel", nullptr},
      {kClass, L"Child", nullptr},  // children are not found
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "class " << (c.cls ? c.cls : L"(any)") << ", title "
                                    << (c.title ? c.title : L"(any)"));
    EXPECT_EQ(FindWindowW(c.cls, c.title), c.expected);
  }
  EXPECT_TRUE(SetForegroundWindow(main));
  DestroyWindow(main);
  EXPECT_EQ(FindWindowW(kClass, L"Wendrel"), nullptr);
}

// The other process: started with its stdout on a pipe.
class Helper {
 public:
  Helper(const std::string &cls, const std::string &title) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const char *path = WINDOW_FINDER_HELPER;
    char *argv[] = {const_cast<char *>(path), const_cast<char *>(cls.c_str()), const_cast<char *>(title.c_str()),
                    nullptr};
    if (posix_spawn(&pid, path, &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out = fds[0];
  }
  ~Helper() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      Wait();
    }
    if (out >= 0) close(out);
  }

  // A line of output, or "" when none came within the time (the watchdog's
  // job is hangs elsewhere; this keeps a silent helper from blocking).
  std::string ReadLine(int timeoutMs = 10000) {
    std::string line;
    while (true) {
      pollfd p{out, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) return line;
      char c;
      if (read(out, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line.push_back(c);
    }
  }

  int Wait() {
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) pid = -1;
    return status;
  }

  pid_t pid = -1;
  int out = -1;
};

std::string UniqueTitle(const char *what) { return std::string("Finder-") + what + "-" + std::to_string(getpid()); }

std::wstring Wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

// The sockets of a process still in the folder.
int SocketsOf(pid_t pid) {
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = (runtime != nullptr && runtime[0] == '/') ? std::string(runtime) + "/wendrel"
                                                                  : "/tmp/wendrel-" + std::to_string(getuid());
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) return 0;
  int count = 0;
  std::string mark = "-" + std::to_string(pid) + "-";
  while (struct dirent *entry = readdir(dir)) {
    if (std::string(entry->d_name).find(mark) != std::string::npos) ++count;
  }
  closedir(dir);
  return count;
}

TEST_F(WindowFinder, ASecondProcessFindsTheFirstAndAsksItToComeForward) {
  std::string title = UniqueTitle("forward");
  Helper helper("LFinderTest", title);
  ASSERT_GT(helper.pid, 0);
  ASSERT_EQ(helper.ReadLine(), "ready");
  pid_t pid = helper.pid;
  HWND found = FindWindowW(L"LFinderTest", Wide(title).c_str());
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(IsWindow(found));
  EXPECT_EQ(FindWindowW(L"LFinderTest", L"Some other title"), nullptr);
  EXPECT_EQ(FindWindowW(L"LFinderTest", Wide(title).c_str()), found);  // the same handle again
  ASSERT_TRUE(SetForegroundWindow(found));
  EXPECT_EQ(helper.ReadLine(), "forward 1");  // it was activated and its screen flashed
  int status = helper.Wait();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(SocketsOf(pid), 0);
  EXPECT_FALSE(IsWindow(found));
  EXPECT_EQ(FindWindowW(L"LFinderTest", Wide(title).c_str()), nullptr);
}

TEST_F(WindowFinder, SocketsLeftByAKilledProcessAreIgnoredAndCleaned) {
  std::string title = UniqueTitle("stale");
  Helper helper("LFinderTest", title);
  ASSERT_GT(helper.pid, 0);
  ASSERT_EQ(helper.ReadLine(), "ready");
  pid_t pid = helper.pid;
  EXPECT_GE(SocketsOf(pid), 1);
  kill(pid, SIGKILL);
  helper.Wait();
  EXPECT_GE(SocketsOf(pid), 1);  // nobody cleaned up after it
  EXPECT_EQ(FindWindowW(L"LFinderTest", Wide(title).c_str()), nullptr);
  EXPECT_EQ(FindWindowW(L"LFinderTest", nullptr), nullptr);
  EXPECT_EQ(SocketsOf(pid), 0);
}

TEST_F(WindowFinder, SigtermClosesTheOtherProcessesMainWindowAndItEndsNormally) {
  std::string title = UniqueTitle("term");
  Helper helper("LFinderTest", title);
  ASSERT_GT(helper.pid, 0);
  ASSERT_EQ(helper.ReadLine(), "ready");
  pid_t pid = helper.pid;
  kill(pid, SIGTERM);
  int status = helper.Wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(SocketsOf(pid), 0);
}

}  // namespace
