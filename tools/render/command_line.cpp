#include "tools/render/command_line.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <ostream>

#include <unistd.h>

#include <CLI/CLI.hpp>

#include "tools/render/slash_arguments.h"
#include "wendrel_version.h"

namespace {

struct Named {
  const char *name;
  int value;
};

constexpr Named kWaveforms[] = {
    {"sine", kWaveformSine},   {"square", kWaveformSquare},    {"triangular", kWaveformTriangular},
    {"saw", kWaveformSawTooth}, {"impulse", kWaveformImpulse}, {"white", kWaveformWhiteNoise},
    {"pink", kWaveformPinkNoise},
};

constexpr Named kModes[] = {
    {"continuous", int(ToneMode::Continuous)},
    {"duration", int(ToneMode::SpecifiedDuration)},
    {"linear", int(ToneMode::SweepLinear)},
    {"log", int(ToneMode::SweepLog)},
};

template <size_t N>
std::optional<int> Lookup(const Named (&table)[N], const std::string &text) {
  for (const Named &entry : table) {
    if (text == entry.name) return entry.value;
  }
  return std::nullopt;
}

template <size_t N>
std::string Choices(const Named (&table)[N]) {
  std::string out;
  for (const Named &entry : table) out += (out.empty() ? "" : ", ") + std::string(entry.name);
  return out;
}

constexpr ToneField kToneFields[] = {ToneField::LeftStart, ToneField::LeftEnd, ToneField::RightStart,
                                     ToneField::RightEnd, ToneField::Amplitude};

// "I=VALUE" with I from 1 to 16; a frequency is any finite number, an
// amplitude a whole number of dB from -127 to 0, the range typing allows.
bool ParseToneEdit(ToneField field, const std::string &text, ToneEdit &edit, std::string &error) {
  const char *option = ToneFieldOption(field);
  size_t equals = text.find('=');
  if (equals == std::string::npos) {
    error = std::string(option) + ": expected TONE=VALUE, got '" + text + "'";
    return false;
  }
  const char *first = text.data();
  const char *split = first + equals;
  const char *last = first + text.size();
  int tone = 0;
  auto [toneEnd, toneError] = std::from_chars(first, split, tone);
  if (toneError != std::errc() || toneEnd != split) {
    error = std::string(option) + ": the tone number in '" + text + "' is not a whole number";
    return false;
  }
  if (tone < 1 || tone > kMaxTones) {
    error = std::string(option) + ": tone " + std::to_string(tone) + " is out of range (1 to 16)";
    return false;
  }
  edit.field = field;
  edit.tone = tone - 1;
  if (field == ToneField::Amplitude) {
    int db = 0;
    auto [end, code] = std::from_chars(split + 1, last, db);
    if (code != std::errc() || end != last || split + 1 == last) {
      error = std::string(option) + ": '" + std::string(split + 1) + "' is not a whole number of dB";
      return false;
    }
    if (db < -127 || db > 0) {
      error = std::string(option) + ": " + std::to_string(db) + " dB is out of range (-127 to 0)";
      return false;
    }
    edit.value = db;
    return true;
  }
  double hz = 0;
  auto [end, code] = std::from_chars(split + 1, last, hz);
  if (code != std::errc() || end != last || split + 1 == last || !std::isfinite(hz)) {
    error = std::string(option) + ": '" + std::string(split + 1) + "' is not a frequency in Hz";
    return false;
  }
  edit.value = hz;
  return true;
}

// A whole number within [low, high], with a message that says so otherwise
// (CLI11's own would print the range of a double).
bool ParseWhole(const std::string &option, const std::string &text, int64_t low, int64_t high, int64_t &value,
                std::string &error) {
  const char *first = text.data();
  const char *last = first + text.size();
  auto [end, code] = std::from_chars(first, last, value);
  if (code == std::errc() && end == last && first != last && value >= low && value <= high) return true;
  error = option + ": '" + text + "' is not a whole number from " + std::to_string(low) + " to " +
          std::to_string(high);
  return false;
}

// Everything CLI11 does not check itself. Returns an empty string when the
// options are usable.
std::string Check(RenderOptions &options, const std::vector<std::pair<ToneField, std::string>> &ordered) {
  if (options.listOutputs) return {};
  if (!options.waveformText.empty()) {
    std::optional<int> waveform = Lookup(kWaveforms, options.waveformText);
    if (!waveform) return "--waveform: unknown waveform '" + options.waveformText + "' (" + Choices(kWaveforms) + ")";
    options.waveform = static_cast<uint8_t>(*waveform);
  }
  if (!options.modeText.empty()) {
    std::optional<int> mode = Lookup(kModes, options.modeText);
    if (!mode) return "--mode: unknown mode '" + options.modeText + "' (" + Choices(kModes) + ")";
    options.mode = static_cast<ToneMode>(*mode);
  }
  int64_t number = 0;
  std::string error;
  if (!options.tonesText.empty()) {
    if (!ParseWhole("--tones", options.tonesText, 1, kMaxTones, number, error)) return error;
    options.tones = static_cast<int>(number);
  }
  if (!options.durationText.empty()) {
    if (!ParseWhole("--duration", options.durationText, 1, kMaxDurationMs, number, error)) return error;
    options.durationMs = number;
  }
  if (!options.framesText.empty()) {
    if (!ParseWhole("--frames", options.framesText, 0, INT64_MAX, number, error)) return error;
    options.frames = number;
  }
  if (!options.seedText.empty()) {
    if (!ParseWhole("--seed", options.seedText, 0, UINT32_MAX, number, error)) return error;
    options.seed = static_cast<uint32_t>(number);
  }
  if (options.stageText == "output") options.stage = RenderStage::Output;
  else if (options.stageText == "source") options.stage = RenderStage::Source;
  else return "--stage: unknown stage '" + options.stageText + "' (output, source)";

  options.toneEdits.clear();
  for (const auto &[field, text] : ordered) {
    ToneEdit edit{};
    if (!ParseToneEdit(field, text, edit, error)) return error;
    options.toneEdits.push_back(edit);
  }

  if (options.outputPath.empty() && options.savePath.empty()) {
    return "no output given: name a WAV file, or - for standard output";
  }
  if (options.outputPath == "-" && options.levelsPath == "-") {
    return "--levels -: standard output already carries the WAV data";
  }
  if (options.outputPath == "-" && isatty(STDOUT_FILENO)) {
    return "standard output is a terminal: name a WAV file, or redirect standard output";
  }
  return {};
}

std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char &c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

#ifdef _WIN32
constexpr const char *kDeviceHelp =
    "The waveform output --play plays through, as --list-outputs prints it: mapper (the device chosen in the "
    "sound settings) or a device number; default: WENDREL_AUDIO, else device 0";
#else
constexpr const char *kDeviceHelp =
    "The sound output --play plays through, as --list-outputs prints it: alsa:NAME (an ALSA device), null or "
    "wav:PATH; default: WENDREL_AUDIO, else alsa:default";
#endif

// Stands in for the output name once --play is parsed; never opened.
constexpr const char *kPlayOutputName = "(sound output)";

}  // namespace

