// wendrel-render --play: the same samples reach the sound output as the
// renderer writes to a file, and a signal ends a play cleanly.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/render_test_support.h"

namespace {

// Sets WENDREL_AUDIO for the children started in its scope.
class AudioOutput {
 public:
  explicit AudioOutput(const std::string &value) { setenv("WENDREL_AUDIO", value.c_str(), 1); }
  ~AudioOutput() { unsetenv("WENDREL_AUDIO"); }
};

TEST(WendrelRenderPlay, TheWavOutputEqualsTheRenderedFile) {
  struct Case {
    const char *name;
    std::vector<std::string> settings;
  };
  const Case cases[] = {
      {"one second of the default sine", {"--mode", "duration", "--duration", "1000"}},
      {"16 stereo squares, a partial last buffer",
       {"--waveform", "square", "--tones", "16", "--stereo", "--mode", "duration", "--duration", "345"}},
      {"logarithmic sweep", {"--mode", "log", "--duration", "420", "--end-freq", "1=5000"}},
      {"seeded pink noise", {"--waveform", "pink", "--seed", "7", "--mode", "duration", "--duration", "250"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    std::vector<std::string> render = c.settings;
    render.push_back("rendered.wav");
    ChildResult rendered = RunRender(render, folder.path);
    ASSERT_EQ(rendered.status, 0) << rendered.err;

    std::vector<std::string> play = c.settings;
    play.push_back("--play");
    ChildResult played;
    {
      AudioOutput output("wav:" + (folder / "played.wav"));
      played = RunRender(play, folder.path);
    }
    ASSERT_EQ(played.status, 0) << played.err;
    const std::string expected = ReadWholeFile(folder / "rendered.wav");
    const std::string actual = ReadWholeFile(folder / "played.wav");
    ASSERT_GT(expected.size(), 44u);
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected) << "the played samples differ from the rendered ones";
    // The last progress line shows the whole duration, and the line is ended.
    ASSERT_FALSE(played.err.empty());
    EXPECT_EQ(played.err.back(), '\n');
  }
}

// A failed open names the output that was tried and where the usable names
// are, on one line, whatever kept it from opening.
TEST(WendrelRenderPlay, AnOutputThatCannotOpenFailsWithOneLineNamingIt) {
  ScratchFolder folder;
  for (const std::string &choice :
       {"wav:" + (folder / "no-such-folder/x.wav"), std::string("alsa:no-such-device"), std::string("speakers")}) {
    SCOPED_TRACE(choice);
    AudioOutput output(choice);
    ChildResult played = RunRender({"--mode", "duration", "--duration", "100", "--play"}, folder.path);
    EXPECT_EQ(played.status, 1);
    EXPECT_EQ(std::count(played.err.begin(), played.err.end(), '\n'), 1) << played.err;
    EXPECT_NE(played.err.find("unable to start playback on " + choice + " ("), std::string::npos) << played.err;
    EXPECT_NE(played.err.find("wendrel-render --list-outputs"), std::string::npos) << played.err;
  }
  EXPECT_TRUE(folder.Entries().empty());
}

// -D names the output as --list-outputs prints it and wins over
// WENDREL_AUDIO; a name this machine does not have is refused on one line,
// with status 2, before anything is opened or written, even where
// WENDREL_AUDIO names one that works.
TEST(WendrelRenderPlay, TheDeviceOptionChoosesTheOutputOrRefusesIt) {
  ScratchFolder folder;
  ChildResult rendered = RunRender({"--mode", "duration", "--duration", "300", "rendered.wav"}, folder.path);
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  const std::vector<std::string> tone = {"--mode", "duration", "--duration", "300", "--play"};
  {
    SCOPED_TRACE("-D wav:PATH over WENDREL_AUDIO=wav:decoy.wav");
    AudioOutput output("wav:" + (folder / "decoy.wav"));
    std::vector<std::string> play = tone;
    play.insert(play.end(), {"-D", "wav:" + (folder / "played.wav")});
    ChildResult played = RunRender(play, folder.path);
    ASSERT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(ReadWholeFile(folder / "played.wav") == ReadWholeFile(folder / "rendered.wav"));
    EXPECT_FALSE(std::filesystem::exists(folder / "decoy.wav"));
  }
  for (const char *spelling : {"--device=alsa:null", "-Dalsa:null"}) {
    SCOPED_TRACE(spelling);
    AudioOutput output("speakers");  // not an output: the option alone decides
    std::vector<std::string> play = tone;
    play.push_back(spelling);
    ChildResult played = RunRender(play, folder.path);
    EXPECT_EQ(played.status, 0) << played.err;
  }
  std::filesystem::remove(folder / "played.wav");
  std::filesystem::remove(folder / "rendered.wav");
  for (const std::string name : {"alsa:no-such-device", "hw:0", "wav:", "speakers"}) {
    SCOPED_TRACE(name);
    AudioOutput output("wav:" + (folder / "default.wav"));
    std::vector<std::string> play = tone;
    play.insert(play.end(), {"--device", name});
    ChildResult played = RunRender(play, folder.path);
    EXPECT_EQ(played.status, 2);
    EXPECT_EQ(std::count(played.err.begin(), played.err.end(), '\n'), 1) << played.err;
    EXPECT_NE(played.err.find("no sound output named '" + name + "'"), std::string::npos) << played.err;
    EXPECT_NE(played.err.find("wendrel-render --list-outputs"), std::string::npos) << played.err;
    EXPECT_EQ(played.err.find("playing"), std::string::npos) << "it played: " << played.err;
  }
  EXPECT_TRUE(folder.Entries().empty());
}

// The playback devices as aplay -L lists them: a name at the start of a line,
// its description on the indented lines below, here joined into one.
std::vector<std::pair<std::string, std::string>> AplayOutputs() {
  std::vector<std::pair<std::string, std::string>> outputs;
  FILE *pipe = popen("aplay -L 2>/dev/null", "r");
  if (pipe == nullptr) return outputs;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    if (line[0] != ' ') {
      outputs.emplace_back(line, "");
    } else if (!outputs.empty()) {
      std::string &description = outputs.back().second;
      description += (description.empty() ? "" : ", ") + line.substr(line.find_first_not_of(' '));
    }
  }
  EXPECT_EQ(pclose(pipe), 0) << "aplay -L failed: is alsa-utils installed?";
  return outputs;
}

// --list-outputs gives what ALSA lists for playback, with the same
// descriptions, then the two sinks that need no device; and a name it gives
// is one WENDREL_AUDIO takes.
TEST(WendrelRenderListOutputs, NamesWhatAplayListsThenTheSinks) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto &[name, description] : AplayOutputs()) expected.emplace_back("alsa:" + name, description);
  expected.emplace_back("null", "Discards the sound, paced in real time");
  expected.emplace_back("wav:PATH", "Writes what is played to the 16-bit WAV file PATH, paced in real time");

  ScratchFolder folder;
  ChildResult listed = RunRender({"--list-outputs"}, folder.path);
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.err, "");
  std::vector<std::pair<std::string, std::string>> outputs;
  size_t start = 0;
  for (size_t end; (end = listed.out.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = listed.out.substr(start, end - start);
    size_t gap = line.find(' ');
    size_t text = line.find_first_not_of(' ', gap);
    outputs.emplace_back(line.substr(0, gap), text == std::string::npos ? "" : line.substr(text));
  }
  EXPECT_EQ(start, listed.out.size()) << "the list does not end with a newline";
  EXPECT_EQ(outputs, expected) << listed.out;

  // ALSA always defines its null device, so every machine lists it.
  ASSERT_NE(std::find_if(outputs.begin(), outputs.end(), [](const auto &o) { return o.first == "alsa:null"; }),
            outputs.end());
  AudioOutput output("alsa:null");
  ChildResult played = RunRender({"--mode", "duration", "--duration", "100", "--play"}, folder.path);
  EXPECT_EQ(played.status, 0) << played.err;
}

