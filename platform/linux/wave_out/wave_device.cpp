#include "platform/linux/wave_out/wave_device.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "platform/linux/threads/event.h"
#include "platform/linux/wave_out/kept_output.h"
#include "platform/linux/wave_out/sink_factory.h"

namespace {

// Longest a finished play waits for the card to play out its last buffer.
constexpr auto kMaxPlayOut = std::chrono::milliseconds(2000);

}  // namespace

WaveDevice::WaveDevice(const SinkFormat &format, HANDLE event, const DeviceFaults &faults)
    : format(format), event(event), faults(faults) {
  stalled = faults.stallAfterBuffers == 0;
}

MMRESULT WaveDevice::Open(const std::string &choice, int openTimeoutMs) {
  try {
    std::thread([device = shared_from_this(), choice] { device->Run(choice); }).detach();
  } catch (const std::system_error &) {
    return MMSYSERR_NOMEM;
  }
  std::unique_lock lock(mutex);
  // A sound server that does not answer holds the open for good.
  if (!changed.wait_for(lock, std::chrono::milliseconds(openTimeoutMs),
                        [this] { return phase != Phase::Opening; })) {
    closing = true;
    ownerGaveUp = true;
    return MMSYSERR_NOTENABLED;
  }
  if (phase == Phase::Ended) return openResult;
  SignalOwner();  // the open notification
  return MMSYSERR_NOERROR;
}

void WaveDevice::Run(const std::string &choice) {
  if (faults.hangOpen) WaitWhileFrozen();
  MMRESULT error = MMSYSERR_NOERROR;
  std::unique_ptr<AudioSink> opened = TakeKeptOutput(choice, format);
  if (opened == nullptr) opened = OpenAudioSink(choice.c_str(), format, &error);
  std::unique_lock lock(mutex);
  if (opened == nullptr) {
    openResult = error;
    phase = Phase::Ended;
    changed.notify_all();
    return;
  }
  sink = std::move(opened);
  sinkNeverBlocks = sink->PacedByClock() && faults.hangAfterBuffers < 0;
  phase = Phase::Open;
  changed.notify_all();
  PlaybackLoop(lock);
  // Kept only when the close went in good order: a sink that failed, or kept
  // its owner waiting past the close's time-out (a frozen server), is no
  // stream to hand to the next play.
  const bool keep = sink->Keepable() && !failed && !ownerGaveUp;
  lock.unlock();
  bool finished = true;
  if (keep) {
    KeepOutput(choice, format, std::move(sink));
  } else {
    finished = sink->Finish();
  }
  lock.lock();
  finishedWell = finished;
  phase = Phase::Ended;
  changed.notify_all();
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
  framesCompleted = 0;
  if (ReturnQueue()) {
    // Sound already in a card is only dropped when the reset cut a play short:
    // after the last buffer has come back, its sound has been heard.
    discardPending.store(true, std::memory_order_release);
    SignalOwner();
  }
  changed.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::GetPosition(MMTIME *time) {
  std::lock_guard lock(mutex);
  if (closing) return MMSYSERR_INVALHANDLE;
  if (failed) return MMSYSERR_NODRIVER;
  const uint64_t rate = static_cast<uint64_t>(format.sampleRate);
  switch (time->wType) {
    case TIME_SAMPLES:
      time->u.sample = static_cast<DWORD>(framesCompleted);
      break;
    case TIME_MS:
      time->u.ms =
          static_cast<DWORD>(framesCompleted / rate * 1000 + framesCompleted % rate * 1000 / rate);
      break;
    default:
      // As on Win32, a format the device does not keep is answered in bytes.
      time->wType = TIME_BYTES;
      time->u.cb = static_cast<DWORD>(framesCompleted * static_cast<uint64_t>(format.channels) * 2);
      break;
  }
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

bool WaveDevice::FinishClose(int blockingWaitMs) {
  std::unique_lock lock(mutex);
  assert(closing);
  const auto ended = [this] { return phase == Phase::Ended; };
  if (sinkNeverBlocks) {
    changed.wait(lock, ended);
  } else if (!changed.wait_for(lock, std::chrono::milliseconds(blockingWaitMs), ended)) {
    ownerGaveUp = true;
  }
  const bool finished = phase == Phase::Ended && finishedWell;
  SignalOwner();  // the close notification, the last the owner gets
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

bool WaveDevice::ReturnQueue() {
  const bool returned = head != nullptr;
  while (head != nullptr) {
    WAVEHDR *header = head;
    head = header->lpNext;
    header->lpNext = nullptr;
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  }
  tail = nullptr;
  ++generation;
  clockRunning = false;
  return returned;
}

void WaveDevice::Fail() {
  // A sink that failed for good plays nothing more: the queued buffers come
  // back at once, so that the owner hears of it now rather than by a stall,
  // and every later write and position query says so.
  failed = true;
  if (ReturnQueue()) SignalOwner();
}

void WaveDevice::Complete(WAVEHDR *header) {
  assert(header == head);
  head = header->lpNext;
  if (head == nullptr) tail = nullptr;
  header->lpNext = nullptr;
  header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  if (head == nullptr) clockRunning = false;
  ++completed;
  framesCompleted += header->dwBufferLength / (static_cast<uint32_t>(format.channels) * 2);
  if (faults.stallAfterBuffers >= 0 && completed >= faults.stallAfterBuffers) stalled = true;
  SignalOwner();
}

void WaveDevice::PlaybackLoop(std::unique_lock<std::mutex> &lock) {
  const uint32_t blockAlign = static_cast<uint32_t>(format.channels) * 2;
  const bool paced = sink->PacedByClock() && !faults.instantPacing;
  int handed = 0;  // buffers handed to the sink, for the hang fault
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
        Fail();
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
      if (faults.hangAfterBuffers >= 0 && handed++ >= faults.hangAfterBuffers) WaitWhileFrozen();
      written = sink->Write(staging.data(), frames, discardPending);
    }
    lock.lock();
    if (generation != taken) continue;  // a reset has returned it already
    if (!written) {
      Fail();
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
    if (generation != taken) continue;
    if (!paced && header->lpNext == nullptr && !WaitUntilHeard(lock, taken)) continue;
    Complete(header);
  }
}

bool WaveDevice::WaitUntilHeard(std::unique_lock<std::mutex> &lock, uint64_t taken) {
  // The last queued buffer is done only once the card has played it: the end
  // of a play is then heard in full before its owner closes the device, and
  // the owner never waits for the card itself. Another buffer arriving
  // meanwhile means the play goes on, and this one is done at once.
  const Clock::time_point limit = Clock::now() + kMaxPlayOut;
  const auto moved = [this, taken] {
    return generation != taken || closing || head->lpNext != nullptr;
  };
  for (;;) {
    if (generation != taken) return false;
    if (moved()) return true;
    lock.unlock();
    const int64_t unheard = sink->FramesToHear();
    lock.lock();
    if (unheard <= 0 || Clock::now() >= limit) return generation == taken;
    // Looked at again at least every 50 ms, since the card's clock and ours drift.
    const Clock::duration wait =
        std::min<Clock::duration>(std::chrono::microseconds(unheard * 1000000 / format.sampleRate),
                                  std::chrono::milliseconds(50));
    changed.wait_for(lock, wait, moved);
  }
}
