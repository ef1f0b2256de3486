#include "reference_vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "synth/limiter_factory.h"
#include "synth/random.h"
#include "synth/source_factory.h"
#include "tests/support/sha256.h"

static_assert(std::endian::native == std::endian::little, "hashes are over little-endian samples");

std::vector<ReferenceVector> LoadVectors() {
  std::ifstream in(WENDREL_VECTORS_DIR "/vectors.txt");
  std::vector<ReferenceVector> vectors;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::istringstream fields(line);
    ReferenceVector v;
    fields >> v.settings >> v.seed >> v.frames >> v.sourceSha >> v.outputSha;
    if (fields) {
      vectors.push_back(v);
    }
  }
  return vectors;
}

ToneSettings ReadSettings(const std::string &name) {
  ToneSettings settings;
  std::FILE *file = std::fopen((std::string(WENDREL_VECTORS_DIR "/") + name).c_str(), "rb");
  EXPECT_NE(file, nullptr) << name;
  if (file) {
    EXPECT_EQ(std::fread(&settings, 1, sizeof settings, file), sizeof settings) << name;
    std::fclose(file);
  }
  return settings;
}

std::string SourceHash(const ReferenceVector &v, int32_t blockFrames) {
  SetFixedRandomSeed(v.seed);
  SourceRef source = CreateSourceFromSettings(ReadSettings(v.settings));
  SetFixedRandomSeed(std::nullopt);
  Sha256 hash;
  std::vector<int32_t> block(static_cast<size_t>(blockFrames) * source->channels);
  for (int32_t done = 0; done < v.frames;) {
    const int32_t n = std::min(blockFrames, v.frames - done);
    source->Render(block.data(), n);
    hash.Update(block.data(), sizeof(int32_t) * n * source->channels);
    done += n;
  }
  return hash.FinishHex();
}

std::string OutputHash(const ReferenceVector &v, int32_t blockFrames) {
  SetFixedRandomSeed(v.seed);
  SourceRef source = CreateSourceFromSettings(ReadSettings(v.settings));
  SetFixedRandomSeed(std::nullopt);
  SourceRef played;
  LimiterFactory(0x7fff0).Make(played, source);
  Sha256 hash;
  std::vector<int32_t> block(static_cast<size_t>(blockFrames) * played->channels);
  std::vector<int16_t> converted(block.size());
  for (int32_t done = 0; done < v.frames;) {
    const int32_t n = std::min(blockFrames, v.frames - done);
    played->Render(block.data(), n);
    const size_t samples = static_cast<size_t>(n) * played->channels;
    for (size_t i = 0; i < samples; ++i) {
      converted[i] = static_cast<int16_t>((static_cast<int64_t>(block[i]) + 8) >> 4);
    }
    hash.Update(converted.data(), sizeof(int16_t) * samples);
    done += n;
  }
  return hash.FinishHex();
}
