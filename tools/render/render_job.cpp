#include "tools/render/render_job.h"

#include <cstdlib>
#include <cwchar>
#include <ostream>
#include <string>

#include "audio/level_meter.h"
#include "settings/settings_file.h"
#include "synth/random.h"
#include "tools/render/output_file.h"
#include "tools/render/render_pipeline.h"
#include "tools/render/wav_format.h"

namespace {

std::string LevelsHeader(uint8_t channels) { return channels == 2 ? "block,left,right\n" : "block,level\n"; }

}  // namespace

std::wstring CommandLinePathToWide(const std::string &path) {
#ifdef _WIN32
  constexpr const char *kFolderMarks = "\\/:";
#else
  constexpr const char *kFolderMarks = "/";
#endif
  std::string explicitPath = path.find_first_of(kFolderMarks) == std::string::npos ? "./" + path : path;
  std::mbstate_t state{};
  const char *source = explicitPath.c_str();
  size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
  if (length == static_cast<size_t>(-1)) return {};
  std::wstring wide(length, L'\0');
  source = explicitPath.c_str();
  state = std::mbstate_t{};
  std::mbsrtowcs(wide.data(), &source, length, &state);
  return wide;
}

int FailRender(std::ostream &err, int status, const std::string &message) {
  err << "wendrel-render: " << message << "\n";
  return status;
}

bool ReadRenderSettings(const RenderOptions &options, ToneSettings &settings, std::ostream &err) {
  if (!options.settingsPath.empty()) {
    std::wstring name = CommandLinePathToWide(options.settingsPath);
    if (name.empty() || !ReadFileBytesCounted(name.c_str(), &settings, kToneSettingsSize).opened) {
      FailRender(err, 2, "cannot read settings file " + options.settingsPath);
      return false;
    }
  }
  ApplyEdits(options, settings);
  return true;
}

int RunRenderJob(const RenderOptions &options, std::ostream &err) {
  ToneSettings settings;
  if (!ReadRenderSettings(options, settings, err)) return 2;

  std::wstring saveName;
  if (!options.savePath.empty()) {
    saveName = CommandLinePathToWide(options.savePath);
    if (saveName.empty()) return FailRender(err, 2, "cannot use the file name " + options.savePath);
  }

  OutputFile wav;
  OutputFile levels;
  if (!options.outputPath.empty()) {
    SetFixedRandomSeed(options.seed);
    RenderPipeline pipeline(settings);
    if (!pipeline.IsPlayable()) return FailRender(err, 2, "these settings give nothing the player could play");

    int64_t frames = options.frames ? *options.frames : pipeline.DefaultFrames();
    bool source = options.stage == RenderStage::Source;
    uint16_t bits = source ? 32 : 16;
    uint64_t frameBytes = uint64_t{pipeline.Channels()} * (bits / 8);
    if (static_cast<uint64_t>(frames) * frameBytes > kWavMaxDataBytes) {
      return FailRender(err, 2, "--frames: " + std::to_string(frames) + " frames do not fit in a WAV file (at most " +
                              std::to_string(kWavMaxDataBytes / frameBytes) + ")");
    }
    if (!wav.Open(options.outputPath)) return FailRender(err, 2, wav.Error());
    if (!options.levelsPath.empty() && !levels.Open(options.levelsPath)) return FailRender(err, 2, levels.Error());

    auto header = WavHeader(pipeline.Channels(), static_cast<uint32_t>(pipeline.SampleRate()), bits,
                            static_cast<uint32_t>(static_cast<uint64_t>(frames) * frameBytes));
    if (!wav.Write(header.data(), header.size())) return FailRender(err, 1, wav.Error());
    if (levels.IsOpen() && !levels.Write(LevelsHeader(pipeline.Channels()).data(),
                                         LevelsHeader(pipeline.Channels()).size())) {
      return FailRender(err, 1, levels.Error());
    }

    std::string row;
    for (int64_t done = 0, index = 0; done < frames; ++index) {
      int32_t ask = static_cast<int32_t>(std::min<int64_t>(frames - done, pipeline.BlockFrames()));
      RenderedBlock block = pipeline.RenderBlock(ask);
      size_t samples = static_cast<size_t>(block.frames) * block.channels;
      bool wrote = source ? wav.Write(block.source, samples * sizeof(int32_t))
                          : wav.Write(block.output, samples * sizeof(int16_t));
      if (!wrote) return FailRender(err, 1, wav.Error());
      if (levels.IsOpen()) {
        row = std::to_string(index);
        for (uint8_t channel = 0; channel < block.channels; ++channel) {
          row += "," + std::to_string(LevelDb(channel, block.played, block.frames, block.channels));
        }
        row += "\n";
        if (!levels.Write(row.data(), row.size())) return FailRender(err, 1, levels.Error());
      }
      done += block.frames;
    }
  }

  // The record is saved before the WAV appears, so that a failed save leaves
  // nothing behind; a failed commit after it is as good as a full disk.
  if (!saveName.empty() && !WriteFileBytes(saveName.c_str(), &settings, kToneSettingsSize)) {
    return FailRender(err, 1, "cannot write settings file " + options.savePath);
  }
  if (wav.IsOpen() && !wav.Commit()) return FailRender(err, 1, wav.Error());
  if (levels.IsOpen() && !levels.Commit()) return FailRender(err, 1, levels.Error());
  return 0;
}
