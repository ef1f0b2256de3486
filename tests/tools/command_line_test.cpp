// The renderer's command line in-process: which record each edit produces.
// What bad input does to the program as a whole is in wendrel_render_test.cpp.
#include "tools/render/command_line.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parsed {
  int status;
  RenderOptions options;
  std::string out;
  std::string err;
};

// windowsStyle: a leading / starts an option, as it does on Windows.
Parsed Parse(std::vector<std::string> arguments, bool windowsStyle = false) {
  arguments.insert(arguments.begin(), "wendrel-render");
  std::vector<const char *> argv;
  for (const std::string &argument : arguments) argv.push_back(argument.c_str());
  Parsed parsed;
  CLI::App app{"", "wendrel-render"};
  AddRenderOptions(app, parsed.options);
  app.allow_windows_style_options(windowsStyle);
  std::ostringstream out, err;
  parsed.status = ParseRenderCommandLine(app, parsed.options, static_cast<int>(argv.size()), argv.data(), out, err);
  parsed.out = out.str();
  parsed.err = err.str();
  return parsed;
}

std::string Bytes(const ToneSettings &settings) {
  return std::string(reinterpret_cast<const char *>(&settings), sizeof settings);
}

TEST(RenderCommandLine, EditsChangeTheRecordLikeTheMenus) {
  struct Case {
    const char *what;
    std::vector<std::string> arguments;
    uint16_t flagsBefore;
    void (*expect)(ToneSettings &);
  };
  const std::vector<Case> cases = {
      {"log sweep", {"--mode", "log"}, 0x0014, [](ToneSettings &s) { s.flags = 0x001F; }},
      {"continuous keeps stereo", {"--mode", "continuous"}, 0x001F, [](ToneSettings &s) { s.flags = 0x0014; }},
      {"linear sweep", {"--mode", "linear"}, 0x000B, [](ToneSettings &s) { s.flags = 0x0009; }},
      {"duration", {"--mode", "duration"}, 0x0003, [](ToneSettings &s) { s.flags = 0x0008; }},
      {"stereo", {"--stereo"}, 0x0000, [](ToneSettings &s) { s.flags = 0x0004; }},
      {"mono", {"--mono"}, 0xFFFF, [](ToneSettings &s) { s.flags = 0xFFFB; }},
      {"variable amplitude on", {"--variable-amplitude"}, 0x0000, [](ToneSettings &s) { s.flags = 0x0010; }},
      {"variable amplitude stays on", {"--variable-amplitude"}, 0x0010, [](ToneSettings &s) { s.flags = 0x0010; }},
      {"variable amplitude off", {"--no-variable-amplitude"}, 0x0013, [](ToneSettings &s) { s.flags = 0x0003; }},
      {"variable amplitude stays off", {"--no-variable-amplitude"}, 0x0003,
       [](ToneSettings &s) { s.flags = 0x0003; }},
      {"saw tooth", {"--waveform", "saw"}, 0, [](ToneSettings &s) { s.waveform = kWaveformSawTooth; }},
      {"pink noise", {"--waveform", "pink"}, 0, [](ToneSettings &s) { s.waveform = kWaveformPinkNoise; }},
      {"sixteen tones", {"--tones", "16"}, 0, [](ToneSettings &s) { s.toneCount = 16; }},
      {"longest duration", {"--duration", "48695217"}, 0, [](ToneSettings &s) { s.durationMs = 48695217u; }},
      {"every frequency field",
       {"--freq", "1=440", "--end-freq", "16=20000", "--right-freq", "2=-5.5", "--right-end-freq", "3=1e-3"},
       0,
       [](ToneSettings &s) {
         s.leftStartHz[0] = 440.0;
         s.leftEndHz[15] = 20000.0;
         s.rightStartHz[1] = -5.5;
         s.rightEndHz[2] = 1e-3;
       }},
      {"later edits of a tone win", {"--freq", "1=100", "--freq", "1=200"}, 0,
       [](ToneSettings &s) { s.leftStartHz[0] = 200.0; }},
      {"amplitudes", {"--amplitude", "3=-127", "--amplitude", "4=0"}, 0,
       [](ToneSettings &s) {
         s.amplitudeDb[2] = -127;
         s.amplitudeDb[3] = 0;
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("out.wav");
    Parsed parsed = Parse(arguments);
    ASSERT_EQ(parsed.status, -1) << parsed.err;
    ToneSettings settings;
    settings.flags = c.flagsBefore;
    settings.amplitudeDb[3] = -9;  // so that setting 0 shows
    ToneSettings expected = settings;
    c.expect(expected);
    ApplyEdits(parsed.options, settings);
    EXPECT_EQ(Bytes(settings), Bytes(expected));
  }
}

TEST(RenderCommandLine, DefaultsAndOutputs) {
  Parsed parsed = Parse({"-"});
  ASSERT_TRUE(parsed.status == -1 || parsed.status == 2);  // 2 only when the test runs on a terminal
  if (parsed.status == -1) {
    EXPECT_EQ(parsed.options.outputPath, "-");
    EXPECT_EQ(parsed.options.stage, RenderStage::Output);
    EXPECT_FALSE(parsed.options.frames);
    EXPECT_FALSE(parsed.options.seed);
  }

  parsed = Parse({"--stage", "source", "--frames", "0", "--seed", "4294967295", "--levels", "-", "x.wav"});
  ASSERT_EQ(parsed.status, -1) << parsed.err;
  EXPECT_EQ(parsed.options.stage, RenderStage::Source);
  EXPECT_EQ(parsed.options.frames, 0);
  EXPECT_EQ(parsed.options.seed, 4294967295u);
  EXPECT_EQ(parsed.options.levelsPath, "-");

  // Saving alone needs no WAV.
  parsed = Parse({"--tones", "2", "--save", "s.tdf"});
  ASSERT_EQ(parsed.status, -1) << parsed.err;
  EXPECT_EQ(parsed.options.outputPath, "");
}

TEST(RenderCommandLine, NumbersMustBeWholeAndInRange) {
  struct Case {
    std::vector<std::string> arguments;
    const char *message;
  };
  const std::vector<Case> cases = {
      {{"--tones", "three"}, "--tones: 'three' is not a whole number from 1 to 16"},
      {{"--tones", "17"}, "--tones: '17' is not a whole number from 1 to 16"},
      {{"--duration", "0"}, "--duration: '0' is not a whole number from 1 to 48695217"},
      // Longer tones could not end: a clear error instead of a shorter tone.
      {{"--duration", "48695218"}, "--duration: '48695218' is not a whole number from 1 to 48695217"},
      {{"--frames", "-1"}, "--frames: '-1' is not a whole number from 0 to 9223372036854775807"},
      {{"--frames", "1e3"}, "--frames: '1e3' is not a whole number from 0 to 9223372036854775807"},
      {{"--seed", "4294967296"}, "--seed: '4294967296' is not a whole number from 0 to 4294967295"},
      {{"--seed", " 1"}, "--seed: ' 1' is not a whole number from 0 to 4294967295"},
      {{"--freq", "1=0x10"}, "--freq: '0x10' is not a frequency in Hz"},
      {{"--amplitude", "2="}, "--amplitude: '' is not a whole number of dB"},
      {{"--right-end-freq", "x=1"}, "--right-end-freq: the tone number in 'x=1' is not a whole number"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases.data()));
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("out.wav");
    Parsed parsed = Parse(arguments);
    EXPECT_EQ(parsed.status, 2);
    EXPECT_EQ(parsed.err, std::string("wendrel-render: ") + c.message + "\n");
  }
}

TEST(RenderCommandLine, HelpIsPrintedAndEndsTheRun) {
  Parsed parsed = Parse({"--help"});
  EXPECT_EQ(parsed.status, 0);
  EXPECT_NE(parsed.out.find("--right-end-freq"), std::string::npos);
  EXPECT_EQ(parsed.err, "");
}

// Under Wine a Unix path is the usual way to name a file, and on Windows its
// leading / reads as an option: the message must say so and give a path that
// works. /? is Windows' way to ask for help.
TEST(RenderCommandLine, LeadingSlashOnWindows) {
  struct Case {
    const char *name;
    std::vector<std::string> arguments;
    bool windowsStyle;
    int status;
    const char *out;  // a part of standard output, or "" for none
    const char *err;  // a part of the error line, or "" for none
  };
  const Case kCases[] = {
      {"help by /?", {"/?"}, true, 0, "--right-end-freq", ""},
      {"a Unix output path", {"/tmp/b.wav"}, true, 2, "",
       "'/tmp/b.wav' reads as an option: on Windows a leading / starts one. Write the path with backslashes "
       "(\\tmp\\b.wav) or with its drive (Z:\\tmp\\b.wav is /tmp/b.wav under Wine)"},
      {"a Unix path as an option's value", {"--settings", "/tmp/x.tdf", "b.wav"}, true, -1, "", ""},
      {"a real option by /", {"/frames:10", "b.wav"}, true, -1, "", ""},
      {"a backslashed path", {"\\tmp\\b.wav"}, true, -1, "", ""},
      {"a Unix path where / starts none", {"/tmp/b.wav"}, false, -1, "", ""},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    Parsed parsed = Parse(c.arguments, c.windowsStyle);
    EXPECT_EQ(parsed.status, c.status) << parsed.err;
    if (*c.out != '\0') {
      EXPECT_NE(parsed.out.find(c.out), std::string::npos) << parsed.out;
    }
    if (*c.err != '\0') {
      EXPECT_NE(parsed.err.find(c.err), std::string::npos) << parsed.err;
      EXPECT_EQ(parsed.err.find('\n'), parsed.err.size() - 1) << "one line";
    } else {
      EXPECT_EQ(parsed.err, "");
    }
  }
}

}  // namespace
