// wendrel-render run as its users run it: a child process with arguments,
// files and an exit status.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/level_meter.h"
#include "settings/settings_edits.h"
#include "synth/random.h"
#include "tests/support/sha256.h"
#include "tests/tools/render_test_support.h"
#include "tools/render/render_pipeline.h"
#include "wendrel_version.h"

namespace {

struct Vector {
  std::string settings;
  std::string seed;
  std::string frames;
  std::string sourceHash;
  std::string outputHash;
};

std::vector<Vector> ReadVectors() {
  std::vector<Vector> vectors;
  std::ifstream in(std::string(WENDREL_VECTORS_DIR) + "/vectors.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Vector v;
    fields >> v.settings >> v.seed >> v.frames >> v.sourceHash >> v.outputHash;
    vectors.push_back(v);
  }
  return vectors;
}

TEST(WendrelRender, ReproducesTheReferenceVectors) {
  std::vector<Vector> vectors = ReadVectors();
  ASSERT_GE(vectors.size(), 6u);
  ScratchFolder folder;
  for (const Vector &v : vectors) {
    struct Stage {
      const char *name;
      uint16_t bits;
      const std::string &hash;
    };
    for (Stage stage : {Stage{"source", 32, v.sourceHash}, Stage{"output", 16, v.outputHash}}) {
      SCOPED_TRACE(v.settings + " " + stage.name);
      ChildResult run = RunRender({"--settings", std::string(WENDREL_VECTORS_DIR) + "/" + v.settings, "--seed",
                                   v.seed, "--frames", v.frames, "--stage", stage.name, "out.wav"},
                                  folder.path);
      ASSERT_EQ(run.status, 0) << run.err;
      Wav wav;
      ASSERT_TRUE(ParseWav(ReadWholeFile(folder / "out.wav"), wav));
      EXPECT_EQ(wav.bitsPerSample, stage.bits);
      EXPECT_EQ(wav.data.size(), std::stoul(v.frames) * wav.blockAlign);
      EXPECT_EQ(Sha256::HexOf(wav.data.data(), wav.data.size()), stage.hash);
    }
  }
}

// The record the command line below should produce, built by hand.
ToneSettings EditedByHand() {
  ToneSettings settings;
  settings.waveform = kWaveformSquare;
  settings.toneCount = 3;
  settings.flags = kFlagStereo | kFlagDuration;
  settings.durationMs = 250;
  settings.leftStartHz[1] = 440.0;
  settings.rightStartHz[0] = 1500.0;
  return settings;
}

const std::vector<std::string> kEdits = {"--waveform", "square", "--tones",         "3",
                                         "--stereo",   "--mode", "duration",        "--duration",
                                         "250",        "--freq", "2=440",           "--right-freq",
                                         "1=1500"};

TEST(WendrelRender, WavFileEqualsTheInProcessRender) {
  ScratchFolder folder;
  std::vector<std::string> arguments = kEdits;
  arguments.push_back("edited.wav");
  ChildResult run = RunRender(arguments, folder.path);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");

  std::string bytes = ReadWholeFile(folder / "edited.wav");
  Wav wav;
  ASSERT_TRUE(ParseWav(bytes, wav));
  EXPECT_EQ(wav.dataOffset, 44u);  // the canonical header, nothing else
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.sampleRate, 44100u);
  EXPECT_EQ(wav.byteRate, 44100u * 4);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.bitsPerSample, 16);
  ASSERT_EQ(wav.data.size(), 11025u * 4);  // 250 ms by default

  RenderPipeline pipeline(EditedByHand());
  std::string expected;
  for (int64_t done = 0; done < 11025;) {
    RenderedBlock block = pipeline.RenderBlock(static_cast<int32_t>(11025 - done));
    expected.append(reinterpret_cast<const char *>(block.output), block.frames * 2 * sizeof(int16_t));
    done += block.frames;
  }
  EXPECT_TRUE(wav.data == expected) << "the samples differ from the in-process render";
}

TEST(WendrelRender, StandardOutputCarriesTheSameFile) {
  ScratchFolder folder;
  ChildResult toFile = RunRender({"--waveform", "white", "--seed", "5", "--frames", "9000", "file.wav"}, folder.path);
  ChildResult toStdout = RunRender({"--waveform", "white", "--seed", "5", "--frames", "9000", "-"}, folder.path);
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.err, "");
  EXPECT_TRUE(toStdout.out == ReadWholeFile(folder / "file.wav"));
  EXPECT_EQ(toStdout.out.size(), 44u + 9000 * 2);
}