const char *ToneFieldOption(ToneField field) {
  switch (field) {
    case ToneField::LeftStart: return "--freq";
    case ToneField::LeftEnd: return "--end-freq";
    case ToneField::RightStart: return "--right-freq";
    case ToneField::RightEnd: return "--right-end-freq";
    case ToneField::Amplitude: return "--amplitude";
  }
  return "";
}

void AddRenderOptions(CLI::App &app, RenderOptions &options) {
  app.description(
      "Renders what Wendrel would play for a settings record to a WAV file, faster than real time and "
      "without a sound card.");
  app.add_option("--settings", options.settingsPath,
                 "Settings file to start from, read like Current.tdf (default: the built-in defaults)")
      ->type_name("FILE");
  app.add_option("--waveform", options.waveformText, "sine, square, triangular, saw, impulse, white or pink")
      ->type_name("NAME");
  app.add_option("--tones", options.tonesText, "Number of simultaneous tones, 1 to 16")->type_name("N");
  app.add_option("--mode", options.modeText, "Tone mode: continuous, duration, linear (sweep) or log (sweep)")
      ->type_name("MODE");
  CLI::Option *stereo = app.add_flag("--stereo", options.stereo, "Two channels, the right with its own frequencies");
  CLI::Option *mono = app.add_flag("--mono", options.mono, "One channel");
  stereo->excludes(mono);
  app.add_option("--duration", options.durationText,
                 "Duration in milliseconds (used in the duration and sweep modes)")
      ->type_name("MS");
  CLI::Option *variable = app.add_flag("--variable-amplitude", options.variableAmplitude,
                                       "Each tone plays at its own --amplitude");
  CLI::Option *fixed =
      app.add_flag("--no-variable-amplitude", options.fixedAmplitude, "Every tone plays at 0 dB");
  variable->excludes(fixed);
  const char *toneHelp[5] = {
      "Frequency in Hz of tone I (left or only channel; the start of a sweep)",
      "End frequency in Hz of tone I's sweep",
      "Right-channel frequency in Hz of tone I (the start of a sweep)",
      "Right-channel end frequency in Hz of tone I's sweep",
      "Relative amplitude of tone I in dB, -127 to 0",
  };
  for (ToneField field : kToneFields) {
    int i = static_cast<int>(field);
    app.add_option(ToneFieldOption(field), options.toneTexts[i], toneHelp[i])
        ->type_name(field == ToneField::Amplitude ? "I=DB" : "I=HZ")
        ->allow_extra_args(false);  // one value per use, so the output name is never taken for one
  }
  app.add_option("--frames", options.framesText,
                 "Frames to write (default: the duration, or 60 seconds when continuous)")
      ->type_name("N");
  app.add_option("--seed", options.seedText, "Seed for the noise generator instead of the time in seconds")
      ->type_name("N");
  app.add_option("--stage", options.stageText,
                 "output: 16-bit samples as played, after the peak limiter; source: 32-bit samples before it")
      ->type_name("STAGE");
  app.add_option("--levels", options.levelsPath,
                 "Write the level in dB of each channel for every 4410-frame block of the played signal as CSV")
      ->type_name("CSV");
  app.add_option("--save", options.savePath, "Write the resulting settings record to FILE")->type_name("FILE");
  CLI::Option *output = app.add_option("output", options.outputPath, "WAV file to write, or - for standard output")
                            ->type_name("OUTPUT.wav|-");
  app.add_flag("--list-outputs", options.listOutputs,
               "List the sound outputs of this machine, one a line, as --device names them, and exit")
      ->excludes(output);
  app.set_version_flag("--version", "wendrel-render " WENDREL_VERSION, "Print the version and exit");
}

