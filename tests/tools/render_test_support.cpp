#include "tests/tools/render_test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wendrel-render-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a scratch folder";
  path = pattern;
}

ScratchFolder::~ScratchFolder() { std::filesystem::remove_all(path); }

std::vector<std::string> ScratchFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename());
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
