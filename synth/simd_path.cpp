#include "synth/simd_path.h"

#include <algorithm>
#include <atomic>
#include <cassert>

namespace {

bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  // libgcc's probe also checks that the operating system saves the 256-bit
  // registers (XGETBV), so a processor with AVX2 under a system without it
  // stays on the plain path.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

SimdPath Detect() {
  return ProcessorHasAvx2() ? SimdPath::kAvx2 : SimdPath::kPlain;
}

std::atomic<SimdPath> &Forced() {
  static std::atomic<SimdPath> path{BestSimdPath()};
  return path;
}

}  // namespace

SimdPath BestSimdPath() {
  static const SimdPath best = Detect();
  return best;
}

std::vector<SimdPath> AvailableSimdPaths() {
  std::vector<SimdPath> paths{SimdPath::kPlain};
  if (BestSimdPath() == SimdPath::kAvx2) {
    paths.push_back(SimdPath::kAvx2);
  }
  return paths;
}

SimdPath CurrentSimdPath() {
  return Forced().load(std::memory_order_relaxed);
}

void ForceSimdPath(std::optional<SimdPath> path) {
  assert(!path || std::ranges::count(AvailableSimdPaths(), *path) == 1);
  Forced().store(path.value_or(BestSimdPath()), std::memory_order_relaxed);
}

const char *SimdPathName(SimdPath path) {
  switch (path) {
    case SimdPath::kPlain:
      return "plain";
    case SimdPath::kAvx2:
      return "avx2";
  }
  return "unknown";
}
