// SoundPlayer: plays one SoundSource through the waveform output device, from
// a feeder thread that renders, converts and queues a ring of 70 buffers of a
// tenth of a second, and reports to a PlayerListener on the user-interface
// thread. Not a mixer and not a seeker: one source, from where it stands, once.
//
// Contract:
// - Construct, Start, Stop, IsPlaying and destroy on one thread, the
//   user-interface thread, which must run a message loop: the feeder's reports
//   arrive as WM_USER posted to the hidden "LSoundPlayer_Window", whose
//   procedure runs DispatchNotifications there.
// - listener, listenerContext and levelMetering are set directly by the owner
//   while no play runs. The listener is not owned; it must outlive the play or
//   be set to null first.
// - While playing, the player owns the device, the 70 buffers, the conversion
//   block, the feeder thread and one reference to the source; when idle its
//   source is a SilenceSource and it owns none of the others.
// - One lock: the feeder holds it for each buffer it handles;
//   DispatchNotifications holds it only to take the pending bits. No listener
//   call, wait or join happens with the lock held.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/level_meter.h"
#include "audio/player_listener.h"
#include "audio/wave_buffer.h"
#include "audio/worker_thread.h"
#include "platform/platform.h"
#include "synth/source_ref.h"

class SoundPlayer : public WorkerThread {
 public:
  // Bits of the state word; zero is idle.
  static constexpr uint16_t kActive = 0x01;
  static constexpr uint16_t kStartedPaused = 0x02;
  static constexpr uint16_t kPrebuffering = 0x08;
  static constexpr uint16_t kRaisePriority = 0x10;
  // Bits of the reports the feeder leaves for DispatchNotifications.
  static constexpr uint16_t kPositionPending = 0x01;
  static constexpr uint16_t kLevelsPending = 0x02;
  static constexpr uint16_t kEndReached = 0x04;
  // The output failed for good (a card unplugged, a sound server gone): the
  // play ends at once, without claiming its length was heard.
  static constexpr uint16_t kOutputFailed = 0x08;
  static constexpr int kBufferCount = 70;
  // Start mode bits.
  static constexpr uint16_t kModeStartPaused = 0x01;
  static constexpr uint16_t kModePrebuffer = 0x02;
  // The ring index at which a prebuffering play releases the device.
  static constexpr int kPrebufferBuffers = 42;
  // Consecutive passes that find the next buffer still queued before the play
  // is given up for stalled; each pass waits up to kIdleWaitMs.
  static constexpr int kStallPasses = 280;
  static constexpr int kIdleWaitMs = 100;
  static constexpr int kStopTimeoutMs = 5000;
  static constexpr int kUnprepareBudgetMs = 1000;
  // Every sample is converted to 16 bits as (x + 8) >> 4 without clamping, so
  // a source louder than this goes through the limiter.
  static constexpr int32_t kLimiterThreshold = 0x7fff0;

  SoundPlayer();
  ~SoundPlayer() override;

  // Stops any play, then plays source; mode bit 0 starts the device paused,
  // bit 1 holds it paused until 42 buffers are queued. The caller keeps its
  // own reference. False means nothing plays and no listener call was made
  // (apart from OnStopped for a play that was running).
  bool Start(const SourceRef &source, uint16_t mode);
  // Ends any play and reports OnStopped; does nothing when idle.
  void Stop();
  bool IsPlaying() const { return state.load(std::memory_order_relaxed) != 0; }
  // True when the last play ended because its output failed for good, rather
  // than by its end, a stall or Stop; already true when OnStopped reports it.
  // Cleared by Start.
  bool EndedByOutputFailure() const { return endedByOutputFailure; }

  // Takes the feeder's pending reports and passes them to the listener. Run
  // by the hidden window's procedure; public for that procedure only.
  void DispatchNotifications();

  PlayerListener *listener;
  int32_t listenerContext;
  bool levelMetering;

 protected:
  void ThreadMain() override;

 private:
  // Tests look at the ring and drive the feeder's passes through it.
  friend class SoundPlayerTestAccess;

  static LRESULT CALLBACK NotifyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  int32_t ToTenThousandths(int32_t frames);
  // Unregisters the buffers (sharing unprepareBudgetMs among them), frees
  // the conversion block, lets go of the source and closes the device: the
  // end of a play, and of a start that could not finish.
  void ReleaseDevice(int32_t unprepareBudgetMs);

  // Replaced (and the old one abandoned) when a terminated feeder kept it.
  CRITICAL_SECTION *lock;
  HANDLE waveEvent;
  HWND notifyWindow;
  int8_t deviceId;  // set once, from the output chosen at start
  int32_t position;
  // Atomic because the feeder clears kPrebuffering and kRaisePriority while the
  // user-interface thread reads the word (IsPlaying, Stop); only this word is
  // shared without the lock.
  std::atomic<uint16_t> state;
  uint16_t notifyFlags;
  bool endedByOutputFailure;
  SourceRef source;
  ChannelLevels levels;
  int32_t *conversionBlock;
  HWAVEOUT device;
  int32_t blockFrames;
  uint8_t channels;
  WaveBuffer buffers[kBufferCount];
  uint8_t ringIndex;
};
