#include "audio/sound_player.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

#include "audio/sample_convert.h"
#include "platform/output_list.h"
#include "synth/limiter_factory.h"

namespace {

constexpr WCHAR kNotifyWindowClass[] = L"LSoundPlayer_Window";
constexpr int32_t kMaxBlockFrames = 8192;
constexpr int32_t kMinBlockFrames = 20;

bool IsDone(const WAVEHDR &header) { return (header.dwFlags & WHDR_DONE) != 0; }

}  // namespace

SoundPlayer::SoundPlayer()
    : listener(nullptr),
      listenerContext(0),
      levelMetering(false),
      waveEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      notifyWindow(nullptr),
      // The output the program was started for: device 0, the machine's own,
      // unless a name chose another (the wave mapper widens back to -1).
      deviceId(static_cast<int8_t>(ChosenWaveOutDevice())),
      position(0),
      state(0),
      notifyFlags(0),
      endedByOutputFailure(false),
      levels{},
      conversionBlock(nullptr),
      device(nullptr),
      blockFrames(0),
      channels(0),
      ringIndex(0) {
  lock = new CRITICAL_SECTION;
  InitializeCriticalSection(lock);
  WNDCLASSW windowClass{};
  if (!GetClassInfoW(g_hInstance, kNotifyWindowClass, &windowClass)) {
    windowClass.style = 0;
    windowClass.lpfnWndProc = NotifyWindowProc;
    windowClass.hInstance = g_hInstance;
    windowClass.lpszClassName = kNotifyWindowClass;
    RegisterClassW(&windowClass);
  }
  notifyWindow = CreateWindowExW(0, kNotifyWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr, g_hInstance, nullptr);
  if (notifyWindow != nullptr) {
    SetWindowLongPtrW(notifyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

SoundPlayer::~SoundPlayer() {
  Stop();
  if (notifyWindow != nullptr) {
    DestroyWindow(notifyWindow);
  }
  if (waveEvent != nullptr) {
    CloseHandle(waveEvent);
  }
  DeleteCriticalSection(lock);
  delete lock;
}

LRESULT CALLBACK SoundPlayer::NotifyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_USER) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  auto *player = reinterpret_cast<SoundPlayer *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (player != nullptr) {
    player->DispatchNotifications();
  }
  return 0;
}

int32_t SoundPlayer::ToTenThousandths(int32_t frames) { return FramesToTenThousandths(frames, source->sampleRate); }

void SoundPlayer::ReleaseDevice(int32_t unprepareBudgetMs) {
  for (WaveBuffer &buffer : buffers) {
    buffer.Unprepare(device, unprepareBudgetMs);
  }
  delete[] conversionBlock;
  conversionBlock = nullptr;
  source.ResetToSilence();
  waveOutClose(device);
  device = nullptr;
}

bool SoundPlayer::Start(const SourceRef &newSource, uint16_t mode) {
  Stop();
  endedByOutputFailure = false;
  if (notifyWindow == nullptr) {
    return false;
  }
  if (newSource->IsInvalid()) {
    return false;
  }
  source.Assign(newSource);
  if (source->peakValue > kLimiterThreshold) {
    {
      LimiterFactory factory(kLimiterThreshold);
      SourceRef limited;
      factory.Make(limited, source);
      source.Assign(limited);
    }
    if (source->IsInvalid()) {
      source.ResetToSilence();
      return false;
    }
  }

  channels = source->channels;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = static_cast<DWORD>(source->sampleRate);
  format.nBlockAlign = static_cast<WORD>(channels * 2);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  format.wBitsPerSample = 16;
  format.cbSize = 0;
  // The device number is a signed byte widened with its sign, as WAVE_MAPPER is -1.
  const UINT deviceNumber = static_cast<UINT>(static_cast<int>(deviceId));
  const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(waveEvent);
  if (waveOutOpen(&device, deviceNumber, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR &&
      waveOutOpen(&device, deviceNumber, &format, callback, 0, CALLBACK_EVENT | WAVE_MAPPED) != MMSYSERR_NOERROR) {
    device = nullptr;
    source.ResetToSilence();
    return false;
  }

  blockFrames = std::clamp(source->sampleRate / 10, kMinBlockFrames, kMaxBlockFrames);
  const int32_t samplesPerBlock = channels * blockFrames;
  conversionBlock = new (std::nothrow) int32_t[samplesPerBlock];
  bool prepared = conversionBlock != nullptr;
  int32_t startPosition = 0;
  if (prepared) {
    for (WaveBuffer &buffer : buffers) {
      prepared = buffer.Prepare(device, samplesPerBlock * 2) && prepared;
    }
  }
  if (prepared) {
    state = static_cast<uint16_t>(kActive | kRaisePriority);
    if ((mode & (kModeStartPaused | kModePrebuffer)) != 0) {
      waveOutPause(device);
      state |= (mode & kModeStartPaused) != 0 ? kStartedPaused : kPrebuffering;
    }
    notifyFlags = 0;
    ringIndex = 0;
    position = source->GetPosition();
    startPosition = position;
    // The feeder raises its own priority through threadHandle, which is only
    // stored once CreateThread has returned: holding the lock here orders
    // that store before the feeder's first pass.
    EnterCriticalSection(lock);
    StartThread(THREAD_PRIORITY_LOWEST);
    LeaveCriticalSection(lock);
    // A thread that could not be created would leave a player that never
    // ends; undo the start instead.
    prepared = threadHandle != nullptr;
    if (!prepared) {
      state = 0;
    }
  }
  if (!prepared) {
    // Nothing was queued, so no buffer needs time to come back.
    ReleaseDevice(0);
    return false;
  }

  if (listener != nullptr) {
    if ((mode & kModeStartPaused) != 0) {
      listener->OnStartedPaused(listenerContext);
    } else {
      listener->OnStarted(listenerContext);
    }
    // The feeder may already have moved the field on: report where the play
    // started, as read before the feeder ran.
    listener->OnPosition(ToTenThousandths(startPosition), listenerContext);
  }
  return true;
}

void SoundPlayer::Stop() {
  if (state.load(std::memory_order_relaxed) == 0) {
    return;
  }
  StopThread(kStopTimeoutMs);
  // A feeder that had to be terminated may have died holding the lock, which
  // nothing can release any more: the next Start would wait for it forever.
  // That lock is left to the dead thread and the player takes a new one.
  if (TryEnterCriticalSection(lock)) {
    LeaveCriticalSection(lock);
  } else {
    // The dead thread was inside its pass: it still names the lock, the
    // source it was rendering and the conversion block it renders into, and
    // on Linux it runs on until its next wait. All three are left to it, kept
    // reachable for as long as the process lives, so that it never writes
    // into memory the player has freed or reused.
    struct Abandoned {
      std::vector<CRITICAL_SECTION *> locks;
      std::vector<SourceRef> sources;
      std::vector<int32_t *> blocks;
    };
    static Abandoned *abandoned = new Abandoned;
    abandoned->locks.push_back(lock);
    abandoned->sources.push_back(source);
    abandoned->blocks.push_back(conversionBlock);
    conversionBlock = nullptr;
    lock = new CRITICAL_SECTION;
    InitializeCriticalSection(lock);
  }
  waveOutReset(device);
  ReleaseDevice(kUnprepareBudgetMs);
  state = 0;
  notifyFlags = 0;
  position = 0;
  if (listener != nullptr) {
    listener->OnStopped(listenerContext);
  }
}

void SoundPlayer::ThreadMain() {
  uint16_t idleCount = 0;
  for (;;) {
    ResetEvent(waveEvent);
    EnterCriticalSection(lock);
    WaveBuffer &buffer = buffers[ringIndex];
    if (IsDone(buffer.header)) {
      idleCount = 0;
      if (buffer.header.dwUser != WaveBuffer::kNoPosition) {
        position = static_cast<int32_t>(buffer.header.dwUser);
        notifyFlags |= kPositionPending;
        if (levelMetering) {
          CopyLevels(levels, buffer.levels);
          notifyFlags |= kLevelsPending;
        }
        PostMessageW(notifyWindow, WM_USER, 0, 0);
      }
      const int32_t remaining = source->GetLength() - source->GetPosition();
      if (remaining > 0) {
        const int32_t frames = std::min(remaining, blockFrames);
        source->Render(conversionBlock, frames);
        ConvertTo16(reinterpret_cast<int16_t *>(buffer.data), conversionBlock, channels * frames);
        if (!buffer.Write(device, channels * frames * 2)) {
          // The device returned everything queued when its output failed;
          // nothing more will be heard, so the play ends now, not by a stall.
          notifyFlags |= kOutputFailed;
          PostMessageW(notifyWindow, WM_USER, 0, 0);
          LeaveCriticalSection(lock);
          return;
        }
        // Kept as a 32-bit value, so that only 0x80000000 itself means no position.
        buffer.header.dwUser = static_cast<DWORD>(source->GetPosition());
        if (levelMetering) {
          buffer.levels.count = channels;
          for (uint8_t channel = 0; channel < channels; ++channel) {
            buffer.levels.levels[channel] = LevelDb(channel, conversionBlock, frames, channels);
          }
        }
      } else {
        buffer.header.dwUser = WaveBuffer::kNoPosition;
        if (std::all_of(std::begin(buffers), std::end(buffers), [](const WaveBuffer &b) { return IsDone(b.header); })) {
          // Every buffer is back, but an output that failed returns them
          // unplayed: only the device can tell which it was.
          MMTIME played{TIME_SAMPLES, {}};
          const bool heard = waveOutGetPosition(device, &played, sizeof(played)) == MMSYSERR_NOERROR;
          notifyFlags |= heard ? kEndReached : kOutputFailed;
          PostMessageW(notifyWindow, WM_USER, 0, 0);
          LeaveCriticalSection(lock);
          return;
        }
      }
      ringIndex = static_cast<uint8_t>((ringIndex + 1) % kBufferCount);
      if (ringIndex == kPrebufferBuffers && (state.load(std::memory_order_relaxed) & kPrebuffering) != 0) {
        waveOutRestart(device);
        state.fetch_and(static_cast<uint16_t>(~kPrebuffering), std::memory_order_relaxed);
      }
      LeaveCriticalSection(lock);
    } else {
      if ((state.load(std::memory_order_relaxed) & kRaisePriority) != 0) {
        SetThreadPriority(threadHandle, THREAD_PRIORITY_HIGHEST);
        state.fetch_and(static_cast<uint16_t>(~kRaisePriority), std::memory_order_relaxed);
      }
      ++idleCount;
      if (idleCount > kStallPasses) {
        notifyFlags |= kEndReached;
        PostMessageW(notifyWindow, WM_USER, 0, 0);
      }
      LeaveCriticalSection(lock);
      WaitForStopOr(waveEvent, kIdleWaitMs);
    }
    if (StopRequested()) {
      waveOutReset(device);
      return;
    }
  }
}

void SoundPlayer::DispatchNotifications() {
  ChannelLevels pendingLevels;
  EnterCriticalSection(lock);
  const uint16_t pending = notifyFlags;
  notifyFlags = 0;
  const int32_t pendingPosition = position;
  CopyLevels(pendingLevels, levels);
  const int32_t length = (pending & kEndReached) != 0 ? source->GetLength() : 0;
  LeaveCriticalSection(lock);

  if ((pending & kOutputFailed) != 0) {
    endedByOutputFailure = true;
    Stop();
    return;
  }
  if ((pending & kEndReached) != 0) {
    if (listener != nullptr) {
      listener->OnPosition(ToTenThousandths(length), listenerContext);
    }
    Stop();
    return;
  }
  if ((pending & kPositionPending) != 0 && listener != nullptr) {
    listener->OnPosition(ToTenThousandths(pendingPosition), listenerContext);
  }
  if ((pending & kLevelsPending) != 0 && levelMetering && listener != nullptr) {
    listener->OnLevels(pendingLevels, listenerContext);
  }
}
