#include "platform/linux/handles/handle.h"

#include <mutex>
#include <unordered_set>

namespace {

std::mutex &LiveMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_set<const KernelObject *> &LiveObjects() {
  static std::unordered_set<const KernelObject *> objects;
  return objects;
}

}  // namespace

KernelObject::KernelObject() {
  std::lock_guard lock(LiveMutex());
  LiveObjects().insert(this);
}

KernelObject::~KernelObject() {
  std::lock_guard lock(LiveMutex());
  LiveObjects().erase(this);
}

BOOL KernelObject::Close() {
  delete this;
  return TRUE;
}

KernelObject *LookUpKernelObject(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  std::lock_guard lock(LiveMutex());
  auto *object = static_cast<KernelObject *>(handle);
  return LiveObjects().count(object) ? object : nullptr;
}

BOOL CloseHandle(HANDLE handle) {
  KernelObject *object = nullptr;
  {
    std::lock_guard lock(LiveMutex());
    auto *candidate = static_cast<KernelObject *>(handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !LiveObjects().count(candidate)) {
      return FALSE;
    }
    // Leaves the live set at once, so a second CloseHandle of the same handle
    // fails even while the first is still closing.
    LiveObjects().erase(candidate);
    object = candidate;
  }
  return object->Close();
}
