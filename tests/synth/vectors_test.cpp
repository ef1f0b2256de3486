// Renders every reference settings file in-process and compares the SHA-256 of
// the source's samples and of the played 16-bit output with reference hashes
// computed independently. Any difference means the arithmetic is not exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/tone_settings.h"
#include "synth/limiter_factory.h"
#include "synth/random.h"
#include "synth/source_factory.h"
#include "tests/support/sha256.h"

namespace {

static_assert(std::endian::native == std::endian::little, "hashes are over little-endian samples");

struct Vector {
  std::string settings;
  uint32_t seed = 0;
  int32_t frames = 0;
  std::string sourceSha;
  std::string outputSha;
};

std::vector<Vector> LoadVectors() {
  std::ifstream in(WENDREL_VECTORS_DIR "/vectors.txt");
  std::vector<Vector> vectors;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::istringstream fields(line);
    Vector v;
    fields >> v.settings >> v.seed >> v.frames >> v.sourceSha >> v.outputSha;
    if (fields) {
      vectors.push_back(v);
    }
  }
  return vectors;
}

// Over the defaults, like the settings file is read: a short file replaces
// only its leading bytes.
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

// Source stage: the source's own samples, rendered in blocks of blockFrames.
std::string SourceHash(const Vector &v, int32_t blockFrames) {
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

// Output stage: through the limiter as the player queues it, in blocks of at
// most 4410 frames, each sample (x + 8) >> 4 kept as its low 16 bits.
std::string OutputHash(const Vector &v, int32_t blockFrames) {
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

TEST(Sha256Test, KnownDigests) {
  EXPECT_EQ(Sha256::HexOf("", 0),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::HexOf("abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256::HexOf(twoBlocks.data(), twoBlocks.size()),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // Fed in uneven pieces, the same digest as in one piece.
  const std::string million(1000000, 'a');
  Sha256 pieces;
  for (size_t at = 0, step = 1; at < million.size(); at += step, step = step * 3 % 1000 + 1) {
    pieces.Update(million.data() + at, std::min(step, million.size() - at));
  }
  EXPECT_EQ(pieces.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(VectorsTest, TableIsComplete) {
  EXPECT_EQ(LoadVectors().size(), 6u);
}

TEST(VectorsTest, SourceStageMatchesReference) {
  for (const Vector &v : LoadVectors()) {
    EXPECT_EQ(SourceHash(v, 4410), v.sourceSha) << v.settings;
    // The source's samples do not depend on how its blocks are cut.
    EXPECT_EQ(SourceHash(v, 1000), v.sourceSha) << v.settings << " in blocks of 1000";
  }
}

TEST(VectorsTest, OutputStageMatchesReference) {
  for (const Vector &v : LoadVectors()) {
    EXPECT_EQ(OutputHash(v, 4410), v.outputSha) << v.settings;
    EXPECT_EQ(OutputHash(v, 777), v.outputSha) << v.settings << " in blocks of 777";
  }
}

}  // namespace
