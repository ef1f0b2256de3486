// Whether a wave device is playing and for how long, for the terminal's own
// bottom row: nothing on the program's screen says that sound plays. Kept by
// the waveOut calls; read by the screen at any time. Not a clock of the play:
// the time is what the device has handed to its output, in buffer steps.
#pragma once

#include <cstdint>

#include "platform/linux/wave_out/wave_out.h"

struct PlayStatus {
  bool playing = false;  // a device is open, not paused, and its output works
  uint32_t playedMs = 0;  // of the newest such device, since its open or reset
};

// Any thread.
PlayStatus CurrentPlayStatus();

// Kept by the waveOut calls, after their own work succeeded.
void NoteDeviceOpened(HWAVEOUT device);
void NoteDevicePaused(HWAVEOUT device, bool paused);
void NoteDeviceClosed(HWAVEOUT device);
