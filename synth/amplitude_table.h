// AmplitudeTable: the 8.24 gain of every relative amplitude from −128 to +127 dB,
// shared by all tone banks, built once at start-up and read-only afterwards.
#pragma once

#include <cstdint>

class AmplitudeTable {
 public:
  // The gain for db decibels: 0 for −128 and −127 (silent), else
  // 10^(db/20) × 2^24 rounded half up, saturating at 0x7FFFFFFF from +43 dB.
  static int32_t Gain(int8_t db) { return Instance().gains[static_cast<uint8_t>(db)]; }

  static const AmplitudeTable &Instance();

 private:
  AmplitudeTable();

  // Indexed by the dB value's two's-complement byte.
  int32_t gains[256];
};
