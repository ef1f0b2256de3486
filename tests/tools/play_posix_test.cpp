// wendrel-render --play: the same samples reach the sound output as the
// renderer writes to a file, and a signal ends a play cleanly.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
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

TEST(WendrelRenderPlay, AnOutputThatCannotOpenFailsWithOneLine) {
  ScratchFolder folder;
  AudioOutput output("wav:" + (folder / "no-such-folder/x.wav"));
  ChildResult played = RunRender({"--mode", "duration", "--duration", "100", "--play"}, folder.path);
  EXPECT_EQ(played.status, 1);
  EXPECT_NE(played.err.find("unable to start playback"), std::string::npos) << played.err;
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
