// Sha256: a small, self-contained SHA-256 for tests that compare rendered
// sample data with reference hashes. Not for anything secret.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  Sha256();
  // May be called any number of times with consecutive pieces of the message.
  void Update(const void *data, size_t size);
  // The digest as 64 lowercase hex digits; the object is spent afterwards.
  std::string FinishHex();

  static std::string HexOf(const void *data, size_t size);

 private:
  void Compress(const uint8_t *block);

  uint32_t state[8];
  uint8_t buffer[64];
  size_t buffered = 0;
  uint64_t totalBytes = 0;
};
