// wendrel-render's command line, in-process: the input is split into words
// (at NUL, space or newline), parsed and checked as main does, and a command
// line that passes has its edits applied and a short render made. Nothing is
// read or written: --settings, --save, --levels and the output name are only
// parsed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "fuzz/fuzz_checks.h"
#include "synth/random.h"
#include "tools/render/command_line.h"
#include "tools/render/play.h"
#include "tools/render/render_pipeline.h"

namespace {

std::vector<std::string> SplitWords(const uint8_t *data, size_t size) {
  std::vector<std::string> words{"wendrel-render"};
  std::string word;
  for (size_t i = 0; i < size; ++i) {
    char c = static_cast<char>(data[i]);
    if (c == '\0' || c == ' ' || c == '\n') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  SetFixedRandomSeed(1);
  std::vector<std::string> words = SplitWords(data, size);
  std::vector<const char *> argv;
  for (const std::string &word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);

  CLI::App app{"", "wendrel-render"};
  RenderOptions options;
  bool play = false;
  AddRenderOptions(app, options);
  AddPlayOption(app, options, play);
  std::ostringstream out, err;
  int status = ParseRenderCommandLine(app, options, static_cast<int>(words.size()), argv.data(), out, err);

  FUZZ_CHECK(status == -1 || status == 0 || status == 2);
  if (status == 2) {
    // Bad input is told in one line.
    std::string message = err.str();
    FUZZ_CHECK(!message.empty() && message.back() == '\n');
    FUZZ_CHECK(std::count(message.begin(), message.end(), '\n') == 1);
  }
  if (status != -1) return 0;

  FUZZ_CHECK(err.str().empty());
  ToneSettings settings;
  ApplyEdits(options, settings);
  ExerciseRows(settings);
  RenderPipeline pipeline(settings);
  if (pipeline.IsPlayable()) {
    int32_t frames = std::min<int64_t>(options.frames.value_or(pipeline.DefaultFrames()), 3000);
    while (frames > 0) frames -= pipeline.RenderBlock(frames).frames;
  }
  return 0;
}
