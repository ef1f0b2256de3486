#include "tests/tools/render_test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/support/test_environment.h"

ScratchFolder::ScratchFolder() {
  path = MakeScratchFolder("wendrel-render");
  if (path.empty()) ADD_FAILURE() << "cannot create a scratch folder";
}

ScratchFolder::~ScratchFolder() { std::filesystem::remove_all(path); }

std::vector<std::string> ScratchFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadWholeFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteWholeFile(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

#ifdef _WIN32

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::wstring QuoteArgument(const std::wstring &argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// The build tree's paths compiled into the tests are rooted but name no drive,
// so they mean the drive the test runs on; the child, started in a scratch
// folder that may lie on another drive, gets them with the drive written out.
std::wstring WithDrive(const std::string &argument) {
  std::filesystem::path path(argument);
  if (path.has_root_directory() && !path.has_root_name()) path = std::filesystem::absolute(path);
  return path.wstring();
}

HANDLE InheritableOutput(const std::string &path) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(std::filesystem::path(path).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ChildResult RunRender(const std::vector<std::string> &arguments, const std::filesystem::path &folder) {
  std::string outPath = (folder / ".child-out").string();
  std::string errPath = (folder / ".child-err").string();
  std::wstring commandLine = QuoteArgument(WithDrive(WENDREL_RENDER_PATH));
  for (const std::string &argument : arguments) commandLine += L" " + QuoteArgument(WithDrive(argument));

  ChildResult result;
  HANDLE out = InheritableOutput(outPath);
  HANDLE err = InheritableOutput(errPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  BOOL started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                 CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.wstring().c_str(), &startup, &process);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) {
    ADD_FAILURE() << "cannot start wendrel-render (error " << GetLastError() << ")";
    return result;
  }
  // The watchdog: a hang fails the test instead of blocking the run.
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, INFINITE);
    ADD_FAILURE() << "wendrel-render did not finish within two minutes";
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<int>(code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

#else

ChildResult RunRender(const std::vector<std::string> &arguments, const std::filesystem::path &folder) {
  // Standard output and error go to files, so that the child can never block
  // on a full pipe while the parent waits for it.
  std::string outPath = (folder / ".child-out").string();
  std::string errPath = (folder / ".child-err").string();
  std::vector<std::string> argv = {WENDREL_RENDER_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char *> pointers;
  for (std::string &argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);

  ChildResult result;
  pid_t child = fork();
  if (child == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    alarm(120);  // survives exec: the watchdog
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  if (child < 0) {
    ADD_FAILURE() << "fork failed";
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  else ADD_FAILURE() << "wendrel-render did not exit normally (signal " << WTERMSIG(status) << ")";
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

#endif

namespace {

uint32_t Le(const std::string &bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

bool ParseWav(const std::string &bytes, Wav &wav) {
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    ADD_FAILURE() << "not a RIFF/WAVE file";
    return false;
  }
  if (Le(bytes, 4, 4) != bytes.size() - 8) {
    ADD_FAILURE() << "RIFF size " << Le(bytes, 4, 4) << " for a file of " << bytes.size() << " bytes";
    return false;
  }
  bool sawFormat = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    std::string id = bytes.substr(at, 4);
    uint32_t size = Le(bytes, at + 4, 4);
    if (at + 8 + size > bytes.size()) {
      ADD_FAILURE() << "chunk " << id << " runs past the end";
      return false;
    }
    if (id == "fmt ") {
      wav.format = static_cast<uint16_t>(Le(bytes, at + 8, 2));
      wav.channels = static_cast<uint16_t>(Le(bytes, at + 10, 2));
      wav.sampleRate = Le(bytes, at + 12, 4);
      wav.byteRate = Le(bytes, at + 16, 4);
      wav.blockAlign = static_cast<uint16_t>(Le(bytes, at + 20, 2));
      wav.bitsPerSample = static_cast<uint16_t>(Le(bytes, at + 22, 2));
      sawFormat = true;
    } else if (id == "data") {
      if (!sawFormat) {
        ADD_FAILURE() << "data before fmt";
        return false;
      }
      wav.dataOffset = at + 8;
      wav.data = bytes.substr(at + 8, size);
      return true;
    }
    at += 8 + size + (size & 1);
  }
  ADD_FAILURE() << "no data chunk";
  return false;
}
