#include "platform/linux/wave_out/play_status.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct OpenDevice {
  HWAVEOUT handle;
  bool paused;
};

struct Registry {
  std::mutex mutex;
  std::vector<OpenDevice> devices;  // oldest first
};

Registry &Devices() {
  // Never destroyed, like the device table: a device may close during exit.
  static Registry *registry = new Registry;
  return *registry;
}

}  // namespace

void NoteDeviceOpened(HWAVEOUT device) {
  std::lock_guard lock(Devices().mutex);
  Devices().devices.push_back({device, false});
}

void NoteDevicePaused(HWAVEOUT device, bool paused) {
  std::lock_guard lock(Devices().mutex);
  for (OpenDevice &open : Devices().devices) {
    if (open.handle == device) open.paused = paused;
  }
}

void NoteDeviceClosed(HWAVEOUT device) {
  std::lock_guard lock(Devices().mutex);
  std::erase_if(Devices().devices, [device](const OpenDevice &open) { return open.handle == device; });
}

PlayStatus CurrentPlayStatus() {
  std::vector<OpenDevice> devices;
  {
    std::lock_guard lock(Devices().mutex);
    devices = Devices().devices;
  }
  // Asked outside the registry's lock: a device's own lock comes first.
  for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
    if (it->paused) continue;
    MMTIME time{};
    time.wType = TIME_MS;
    // A device whose output failed answers with an error: it no longer plays.
    if (waveOutGetPosition(it->handle, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_MS) continue;
    return PlayStatus{true, time.u.ms};
  }
  return PlayStatus{};
}
