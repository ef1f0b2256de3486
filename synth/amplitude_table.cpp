#include "synth/amplitude_table.h"

#include <cmath>

namespace {

int32_t ComputeGain(int db) {
  if (db <= -127) {
    return 0;
  }
  // Every gain is at least 4096 doubles of the power away from a different
  // integer, so the C library's last-bit differences cannot show (checked
  // against MPFR).
  const double v = std::pow(10.0, db / 20.0) * 16777216.0 + 0.5;
  return v < 2147483647.0 ? static_cast<int32_t>(v) : 0x7FFFFFFF;
}

// Built during static initialisation, before any source exists; Instance() also
// builds it on first use should a source be made by another static object.
[[maybe_unused]] const AmplitudeTable &builtAtStart = AmplitudeTable::Instance();

}  // namespace

AmplitudeTable::AmplitudeTable() {
  for (int db = -128; db <= 127; ++db) {
    gains[static_cast<uint8_t>(db)] = ComputeGain(db);
  }
}

const AmplitudeTable &AmplitudeTable::Instance() {
  static const AmplitudeTable table;
  return table;
}
