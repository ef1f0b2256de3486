// The 16-bit conversion on every kernel path this processor has, against the
// plain loop: lengths with every remainder of a vector, samples over the whole
// 32-bit range (where + 8 would overflow 32 bits).
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "audio/sample_convert.h"
#include "synth/simd_path.h"

namespace {

TEST(ConvertTo16Paths, EveryPathGivesThePlainBits) {
  std::mt19937 rng(16);
  for (SimdPath path : AvailableSimdPaths()) {
    ForceSimdPath(path);
    for (int count = 0; count <= 40; ++count) {
      SCOPED_TRACE(testing::Message() << SimdPathName(path) << ", " << count << " samples");
      std::vector<int32_t> in(static_cast<size_t>(count));
      for (int32_t &s : in) {
        const int kind = std::uniform_int_distribution<int>(0, 5)(rng);
        s = kind == 0 ? INT32_MAX - std::uniform_int_distribution<int32_t>(0, 8)(rng)
            : kind == 1 ? INT32_MIN + std::uniform_int_distribution<int32_t>(0, 8)(rng)
                        : static_cast<int32_t>(rng());
      }
      std::vector<int16_t> plain(in.size() + 1, 0x5555), converted(in.size() + 1, 0x5555);
      ConvertTo16Plain(plain.data(), in.data(), count);
      ConvertTo16(converted.data(), in.data(), count);
      EXPECT_EQ(converted, plain);
    }
  }
  ForceSimdPath(std::nullopt);
}

}  // namespace
