#include "platform/linux/wave_out/wave_out_faults.h"

#include <condition_variable>
#include <mutex>

#include "platform/linux/wave_out/fault_state.h"

namespace {

struct FaultState {
  std::mutex mutex;
  std::condition_variable thawed;
  WaveOutFaults faults;
  WaveOutSinkObserver observer = nullptr;
  void *observerContext = nullptr;
};

FaultState &State() {
  static FaultState state;
  return state;
}

}  // namespace

void SetWaveOutFaults(const WaveOutFaults &faults) {
  std::lock_guard lock(State().mutex);
  State().faults = faults;
  State().thawed.notify_all();
}

void WaitWhileFrozen() {
  std::unique_lock lock(State().mutex);
  State().thawed.wait(lock, [] { return !State().faults.frozen; });
}

void SetWaveOutSinkObserver(WaveOutSinkObserver observer, void *context) {
  std::lock_guard lock(State().mutex);
  State().observer = observer;
  State().observerContext = context;
}

DeviceFaults FaultsForNewDevice() {
  std::lock_guard lock(State().mutex);
  DeviceFaults device;
  device.stallAfterBuffers = State().faults.stallAfterBuffers;
  device.instantPacing = State().faults.instantPacing;
  device.hangOpen = State().faults.hangOpen;
  device.hangAfterBuffers = State().faults.hangAfterBuffers;
  device.observer = State().observer;
  device.observerContext = State().observerContext;
  return device;
}

bool TakeOpenFault() {
  std::lock_guard lock(State().mutex);
  if (State().faults.openFailures <= 0) return false;
  --State().faults.openFailures;
  return true;
}

bool TakePrepareFault() {
  std::lock_guard lock(State().mutex);
  WaveOutFaults &faults = State().faults;
  if (faults.preparesBeforeFailure < 0) return false;
  if (faults.preparesBeforeFailure > 0) {
    --faults.preparesBeforeFailure;
    return false;
  }
  if (faults.prepareFailures <= 0) return false;
  --faults.prepareFailures;
  return true;
}
