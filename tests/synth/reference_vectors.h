// The reference renders of tests/data/vectors: their table, and the SHA-256 of
// a source's samples and of the played 16-bit output rendered in-process the
// way the reference hashes were computed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/tone_settings.h"

struct ReferenceVector {
  std::string settings;
  uint32_t seed = 0;
  int32_t frames = 0;
  std::string sourceSha;
  std::string outputSha;
};

std::vector<ReferenceVector> LoadVectors();

// Over the defaults, like the settings file is read: a short file replaces
// only its leading bytes.
ToneSettings ReadSettings(const std::string &name);

// Source stage: the source's own samples, rendered in blocks of blockFrames.
std::string SourceHash(const ReferenceVector &v, int32_t blockFrames);

// Output stage: through the limiter as the player queues it, in blocks of at
// most blockFrames frames, each sample (x + 8) >> 4 kept as its low 16 bits.
std::string OutputHash(const ReferenceVector &v, int32_t blockFrames);