void AddPlayOption(CLI::App &app, RenderOptions &options, bool &play) {
  CLI::Option *option =
      app.add_flag("--play", play,
                   "Play through the sound output instead of writing a file, until the duration ends or Ctrl+C");
  app.add_option("-D,--device", options.device, kDeviceHelp)->type_name("NAME")->needs(option);
  for (const char *fileOnly : {"output", "--frames", "--stage", "--levels"}) {
    option->excludes(fileOnly);
  }
  app.parse_complete_callback([&options, &play] {
    if (play) {
      options.outputPath = kPlayOutputName;
    }
  });
}

int ParseRenderCommandLine(CLI::App &app, RenderOptions &options, int argc, const char *const *argv,
                           std::ostream &out, std::ostream &err) {
  if (AsksForHelpBySlash(app, argc, argv)) {
    out << app.help();
    return 0;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success &e) {  // --help or --version
    return app.exit(e, out, err);
  } catch (const CLI::ParseError &e) {
    std::string slash = ExplainSlashArgument(app, argc, argv);
    err << app.get_name() << ": " << (slash.empty() ? OneLine(e.what()) : slash) << "\n";
    return 2;
  }
  // The per-tone edits apply in the order given, whatever their option.
  std::vector<std::pair<ToneField, std::string>> ordered;
  std::vector<size_t> next(5, 0);
  for (const CLI::Option *option : app.parse_order()) {
    for (ToneField field : kToneFields) {
      int i = static_cast<int>(field);
      if (option->get_name() == ToneFieldOption(field)) ordered.emplace_back(field, options.toneTexts[i][next[i]++]);
    }
  }
  std::string error = Check(options, ordered);
  if (!error.empty()) {
    err << app.get_name() << ": " << error << "\n";
    return 2;
  }
  return -1;
}

void ApplyEdits(const RenderOptions &options, ToneSettings &settings) {
  if (options.waveform) SetWaveform(settings, *options.waveform);
  if (options.tones) SetToneCount(settings, *options.tones);
  if (options.mode) SetToneMode(settings, *options.mode);
  if (options.stereo) SetStereo(settings, true);
  if (options.mono) SetStereo(settings, false);
  if (options.variableAmplitude != options.fixedAmplitude &&
      HasVariableAmplitude(settings) != options.variableAmplitude) {
    ToggleVariableAmplitude(settings);
  }
  if (options.durationMs) settings.durationMs = static_cast<uint32_t>(*options.durationMs);
  for (const ToneEdit &edit : options.toneEdits) {
    switch (edit.field) {
      case ToneField::LeftStart: settings.leftStartHz[edit.tone] = edit.value; break;
      case ToneField::LeftEnd: settings.leftEndHz[edit.tone] = edit.value; break;
      case ToneField::RightStart: settings.rightStartHz[edit.tone] = edit.value; break;
      case ToneField::RightEnd: settings.rightEndHz[edit.tone] = edit.value; break;
      case ToneField::Amplitude: settings.amplitudeDb[edit.tone] = static_cast<int8_t>(edit.value); break;
    }
  }
}
