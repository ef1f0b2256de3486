#include "platform/wave_out/wave_device.h"

#include <cassert>
#include <cstring>
#include <new>
#include <system_error>

#include "platform/threads/event.h"

WaveDevice::WaveDevice(const SinkFormat &format, HANDLE event, std::unique_ptr<AudioSink> sink,
                       const DeviceFaults &faults)
    : format(format), event(event), sink(std::move(sink)), faults(faults) {
  stalled = faults.stallAfterBuffers == 0;
}

WaveDevice::~WaveDevice() {
  assert(!playback.joinable());
}

bool WaveDevice::Start() {
  try {
    playback = std::thread(&WaveDevice::PlaybackLoop, this);
  } catch (const std::system_error &) {
    return false;
  }
  SignalOwner();  // the open notification
  return true;
}

MMRESULT WaveDevice::Prepare(WAVEHDR *header) {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (header->dwFlags & WHDR_PREPARED) return MMSYSERR_NOERROR;
  if (TakePrepareFault()) return MMSYSERR_NOMEM;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::Unprepare(WAVEHDR *header) {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::Write(WAVEHDR *header) {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  DWORD flags = header->dwFlags;
  if (!(flags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  if (failed) return MMSYSERR_ERROR;
  header->dwFlags = (flags & ~WHDR_DONE) | WHDR_INQUEUE;
  header->lpNext = nullptr;
  if (tail != nullptr) {
    tail->lpNext = header;
  } else {
    head = header;
  }
  tail = header;
  changed.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::Pause() {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (!paused) {
    paused = true;
    pausedAt = Clock::now();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::Restart() {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (paused) {
    paused = false;
    // The buffer in the sink resumes where it stopped: its end moves by the pause.
    clockStart += Clock::now() - pausedAt;
    changed.notify_all();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::Reset() {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  bool returned = head != nullptr;
  while (head != nullptr) {
    WAVEHDR *header = head;
    head = header->lpNext;
    header->lpNext = nullptr;
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  }
  tail = nullptr;
  ++generation;
  clockRunning = false;
  if (returned) {
    // Sound already in a card is only dropped when the reset cut a play short:
    // after the last buffer has come back, its sound is still to be heard.
    discardPending.store(true, std::memory_order_release);
    SignalOwner();
  }
  changed.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::BeginClose() {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (head != nullptr) return WAVERR_STILLPLAYING;
  closing = true;
  changed.notify_all();
  return MMSYSERR_NOERROR;
}

bool WaveDevice::FinishClose() {
  assert(closing);
  playback.join();
  bool finished = sink->Finish();
  SignalOwner();  // the close notification
  return finished;
}

WaveDevice::Clock::time_point WaveDevice::DueTime() const {
  // Whole seconds and the remainder apart, so no product overflows in a long play.
  uint64_t rate = static_cast<uint64_t>(format.sampleRate);
  uint64_t nanoseconds =
      clockFrames / rate * 1000000000ull + clockFrames % rate * 1000000000ull / rate;
  return clockStart + std::chrono::nanoseconds(nanoseconds);
}

void WaveDevice::SignalOwner() {
  if (event != nullptr) SetEvent(event);
}

void WaveDevice::Complete(WAVEHDR *header) {
  assert(header == head);
  head = header->lpNext;
  if (head == nullptr) tail = nullptr;
  header->lpNext = nullptr;
  header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  if (head == nullptr) clockRunning = false;
  ++completed;
  if (faults.stallAfterBuffers >= 0 && completed >= faults.stallAfterBuffers) stalled = true;
  SignalOwner();
}

void WaveDevice::PlaybackLoop() {
  const uint32_t blockAlign = static_cast<uint32_t>(format.channels) * 2;
  const bool paced = sink->PacedByClock() && !faults.instantPacing;
  std::unique_lock lock(mutex);
  for (;;) {
    changed.wait(lock, [this] {
      return closing || discardPending.load(std::memory_order_acquire) ||
             (head != nullptr && !paused && !stalled && !failed);
    });
    if (discardPending.load(std::memory_order_acquire)) {
      discardPending.store(false, std::memory_order_release);
      lock.unlock();
      sink->Discard();
      lock.lock();
      continue;
    }
    if (closing) return;

    // Copied under the lock: once a reset has returned the buffer its owner may
    // free it, while the sink may still be busy with the copy.
    WAVEHDR *header = head;
    const uint64_t taken = generation;
    const uint32_t frames = header->dwBufferLength / blockAlign;
    const size_t samples = size_t(frames) * size_t(format.channels);
    if (staging.size() < samples) {
      try {
        staging.resize(samples);
      } catch (const std::bad_alloc &) {
        failed = true;
        continue;
      }
    }
    if (samples > 0) std::memcpy(staging.data(), header->lpData, samples * 2);
    if (!clockRunning) {
      // Starting, or the owner let the queue run dry: time starts again now.
      // Otherwise this buffer starts exactly where the last one ended, however
      // late this thread woke up.
      clockRunning = true;
      clockStart = Clock::now();
      clockFrames = 0;
    }
    clockFrames += frames;

    lock.unlock();
    bool written = true;
    if (frames > 0) {
      if (faults.observer != nullptr) {
        faults.observer(staging.data(), static_cast<DWORD>(samples * 2), faults.observerContext);
      }
      written = sink->Write(staging.data(), frames, discardPending);
    }
    lock.lock();
    if (!written) {
      // Nothing completes any more; the owner's reset still returns the queue.
      failed = true;
      continue;
    }
    for (;;) {
      if (generation != taken) break;
      if (paused) {
        changed.wait(lock);
        continue;
      }
      if (!paced) break;
      const Clock::time_point due = DueTime();
      if (Clock::now() >= due) break;
      changed.wait_until(lock, due);
    }
    if (generation != taken) continue;  // a reset has returned it already
    Complete(header);
  }
}