TEST(WendrelRender, LevelsListEachPlayerBlockOfThePlayedSignal) {
  ScratchFolder folder;
  // 1050 ms: ten full blocks and one of 2205 frames.
  ChildResult run = RunRender({"--stereo", "--mode", "duration", "--duration", "1050", "--variable-amplitude",
                               "--amplitude", "1=-20", "--levels", "levels.csv", "out.wav"},
                              folder.path);
  ASSERT_EQ(run.status, 0) << run.err;

  ToneSettings settings;
  settings.flags = kFlagStereo | kFlagDuration | kFlagVariableAmplitude;
  settings.durationMs = 1050;
  settings.amplitudeDb[0] = -20;
  RenderPipeline pipeline(settings);
  std::string expected = "block,left,right\n";
  int blocks = 0;
  for (int64_t done = 0; done < 46305; ++blocks) {
    RenderedBlock block = pipeline.RenderBlock(static_cast<int32_t>(46305 - done));
    expected += std::to_string(blocks) + "," + std::to_string(LevelDb(0, block.played, block.frames, 2)) + "," +
                std::to_string(LevelDb(1, block.played, block.frames, 2)) + "\n";
    done += block.frames;
  }
  EXPECT_EQ(blocks, 11);
  EXPECT_EQ(ReadWholeFile(folder / "levels.csv"), expected);
  // A full-level sine 20 dB down reads -20 dB on both channels.
  EXPECT_NE(expected.find("\n3,-20,-20\n"), std::string::npos) << expected;
}

TEST(WendrelRender, SaveWritesTheEditedRecordOverAShortFile) {
  ScratchFolder folder;
  // Four bytes: flags 0x0010, sawtooth, 2 tones; the rest stays default.
  WriteWholeFile(folder / "short.tdf", std::string("\x10\x00\x03\x02", 4));
  ChildResult run = RunRender({"--settings", "short.tdf", "--mode", "log", "--end-freq", "2=20000", "--save",
                               "saved.tdf"},
                              folder.path);
  ASSERT_EQ(run.status, 0) << run.err;
  ToneSettings expected;
  expected.flags = 0x001B;
  expected.waveform = kWaveformSawTooth;
  expected.toneCount = 2;
  expected.leftEndHz[1] = 20000.0;
  EXPECT_TRUE(ReadWholeFile(folder / "saved.tdf") ==
              std::string(reinterpret_cast<const char *>(&expected), sizeof expected));
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"saved.tdf", "short.tdf"}));
}

TEST(WendrelRender, BadInputGetsOneLineAndWritesNothing) {
  struct Case {
    const char *what;
    std::vector<std::string> arguments;
    bool save = true;  // add --save, which must not be written either
  };
  const std::vector<Case> cases = {
      {"unknown option", {"--volume", "3", "old.wav"}},
      {"malformed tone count", {"--tones", "three", "old.wav"}},
      {"tone count above 16", {"--tones", "17", "old.wav"}},
      {"tone count 0", {"--tones", "0", "old.wav"}},
      {"tone index 0", {"--freq", "0=100", "old.wav"}},
      {"tone index 17", {"--amplitude", "17=-3", "old.wav"}},
      {"malformed frequency", {"--freq", "1=12kHz", "old.wav"}},
      {"infinite frequency", {"--right-freq", "1=inf", "old.wav"}},
      {"no equals sign", {"--end-freq", "440", "old.wav"}},
      {"positive amplitude", {"--amplitude", "1=3", "old.wav"}},
      {"fractional amplitude", {"--amplitude", "1=-3.5", "old.wav"}},
      {"bad waveform", {"--waveform", "noise", "old.wav"}},
      {"bad mode", {"--mode", "sweep", "old.wav"}},
      {"bad stage", {"--stage", "limiter", "old.wav"}},
      {"zero duration", {"--duration", "0", "old.wav"}},
      {"negative frames", {"--frames", "-1", "old.wav"}},
      {"malformed frames", {"--frames", "1e3", "old.wav"}},
      {"negative seed", {"--seed", "-1", "old.wav"}},
      {"stereo and mono", {"--stereo", "--mono", "old.wav"}},
      {"unreadable settings", {"--settings", "missing.tdf", "old.wav"}},
      {"settings folder", {"--settings", ".", "old.wav"}},
      {"no output", {"--tones", "2"}, false},
      {"two outputs", {"old.wav", "other.wav"}},
      {"levels and WAV both on standard output", {"--levels", "-", "-"}},
      {"too many frames for a WAV file", {"--stereo", "--stage", "source", "--frames", "600000000", "old.wav"}},
      {"output in a missing folder", {"nowhere/out.wav"}},
      {"output is a folder", {"sub"}},
      {"levels in a missing folder", {"--levels", "nowhere/levels.csv", "old.wav"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    WriteWholeFile(folder / "old.wav", "old");
    std::filesystem::create_directory(folder.path / "sub");
    std::vector<std::string> arguments;
    if (c.save) arguments = {"--save", "saved.tdf"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ChildResult run = RunRender(arguments, folder.path);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("wendrel-render: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
    EXPECT_EQ(ReadWholeFile(folder / "old.wav"), "old");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"old.wav", "sub"}));
  }
}

TEST(WendrelRender, HelpAndVersionGoToStandardOutput) {
  ScratchFolder folder;
  ChildResult run = RunRender({"--help"}, folder.path);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("Usage: wendrel-render"), std::string::npos) << run.out;
  for (const char *option : {"--settings", "--frames", "--seed", "--stage", "--levels", "--save", "--amplitude"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{});

  ChildResult version = RunRender({"--version"}, folder.path);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "");
  // Standard output is in text mode, so Windows ends the line as its console does.
#ifdef _WIN32
  EXPECT_EQ(version.out, "wendrel-render " WENDREL_VERSION "\r\n");
#else
  EXPECT_EQ(version.out, "wendrel-render " WENDREL_VERSION "\n");
#endif
}

}  // namespace
