// Kernel-object handles shared by the services: files, threads and events are
// all closed by the one CloseHandle. Each service derives its objects from
// KernelObject; CloseHandle refuses anything that is not a live object, so a
// stale or garbage handle yields FALSE instead of undefined behaviour.
#pragma once

#include "platform/linux/win_types.h"

class KernelObject {
 public:
  KernelObject();
  virtual ~KernelObject();
  KernelObject(const KernelObject &) = delete;
  KernelObject &operator=(const KernelObject &) = delete;

  HANDLE Handle() { return static_cast<HANDLE>(this); }

  // Called once by CloseHandle after the object has left the live set; returns
  // what CloseHandle returns. The default deletes the object.
  virtual BOOL Close();
};

// The live object a handle names, or null for a null, invalid, closed or
// foreign handle. The object stays valid until CloseHandle is called on it.
KernelObject *LookUpKernelObject(HANDLE handle);

template <typename T>
T *LookUpKernelObjectAs(HANDLE handle) {
  return dynamic_cast<T *>(LookUpKernelObject(handle));
}

BOOL CloseHandle(HANDLE handle);
