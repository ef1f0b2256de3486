#include "allocation_failure.h"

#include <atomic>
#include <new>

namespace {

std::atomic<uint64_t> nothrowCount{0};
std::atomic<bool> failing{false};
std::atomic<int> skipBeforeFailing{0};

bool ShouldFail() {
  ++nothrowCount;
  if (!failing) {
    return false;
  }
  return skipBeforeFailing.fetch_sub(1) <= 0;
}

}  // namespace

namespace allocation_failure {

uint64_t NothrowCount() {
  return nothrowCount;
}

Scope::Scope(int skip) {
  skipBeforeFailing = skip;
  failing = true;
}

Scope::~Scope() {
  failing = false;
}

}  // namespace allocation_failure

// The replacements allocate through the throwing forms, so that every block is
// still released by the matching ordinary delete (and sanitizers agree).
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  if (ShouldFail()) {
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  if (ShouldFail()) {
    return nullptr;
  }
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
