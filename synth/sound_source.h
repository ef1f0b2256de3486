// SoundSource: the interface of everything that produces sample frames on demand
// (generators, and wrappers such as the peak limiter). It does not own a thread
// or a device; the player pulls blocks from it.
#pragma once

#include <cstdint>

// Bits of SoundSource::status.
enum : uint8_t {
  kSourceInvalid = 0x01,
};

// Frames are signed 32-bit values, one per channel, interleaved left then right.
// Sources are shared through SourceRef (source_ref.h), which keeps refCount; a
// source is created with refCount 0 and deleted by the release that brings it
// back to 0. Construction, handles and deletion belong to one thread; Render,
// GetPosition and GetLength may then be called from the thread that plays it.
class SoundSource {
 public:
  // A rate of 0 or less becomes 44100 and a channel count of 0 becomes 1; either
  // correction marks the source invalid, so that the player refuses it.
  SoundSource(int32_t sampleRate, uint8_t channels, int32_t peakValue);
  SoundSource(const SoundSource &) = delete;
  SoundSource &operator=(const SoundSource &) = delete;

  virtual ~SoundSource();
  // Writes exactly frames × channels values and advances; frames <= 0 writes
  // nothing. A source never stops by itself: past its length it goes on.
  virtual void Render(int32_t *buffer, int32_t frames) = 0;
  // GetLength() − GetPosition() is the number of frames still to come. Without a
  // duration the length is sampleRate × 60 and the position stays 0.
  virtual int32_t GetPosition() = 0;
  virtual int32_t GetLength() = 0;
  // Repositions the source; a generator with a duration moves its position
  // there (held within 0..length), one without ignores it.
  virtual void Seek(int32_t frame);

  bool IsInvalid() const { return (status & kSourceInvalid) != 0; }
  void MarkInvalid() { status |= kSourceInvalid; }

  int32_t sampleRate;
  // The largest magnitude the source declares it can produce.
  int32_t peakValue;
  uint8_t channels;
  uint8_t status = 0;
  // Handles referring to the source; changed only by SourceRef.
  uint16_t refCount = 0;
};
