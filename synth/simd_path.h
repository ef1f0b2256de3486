// SimdPath: which instruction set the render kernels use. The packages must run
// on every x86-64 processor, so the plain path is always there and is the
// reference; a faster path is chosen once at run time where the processor has
// it. Every path gives the same samples to the bit: each kernel does the same
// integer arithmetic, or the same IEEE operations in the same order per sample.
// Not a general feature probe: it answers only what the kernels need.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

enum class SimdPath : uint8_t {
  kPlain,  // the compiler's baseline for the target (SSE2 on x86-64)
  kAvx2,   // 256-bit integer vectors with gathers (Intel Haswell, AMD Excavator on)
};

// The fastest path this processor and its operating system support.
SimdPath BestSimdPath();

// Every path this processor can run, kPlain first.
std::vector<SimdPath> AvailableSimdPaths();

// The path the kernels take from now on: BestSimdPath() unless a path is forced.
// Read on every kernel call, from any thread.
SimdPath CurrentSimdPath();

// Forces a path (which must be available) for tests and benchmarks that compare
// paths; std::nullopt goes back to BestSimdPath(). Not while another thread
// renders: a render would change path half-way (the samples would still agree).
void ForceSimdPath(std::optional<SimdPath> path);

// "plain", "avx2": for test names and benchmark reports.
const char *SimdPathName(SimdPath path);
