// One open waveform output device: the queue of written buffers and the
// playback thread that opens the sink, hands it the buffers in order, holds
// each until the clock says it has been heard (for clock-paced sinks), marks it
// done and sets the owner's event. Not for validating arguments: the waveOut
// calls do that.
//
// A sink may block for good (a frozen sound server, a card that stopped), so
// no owner's call ever waits for the playback thread without a time-out: the
// thread owns a reference to the device, and with it the sink and its copy of
// the buffer in play, so whatever it still touches outlives the handle. Once
// the owner has closed (or given up an open), the thread never touches the
// owner's buffers or event again.
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
#include <string>
#include <vector>

#include "platform/linux/wave_out/audio_sink.h"
#include "platform/linux/wave_out/fault_state.h"
#include "platform/linux/wave_out/wave_out.h"

class WaveDevice : public std::enable_shared_from_this<WaveDevice> {
 public:
  WaveDevice(const SinkFormat &format, HANDLE event, const DeviceFaults &faults);
  WaveDevice(const WaveDevice &) = delete;
  WaveDevice &operator=(const WaveDevice &) = delete;

  // Starts the playback thread, which opens the sink choice names (or takes
  // over the stream a device just closed kept for it), and waits
  // for the open for at most openTimeoutMs; the waveOutOpen result. On a
  // failure the device is closed: a thread still opening closes what it gets.
  MMRESULT Open(const std::string &choice, int openTimeoutMs);

  MMRESULT Prepare(WAVEHDR *header);
  MMRESULT Unprepare(WAVEHDR *header);
  MMRESULT Write(WAVEHDR *header);
  MMRESULT Pause();
  MMRESULT Restart();
  MMRESULT Reset();
  MMRESULT GetPosition(MMTIME *time);

  // WAVERR_STILLPLAYING while buffers are queued (the device stays open);
  // otherwise marks the device closed, so every later call fails.
  MMRESULT BeginClose();
  // After a successful BeginClose: lets the playback thread release the sink
  // (or keep it for the next open, see kept_output.h) and end. A sink that never blocks is waited for; one that may block, for
  // at most blockingWaitMs, after which the thread is left to end by itself.
  // False if the sink did not finish properly within that time.
  bool FinishClose(int blockingWaitMs);

 private:
  using Clock = std::chrono::steady_clock;
  enum class Phase { Opening, Open, Ended };

  void Run(const std::string &choice);
  void PlaybackLoop(std::unique_lock<std::mutex> &lock);
  bool WaitUntilHeard(std::unique_lock<std::mutex> &lock, uint64_t taken);
  void Complete(WAVEHDR *header);
  bool ReturnQueue();
  void Fail();
  Clock::time_point DueTime() const;
  void SignalOwner();

  const SinkFormat format;
  const HANDLE event;
  const DeviceFaults faults;

  std::mutex mutex;
  std::condition_variable changed;
  Phase phase = Phase::Opening;
  MMRESULT openResult = MMSYSERR_NOERROR;
  bool finishedWell = false;
  bool ownerGaveUp = false;  // an open or close stopped waiting for the thread
  std::unique_ptr<AudioSink> sink;  // set by the playback thread once it has opened
  bool sinkNeverBlocks = false;
  WAVEHDR *head = nullptr;  // queued buffers, linked through lpNext
  WAVEHDR *tail = nullptr;
  uint64_t generation = 0;  // counts resets, so a buffer in the sink is not completed twice
  bool paused = false;
  bool closing = false;
  bool failed = false;   // the sink failed for good: nothing is played any more
  bool stalled = false;  // the injected stall has begun
  int completed = 0;
  uint64_t framesCompleted = 0;  // since the open or the last reset
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
};
