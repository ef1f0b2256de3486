#include "platform/linux/wave_out/wave_out.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/linux/threads/event_object.h"
#include "platform/linux/wave_out/fault_state.h"
#include "platform/linux/wave_out/play_status.h"
#include "platform/output_failure.h"
#include "platform/linux/wave_out/sink_factory.h"
#include "platform/linux/wave_out/wave_device.h"

namespace {

constexpr DWORD kMaxSampleRate = 384000;
// A sound server answers an open within milliseconds; one that has not in
// this time is taken for frozen.
constexpr int kOpenTimeoutMs = 1500;
// How long a close waits for an output that may block to release its sink.
constexpr int kCloseWaitMs = 500;
constexpr DWORD kKnownOpenFlags =
    CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY | WAVE_ALLOWSYNC | WAVE_MAPPED | WAVE_FORMAT_DIRECT;

// The open devices by handle. A call holds its own reference, so a device that
// another thread closes meanwhile is not freed under it.
struct DeviceTable {
  std::mutex mutex;
  std::unordered_map<HWAVEOUT, std::shared_ptr<WaveDevice>> devices;
};

DeviceTable &Devices() {
  // Never destroyed: a device left open at exit keeps its playback thread, which
  // must not be torn down under it by static destruction.
  static DeviceTable *table = new DeviceTable;
  return *table;
}

std::shared_ptr<WaveDevice> FindDevice(HWAVEOUT handle) {
  std::lock_guard lock(Devices().mutex);
  auto found = Devices().devices.find(handle);
  return found != Devices().devices.end() ? found->second : nullptr;
}

bool IsPlayableFormat(const WAVEFORMATEX &format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
         (format.nChannels == 1 || format.nChannels == 2) && format.nSamplesPerSec >= 1 &&
         format.nSamplesPerSec <= kMaxSampleRate && format.nBlockAlign == format.nChannels * 2 &&
         format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

template <typename Operation>
MMRESULT WithHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh, Operation operation) {
  std::shared_ptr<WaveDevice> device = FindDevice(hwo);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (pwh == nullptr || cbwh != sizeof(WAVEHDR) || pwh->lpData == nullptr)
    return MMSYSERR_INVALPARAM;
  return operation(*device, pwh);
}

template <typename Operation>
MMRESULT WithDevice(HWAVEOUT hwo, Operation operation) {
  std::shared_ptr<WaveDevice> device = FindDevice(hwo);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  return operation(*device);
}

}  // namespace

UINT waveOutGetNumDevs() {
  return 1;
}

MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR, DWORD fdwOpen) {
  const bool query = (fdwOpen & WAVE_FORMAT_QUERY) != 0;
  if (phwo != nullptr) *phwo = nullptr;
  if ((phwo == nullptr && !query) || pwfx == nullptr) return MMSYSERR_INVALPARAM;
  if ((fdwOpen & ~kKnownOpenFlags) != 0) return MMSYSERR_INVALFLAG;
  const DWORD callback = fdwOpen & CALLBACK_TYPEMASK;
  if (callback == CALLBACK_WINDOW || callback == CALLBACK_THREAD || callback == CALLBACK_FUNCTION) {
    return MMSYSERR_NOTSUPPORTED;
  }
  if (callback != CALLBACK_NULL && callback != CALLBACK_EVENT) return MMSYSERR_INVALFLAG;
  if (uDeviceID != 0 && uDeviceID != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  if (!IsPlayableFormat(*pwfx)) return WAVERR_BADFORMAT;
  HANDLE event = nullptr;
  if (callback == CALLBACK_EVENT) {
    event = reinterpret_cast<HANDLE>(dwCallback);
    if (!IsEventHandle(event)) return MMSYSERR_INVALPARAM;
  }
  if (query) return MMSYSERR_NOERROR;
  if (TakeOpenFault()) return MMSYSERR_ALLOCATED;

  const SinkFormat format{pwfx->nChannels, static_cast<int>(pwfx->nSamplesPerSec)};
  auto device = std::make_shared<WaveDevice>(format, event, FaultsForNewDevice());
  const MMRESULT opened = device->Open(AudioSinkChoice(), kOpenTimeoutMs);
  NoteOutputOpen(AudioSinkChoice(), opened);
  if (opened != MMSYSERR_NOERROR) return opened;
  HWAVEOUT handle = reinterpret_cast<HWAVEOUT>(device.get());
  {
    std::lock_guard lock(Devices().mutex);
    Devices().devices.emplace(handle, std::move(device));
  }
  *phwo = handle;
  NoteDeviceOpened(handle);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
  std::shared_ptr<WaveDevice> device = FindDevice(hwo);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  MMRESULT result = device->BeginClose();
  if (result != MMSYSERR_NOERROR) return result;
  {
    std::lock_guard lock(Devices().mutex);
    Devices().devices.erase(hwo);
  }
  NoteDeviceClosed(hwo);
  return device->FinishClose(kCloseWaitMs) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  return WithHeader(hwo, pwh, cbwh,
                    [](WaveDevice &device, WAVEHDR *header) { return device.Prepare(header); });
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  return WithHeader(hwo, pwh, cbwh,
                    [](WaveDevice &device, WAVEHDR *header) { return device.Unprepare(header); });
}

MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  return WithHeader(hwo, pwh, cbwh,
                    [](WaveDevice &device, WAVEHDR *header) { return device.Write(header); });
}

MMRESULT waveOutPause(HWAVEOUT hwo) {
  const MMRESULT result = WithDevice(hwo, [](WaveDevice &device) { return device.Pause(); });
  if (result == MMSYSERR_NOERROR) NoteDevicePaused(hwo, true);
  return result;
}

MMRESULT waveOutRestart(HWAVEOUT hwo) {
  const MMRESULT result = WithDevice(hwo, [](WaveDevice &device) { return device.Restart(); });
  if (result == MMSYSERR_NOERROR) NoteDevicePaused(hwo, false);
  return result;
}

MMRESULT waveOutReset(HWAVEOUT hwo) {
  return WithDevice(hwo, [](WaveDevice &device) { return device.Reset(); });
}

MMRESULT waveOutGetPosition(HWAVEOUT hwo, LPMMTIME pmmt, UINT cbmmt) {
  return WithDevice(hwo, [pmmt, cbmmt](WaveDevice &device) {
    if (pmmt == nullptr || cbmmt != sizeof(MMTIME)) return static_cast<MMRESULT>(MMSYSERR_INVALPARAM);
    return device.GetPosition(pmmt);
  });
}
