#include "tools/render/play.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "audio/player_listener.h"
#include "audio/sample_convert.h"
#include "audio/sound_player.h"
#include "platform/platform.h"
#include "platform/output_failure.h"
#include "platform/output_list.h"
#include "settings/settings_file.h"
#include "synth/random.h"
#include "synth/source_factory.h"
#include "tools/render/render_job.h"
#include "tools/render/stop_requests.h"

namespace {

constexpr WCHAR kControlWindowClass[] = L"LRenderPlay_Window";

// Prints what the player reports and notices the end of the play.
class ProgressLine : public PlayerListener {
 public:
  ProgressLine(int32_t lengthTenThousandths, bool continuous)
      : lengthTenThousandths(lengthTenThousandths), continuous(continuous) {}

  void OnStarted(int32_t) override { startTicks = GetTickCount(); }
  void OnStopped(int32_t) override {
    stopped = true;
    std::fputc('\n', stderr);
  }
  void OnPosition(int32_t position, int32_t) override {
    if (stopped) {
      return;
    }
    if (continuous) {
      const DWORD elapsedMs = GetTickCount() - startTicks;
      std::fprintf(stderr, "\rplaying %lu.%01lu s (continuous; Ctrl+C stops)", static_cast<unsigned long>(elapsedMs / 1000),
                   static_cast<unsigned long>(elapsedMs % 1000 / 100));
    } else {
      std::fprintf(stderr, "\rplaying %d.%04d s of %d.%04d s", position / 10000, position % 10000,
                   lengthTenThousandths / 10000, lengthTenThousandths % 10000);
    }
    std::fflush(stderr);
  }

  bool stopped = false;

 private:
  int32_t lengthTenThousandths;
  bool continuous;
  DWORD startTicks = 0;
};

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    auto *player = reinterpret_cast<SoundPlayer *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (player != nullptr) {
      player->Stop();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int RunPlayJob(const RenderOptions &options, std::ostream &err) {
  ToneSettings settings;
  if (!ReadRenderSettings(options, settings, err)) return 2;
  if (!options.savePath.empty()) {
    std::wstring saveName = CommandLinePathToWide(options.savePath);
    if (saveName.empty() || !WriteFileBytes(saveName.c_str(), &settings, kToneSettingsSize)) {
      return FailRender(err, 2, "cannot write settings file " + options.savePath);
    }
  }
  SetFixedRandomSeed(options.seed);
  SourceRef source = CreateSourceFromSettings(settings);
  if (source->IsInvalid()) {
    return FailRender(err, 2, "these settings give nothing the player could play");
  }
  const bool continuous = (settings.flags & kFlagDuration) == 0 || settings.durationMs == 0;
  return PlaySource(source, continuous);
}

int PlaySource(const SourceRef &source, bool continuous) {
  WNDCLASSW windowClass{};
  if (!GetClassInfoW(g_hInstance, kControlWindowClass, &windowClass)) {
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.hInstance = g_hInstance;
    windowClass.lpszClassName = kControlWindowClass;
    RegisterClassW(&windowClass);
  }
  HWND control = CreateWindowExW(0, kControlWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr, g_hInstance, nullptr);
  if (control == nullptr) {
    std::fprintf(stderr, "wendrel-render: cannot create the play control window\n");
    return 1;
  }

  const int32_t length = FramesToTenThousandths(source->GetLength() - source->GetPosition(), source->sampleRate);
  ProgressLine progress(length, continuous);
  int status = 0;
  {
    StopRequests stopRequests(control);
    SoundPlayer player;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&player));
    player.listener = &progress;
    const std::string chosen = ChosenAudioOutput();
    const char *output = chosen.c_str();
    if (player.Start(source, 0)) {
      MSG msg;
      while (!progress.stopped && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
      }
      if (player.EndedByOutputFailure()) {
        std::fprintf(stderr, "wendrel-render: playback on %s failed: the output stopped working\n", output);
        status = 1;
      }
    } else {
      const std::string failure = OutputOpenFailure();
      if (!failure.empty()) {
        std::fprintf(stderr, "wendrel-render: %s\n", failure.c_str());
      } else {
        std::fprintf(stderr, "wendrel-render: unable to start playback on %s\n", output);
      }
      status = 1;
    }
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    player.listener = nullptr;
  }
  DestroyWindow(control);
  return status;
}