TEST(WendrelRenderPlay, PlayWritesNoFileAndTakesNoOutputName) {
  ScratchFolder folder;
  AudioOutput output("null");
  for (const std::vector<std::string> &arguments :
       {std::vector<std::string>{"--play", "x.wav"}, {"--play", "--frames", "10"}, {"--play", "--levels", "l.csv"}}) {
    ChildResult played = RunRender(arguments, folder.path);
    EXPECT_EQ(played.status, 2) << played.err;
  }
  EXPECT_TRUE(folder.Entries().empty());
}

// A continuous tone plays until SIGINT (or SIGTERM); the player then stops,
// the WAV sink closes its file, and the program ends with status 0.
TEST(WendrelRenderPlay, ASignalStopsAContinuousPlay) {
  for (int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    ScratchFolder folder;
    int errPipe[2];
    ASSERT_EQ(pipe(errPipe), 0);
    const std::string wav = "wav:" + (folder / "continuous.wav");
    pid_t child = fork();
    if (child == 0) {
      dup2(errPipe[1], STDERR_FILENO);
      close(errPipe[0]);
      setenv("WENDREL_AUDIO", wav.c_str(), 1);
      alarm(60);  // the watchdog, surviving exec
      execl(WENDREL_RENDER_PATH, WENDREL_RENDER_PATH, "--play", static_cast<char *>(nullptr));
      _exit(127);
    }
    ASSERT_GT(child, 0);
    close(errPipe[1]);
    // The first progress line means the player has started: signal then.
    std::string err;
    char byte;
    while (err.find("playing") == std::string::npos && read(errPipe[0], &byte, 1) == 1) {
      err += byte;
    }
    kill(child, signal);
    while (read(errPipe[0], &byte, 1) == 1) {
      err += byte;
    }
    close(errPipe[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "; " << err;
    EXPECT_EQ(WEXITSTATUS(status), 0) << err;
    Wav parsed;
    ASSERT_TRUE(ParseWav(ReadWholeFile(folder / "continuous.wav"), parsed));
    EXPECT_EQ(parsed.channels, 1);
    EXPECT_EQ(parsed.data.size() % 2, 0u);
  }
}

}  // namespace
