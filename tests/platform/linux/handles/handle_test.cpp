#include "platform/linux/handles/handle.h"

#include <gtest/gtest.h>

namespace {

struct CountingObject : KernelObject {
  explicit CountingObject(int *deleted) : deleted(deleted) {}
  ~CountingObject() override { ++*deleted; }
  int *deleted;
};

TEST(CloseHandle, ClosesALiveObjectOnceAndRefusesItAfterwards) {
  int deleted = 0;
  HANDLE handle = (new CountingObject(&deleted))->Handle();
  EXPECT_NE(LookUpKernelObject(handle), nullptr);
  EXPECT_EQ(CloseHandle(handle), TRUE);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(LookUpKernelObject(handle), nullptr);
  EXPECT_EQ(CloseHandle(handle), FALSE);
  EXPECT_EQ(deleted, 1);
}

TEST(CloseHandle, RefusesHandlesThatNameNoObject) {
  int local = 0;
  for (HANDLE handle : {HANDLE(nullptr), INVALID_HANDLE_VALUE, HANDLE(&local)}) {
    EXPECT_EQ(LookUpKernelObject(handle), nullptr);
    EXPECT_EQ(CloseHandle(handle), FALSE);
  }
}

TEST(CloseHandle, LooksUpTheDerivedType) {
  int deleted = 0;
  auto *object = new CountingObject(&deleted);
  EXPECT_EQ(LookUpKernelObjectAs<CountingObject>(object->Handle()), object);
  CloseHandle(object->Handle());
}

}  // namespace
