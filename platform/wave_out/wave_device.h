// One open waveform output device: the queue of written buffers and the
// playback thread that hands them in order to the sink, holds each until the
// clock says it has been heard (for clock-paced sinks), marks it done and sets
// the owner's event. Not for validating arguments: the waveOut calls do that.
//
// Threads: the owner's calls may come from any thread and are serialised by the
// device's lock; the playback thread takes the lock only between sink calls, so
// no call waits for the sink. Lock order: the device's lock, then the threads
// service's (SetEvent).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wave_out/audio_sink.h"
#include "platform/wave_out/fault_state.h"
#include "platform/wave_out/wave_out.h"

class WaveDevice {
 public:
  WaveDevice(const SinkFormat &format, HANDLE event, std::unique_ptr<AudioSink> sink,
             const DeviceFaults &faults);
  ~WaveDevice();
  WaveDevice(const WaveDevice &) = delete;
  WaveDevice &operator=(const WaveDevice &) = delete;

  // Starts the playback thread; false if it cannot be started.
  bool Start();

  MMRESULT Prepare(WAVEHDR *header);
  MMRESULT Unprepare(WAVEHDR *header);
  MMRESULT Write(WAVEHDR *header);
  MMRESULT Pause();
  MMRESULT Restart();
  MMRESULT Reset();

  // WAVERR_STILLPLAYING while buffers are queued (the device stays open);
  // otherwise marks the device closed, so every later call fails.
  MMRESULT BeginClose();
  // After a successful BeginClose: ends the playback thread and finishes the
  // sink; false if the sink could not finish.
  bool FinishClose();

 private:
  using Clock = std::chrono::steady_clock;

  void PlaybackLoop();
  void Complete(WAVEHDR *header);
  Clock::time_point DueTime() const;
  void SignalOwner();

  const SinkFormat format;
  const HANDLE event;
  const std::unique_ptr<AudioSink> sink;
  const DeviceFaults faults;

  std::mutex mutex;
  std::condition_variable changed;
  WAVEHDR *head = nullptr;  // queued buffers, linked through lpNext
  WAVEHDR *tail = nullptr;
  uint64_t generation = 0;  // counts resets, so a buffer in the sink is not completed twice
  bool paused = false;
  bool closing = false;
  bool failed = false;   // the sink failed for good: nothing completes any more
  bool stalled = false;  // the injected stall has begun
  int completed = 0;
  // Set by a reset that returned queued buffers: the sink gives up a blocking
  // write and throws away what it holds.
  std::atomic<bool> discardPending{false};

  // The clock of the paced sinks: the buffer in the sink ends clockFrames after
  // clockStart, computed from the total so that rounding never accumulates.
  bool clockRunning = false;
  Clock::time_point clockStart;
  Clock::time_point pausedAt;
  uint64_t clockFrames = 0;

  std::vector<int16_t> staging;  // the playback thread's copy of the buffer in the sink
  std::thread playback;
};
