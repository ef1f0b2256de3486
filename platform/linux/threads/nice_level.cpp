#include "platform/linux/threads/nice_level.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kNiceOffset[8] = {-15, -10, -5, 0, 5, 10, 15, 19};
constexpr int kLowestNice = -20;
constexpr int kHighestNice = 19;

int ProcessNice() {
  // The main thread's level when first asked; the user may have started the
  // program under `nice`, and the levels are relative to that.
  static const int nice = [] {
    errno = 0;
    int value = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    return errno == 0 ? value : 0;
  }();
  return nice;
}

// The lowest nice value RLIMIT_NICE lets this process set without privileges.
int NiceFloor() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return kHighestNice;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40) return kLowestNice;
  return 20 - static_cast<int>(limit.rlim_cur);
}

bool SetNice(pid_t tid, int nice) { return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0; }

// Below normal: back to normal first, then one step below it. That step is a
// lowering, which the kernel allows exactly when it would allow every lowering
// back up to normal later (RLIMIT_NICE and CAP_SYS_NICE do not depend on the
// thread's present value); only then does the thread go to its target.
void ApplyBelowNormal(pid_t tid, int normal, int target) {
  SetNice(tid, normal);
  if (normal > kLowestNice && SetNice(tid, normal - 1)) SetNice(tid, target);
}

// Normal or above: the target, or as close to it as RLIMIT_NICE allows if that
// is a raise at all.
void ApplyAtOrAboveNormal(pid_t tid, int target) {
  if (SetNice(tid, target)) return;
  if (errno != EACCES && errno != EPERM) return;
  errno = 0;
  int current = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  int allowed = std::max(target, NiceFloor());
  if (allowed < current) SetNice(tid, allowed);
}

}  // namespace

void ApplyNiceLevel(pid_t tid, int level) {
  const int normal = ProcessNice();
  const int target = std::clamp(normal + kNiceOffset[level], kLowestNice, kHighestNice);
  if (target > normal) {
    ApplyBelowNormal(tid, normal, target);
  } else {
    ApplyAtOrAboveNormal(tid, target);
  }
}
