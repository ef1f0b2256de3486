// Renders every reference settings file in-process and compares the SHA-256 of
// the source's samples and of the played 16-bit output with reference hashes
// computed independently. Any difference means the arithmetic is not exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "reference_vectors.h"
#include "tests/support/sha256.h"

namespace {

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
  for (const ReferenceVector &v : LoadVectors()) {
    EXPECT_EQ(SourceHash(v, 4410), v.sourceSha) << v.settings;
    // The source's samples do not depend on how its blocks are cut.
    EXPECT_EQ(SourceHash(v, 1000), v.sourceSha) << v.settings << " in blocks of 1000";
  }
}

TEST(VectorsTest, OutputStageMatchesReference) {
  for (const ReferenceVector &v : LoadVectors()) {
    EXPECT_EQ(OutputHash(v, 4410), v.outputSha) << v.settings;
    EXPECT_EQ(OutputHash(v, 777), v.outputSha) << v.settings << " in blocks of 777";
  }
}

}  // namespace
