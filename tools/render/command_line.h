// wendrel-render's command line: the options, their checks, and the edits they
// make to a settings record through the same operations the Tone menu uses.
// Parsing never touches a file; main does the reading and writing.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_edits.h"
#include "settings/tone_settings.h"

// CLI11 is costly to compile; only the files that declare or parse options
// include it.
namespace CLI {
class App;
}

enum class RenderStage {
  Output,  // 16-bit: what the device would play
  Source,  // 32-bit: the source's own samples, before the limiter
};

// Which per-tone field an edit sets.
enum class ToneField { LeftStart, LeftEnd, RightStart, RightEnd, Amplitude };

struct ToneEdit {
  ToneField field;
  int tone;  // 0-based; the command line counts from 1
  double value;
};

struct RenderOptions {
  std::string settingsPath;  // empty: the defaults

  // Edits, applied in this order by ApplyEdits.
  std::optional<uint8_t> waveform;
  std::optional<int> tones;
  std::optional<ToneMode> mode;
  bool stereo = false;
  bool mono = false;
  bool variableAmplitude = false;
  bool fixedAmplitude = false;
  std::optional<int64_t> durationMs;
  std::vector<ToneEdit> toneEdits;  // in command-line order

  std::optional<int64_t> frames;
  std::optional<uint32_t> seed;
  RenderStage stage = RenderStage::Output;
  std::string levelsPath;  // empty: none; "-": standard output
  std::string savePath;    // empty: none
  std::string outputPath;  // "-": standard output; empty only with savePath
  bool listOutputs = false;  // list the sound outputs instead of rendering
  std::string device;        // --play's output as --list-outputs names it; empty: the default

  // Raw texts the checks turn into the fields above.
  std::string waveformText;
  std::string modeText;
  std::string stageText = "output";
  std::string tonesText;
  std::string durationText;
  std::string framesText;
  std::string seedText;
  std::vector<std::string> toneTexts[5];
};

// Declares every option on app, bound to options. A further mode (playing,
// say) adds its own options to the same app before parsing.
void AddRenderOptions(CLI::App &app, RenderOptions &options);

// Adds --play and the output it plays through (-D NAME, as aplay names its
// device) to the command line. A play writes no WAV, so it excludes the
// output and the options that only shape a file (--frames, --stage,
// --levels); once parsed, it fills in the output the file checks ask for.
void AddPlayOption(CLI::App &app, RenderOptions &options, bool &play);

// Parses argv into the options bound by AddRenderOptions and checks them.
// Returns -1 to go on, or the status to exit with: 0 after --help or
// --version (printed to out), 2 after one line on err for bad input.
int ParseRenderCommandLine(CLI::App &app, RenderOptions &options, int argc, const char *const *argv,
                           std::ostream &out, std::ostream &err);

// Changes the record as the menu commands and the parameter list would.
void ApplyEdits(const RenderOptions &options, ToneSettings &settings);

// The option's name for a tone field, for messages.
const char *ToneFieldOption(ToneField field);
