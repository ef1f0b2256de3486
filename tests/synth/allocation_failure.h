// Test hook on the non-throwing allocation forms, which are the ones the synth
// code uses where an allocation may fail: count them, or make them fail.
#pragma once

#include <cstdint>

namespace allocation_failure {

// Non-throwing allocations made so far in this process.
uint64_t NothrowCount();

// While alive, the non-throwing allocations after the first `skip` fail.
class Scope {
 public:
  explicit Scope(int skip = 0);
  ~Scope();
  Scope(const Scope &) = delete;
  Scope &operator=(const Scope &) = delete;
};

}  // namespace allocation_failure
