#include "platform/linux/wave_out/kept_output.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A restart takes a few milliseconds; a loaded machine may take a hundred.
// Long enough for that, short enough that a stopped program soon lets go of
// the output for other programs.
constexpr auto kKeepTime = std::chrono::milliseconds(500);

struct Kept {
  std::mutex mutex;
  std::condition_variable changed;
  std::unique_ptr<AudioSink> sink;
  std::string choice;
  SinkFormat format{};
  Clock::time_point releaseAt;
  bool closerRunning = false;
};

Kept &State() {
  // Never destroyed: the closing thread waits on it until the process ends.
  static Kept *kept = new Kept;
  return *kept;
}

// Closes the kept stream once its time is up. A close may block on a sound
// server that stopped answering, so it runs here, never on a caller's thread.
void CloseWhenDue() {
  Kept &kept = State();
  std::unique_lock lock(kept.mutex);
  for (;;) {
    kept.changed.wait(lock, [&kept] { return kept.sink != nullptr; });
    if (Clock::now() < kept.releaseAt) {
      kept.changed.wait_until(lock, kept.releaseAt);
      continue;
    }
    std::unique_ptr<AudioSink> due = std::move(kept.sink);
    lock.unlock();
    due->Finish();
    due.reset();
    lock.lock();
  }
}

}  // namespace

void KeepOutput(const std::string &choice, const SinkFormat &format, std::unique_ptr<AudioSink> sink) {
  Kept &kept = State();
  std::unique_ptr<AudioSink> older;
  {
    std::lock_guard lock(kept.mutex);
    if (!kept.closerRunning) {
      try {
        std::thread(CloseWhenDue).detach();
        kept.closerRunning = true;
      } catch (const std::system_error &) {
        // Nothing could close it later: close it now instead of keeping it.
        older = std::move(sink);
      }
    }
    if (sink != nullptr) {
      older = std::move(kept.sink);
      kept.sink = std::move(sink);
      kept.choice = choice;
      kept.format = format;
      kept.releaseAt = Clock::now() + kKeepTime;
      kept.changed.notify_all();
    }
  }
  if (older != nullptr) older->Finish();
}

std::unique_ptr<AudioSink> TakeKeptOutput(const std::string &choice, const SinkFormat &format) {
  Kept &kept = State();
  std::unique_ptr<AudioSink> other;
  {
    std::lock_guard lock(kept.mutex);
    if (kept.sink == nullptr) return nullptr;
    kept.changed.notify_all();
    if (kept.choice == choice && kept.format.channels == format.channels &&
        kept.format.sampleRate == format.sampleRate) {
      return std::move(kept.sink);
    }
    other = std::move(kept.sink);
  }
  // A card opened directly (hw:) takes one stream at a time: the kept one
  // must go before another can open.
  other->Finish();
  return nullptr;
}
