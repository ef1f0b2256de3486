// PlayerListener: how the sound player tells its owner about playback. Every
// call comes on the user-interface thread (from Start, Stop or the player's
// hidden window), never on the feeder thread, and never with the player's lock
// held, so an implementation may call Start or Stop again.
#pragma once

#include <cstdint>

#include "audio/level_meter.h"

class PlayerListener {
 public:
  virtual ~PlayerListener() = default;

  // The device runs from the start; IsPlaying is already true.
  virtual void OnStarted(int32_t context) { (void)context; }
  // The device has been closed; IsPlaying is already false.
  virtual void OnStopped(int32_t context) { (void)context; }
  // Instead of OnStarted, when the play was started with the device paused.
  virtual void OnStartedPaused(int32_t context) { (void)context; }
  // The position of the sound just heard, in ten-thousandths of a second.
  virtual void OnPosition(int32_t position, int32_t context) {
    (void)position;
    (void)context;
  }
  // Levels of the buffer just heard; owned by the player, valid during the call.
  virtual void OnLevels(const ChannelLevels &levels, int32_t context) {
    (void)levels;
    (void)context;
  }
};
