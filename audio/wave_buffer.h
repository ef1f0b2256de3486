// WaveBuffer: one slot of the sound player's ring of output buffers, with the
// wave header the device keeps its state in. Not a queue: the ring and its
// order belong to the player.
//
// Contract:
// - Prepare and Unprepare run only while no feeder thread runs (the owner's
//   thread); Write runs only on the feeder thread.
// - The device changes header.dwFlags on its own; the buffer is free for the
//   feeder exactly when WHDR_DONE is set in it.
// - The object must not move while prepared: the device holds its header's
//   address.
#pragma once

#include <cstdint>

#include "audio/level_meter.h"
#include "platform/platform.h"

struct WaveBuffer {
  // header.dwUser of a buffer that carries no source position.
  static constexpr DWORD_PTR kNoPosition = 0x80000000u;

  WaveBuffer();
  ~WaveBuffer();
  WaveBuffer(const WaveBuffer &) = delete;
  WaveBuffer &operator=(const WaveBuffer &) = delete;

  // Allocates bytes of sample memory and registers the header with device. A
  // buffer that already holds data reports success and is left alone.
  bool Prepare(HWAVEOUT device, int32_t bytes);

  // Queues the first bytes of the data (at most its capacity) on device. False
  // when the device refused it (its output has failed for good): the buffer
  // then stays free.
  bool Write(HWAVEOUT device, int32_t bytes);

  // Unregisters the header, retrying every 50 ms while the device still holds
  // the buffer and budgetMs lasts, then frees the data whatever the answer.
  // budgetMs is shared by all buffers of one stop, so it is reduced in place.
  void Unprepare(HWAVEOUT device, int32_t &budgetMs);

  BYTE *data;
  int32_t capacity;
  WAVEHDR header;
  ChannelLevels levels;
};
