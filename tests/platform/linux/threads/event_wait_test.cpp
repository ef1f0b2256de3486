#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/watchdog.h"

namespace {

enum class Step { Set, Reset, ExpectSignalled, ExpectTimeout };

struct EventCase {
  const char *name;
  BOOL manualReset;
  BOOL initialState;
  std::vector<Step> steps;
};

class EventBehaviour : public testing::TestWithParam<EventCase> {};

TEST_P(EventBehaviour, FollowsItsResetRule) {
  const EventCase &c = GetParam();
  HANDLE event = CreateEventW(nullptr, c.manualReset, c.initialState, nullptr);
  ASSERT_NE(event, nullptr);
  int index = 0;
  for (Step step : c.steps) {
    SCOPED_TRACE(index++);
    switch (step) {
      case Step::Set:
        EXPECT_EQ(SetEvent(event), TRUE);
        break;
      case Step::Reset:
        EXPECT_EQ(ResetEvent(event), TRUE);
        break;
      case Step::ExpectSignalled:
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
        break;
      case Step::ExpectTimeout:
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        break;
    }
  }
  EXPECT_EQ(CloseHandle(event), TRUE);
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Events, EventBehaviour,
    testing::Values(
        EventCase{"ManualStartsClear", TRUE, FALSE, {S::ExpectTimeout, S::ExpectTimeout}},
        EventCase{"ManualStaysSetUntilReset",
                  TRUE,
                  FALSE,
                  {S::Set, S::ExpectSignalled, S::ExpectSignalled, S::Reset, S::ExpectTimeout}},
        EventCase{"ManualStartsSet", TRUE, TRUE, {S::ExpectSignalled, S::ExpectSignalled}},
        EventCase{
            "ManualSetTwiceResetOnce", TRUE, FALSE, {S::Set, S::Set, S::Reset, S::ExpectTimeout}},
        EventCase{"AutoReleasesOneWait",
                  FALSE,
                  FALSE,
                  {S::ExpectTimeout, S::Set, S::ExpectSignalled, S::ExpectTimeout}},
        EventCase{"AutoStartsSet", FALSE, TRUE, {S::ExpectSignalled, S::ExpectTimeout}},
        EventCase{"AutoSetTwiceStillOneWait",
                  FALSE,
                  FALSE,
                  {S::Set, S::Set, S::ExpectSignalled, S::ExpectTimeout}},
        EventCase{"AutoResetBeforeWait", FALSE, TRUE, {S::Reset, S::ExpectTimeout}}),
    [](const testing::TestParamInfo<EventCase> &info) { return info.param.name; });

TEST(Wait, TimesOutWithAPositiveLimit) {
  Watchdog watchdog;
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 20), WAIT_TIMEOUT);
  HANDLE pair[2] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, pair, FALSE, 20), WAIT_TIMEOUT);
  CloseHandle(event);
}

struct AnyCase {
  const char *name;
  std::array<BOOL, 3> manualReset;
  std::array<BOOL, 3> initiallySet;
  std::vector<DWORD> results;  // successive zero-time-out waits over all three
};

class WaitAny : public testing::TestWithParam<AnyCase> {};

TEST_P(WaitAny, ReportsTheLowestSignalledIndex) {
  const AnyCase &c = GetParam();
  HANDLE events[3];
  for (int i = 0; i < 3; ++i)
    events[i] = CreateEventW(nullptr, c.manualReset[i], c.initiallySet[i], nullptr);
  for (size_t i = 0; i < c.results.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), c.results[i]);
  }
  for (HANDLE event : events) CloseHandle(event);
}

INSTANTIATE_TEST_SUITE_P(
    Events, WaitAny,
    testing::Values(
        AnyCase{"NoneSet", {TRUE, TRUE, TRUE}, {FALSE, FALSE, FALSE}, {WAIT_TIMEOUT}},
        AnyCase{"LastSet", {TRUE, TRUE, TRUE}, {FALSE, FALSE, TRUE}, {2, 2}},
        AnyCase{"LowestWins", {TRUE, TRUE, TRUE}, {FALSE, TRUE, TRUE}, {1, 1}},
        // Only the object that satisfied the wait is consumed.
        AnyCase{"AutoConsumedInOrder",
                {FALSE, FALSE, FALSE},
                {TRUE, FALSE, TRUE},
                {0, 2, WAIT_TIMEOUT}},
        AnyCase{"ManualShadowsLaterAuto", {TRUE, FALSE, FALSE}, {TRUE, TRUE, FALSE}, {0, 0}}),
    [](const testing::TestParamInfo<AnyCase> &info) { return info.param.name; });

DWORD WINAPI SetSecondAfterFirst(LPVOID parameter) {
  auto *events = static_cast<HANDLE *>(parameter);
  WaitForSingleObject(events[2], INFINITE);
  SetEvent(events[1]);
  return 0;
}

TEST(Wait, WakesWhenAnotherThreadSetsTheSecondHandle) {
  Watchdog watchdog;
  HANDLE events[3] = {CreateEventW(nullptr, TRUE, FALSE, nullptr),
                      CreateEventW(nullptr, TRUE, FALSE, nullptr),
                      CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, SetSecondAfterFirst, events, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  for (HANDLE event : events) CloseHandle(event);
}

DWORD WINAPI WaitTwiceOnAutoEvent(LPVOID parameter) {
  HANDLE event = parameter;
  return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

TEST(Wait, AnAutoResetSetReleasesExactlyOneOfTwoWaiters) {
  Watchdog watchdog;
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE threads[2] = {CreateThread(nullptr, 0, WaitTwiceOnAutoEvent, event, 0, nullptr),
                       CreateThread(nullptr, 0, WaitTwiceOnAutoEvent, event, 0, nullptr)};
  SetEvent(event);
  DWORD first = WaitForMultipleObjects(2, threads, FALSE, INFINITE);
  ASSERT_LT(first, 2u);
  // The other waiter is still blocked: the one set was consumed by one wait.
  EXPECT_EQ(WaitForSingleObject(threads[1 - first], 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(threads[1 - first], INFINITE), WAIT_OBJECT_0);
  for (HANDLE thread : threads) CloseHandle(thread);
  CloseHandle(event);
}

struct NotWaitable : KernelObject {};

TEST(Wait, RefusesWhatCannotBeWaitedOn) {
  HANDLE good = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(closed);
  HANDLE other = (new NotWaitable)->Handle();
  int local = 0;
  for (HANDLE bad : {HANDLE(nullptr), INVALID_HANDLE_VALUE, closed, other, HANDLE(&local)}) {
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    HANDLE pair[2] = {good, bad};
    EXPECT_EQ(WaitForMultipleObjects(2, pair, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(SetEvent(bad), FALSE);
    EXPECT_EQ(ResetEvent(bad), FALSE);
  }
  std::array<HANDLE, MAXIMUM_WAIT_OBJECTS + 1> many;
  many.fill(good);
  EXPECT_EQ(WaitForMultipleObjects(0, many.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, many.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, many.data(), TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(2, nullptr, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, L"named"), nullptr);
  CloseHandle(other);
  CloseHandle(good);
}

struct ClosingWait {
  HANDLE event;
  HANDLE waiting;
};

DWORD WINAPI WaitBriefly(LPVOID parameter) {
  auto *wait = static_cast<ClosingWait *>(parameter);
  SetEvent(wait->waiting);
  return WaitForSingleObject(wait->event, 50);
}

TEST(Wait, AHandleClosedDuringAWaitLetsTheWaitEnd) {
  Watchdog watchdog;
  // Whether the close lands before the wait starts (WAIT_FAILED) or during it
  // (the wait times out on an object kept alive for it) is up to the
  // scheduler; try until the second case has been seen.
  DWORD code = WAIT_FAILED;
  while (code == WAIT_FAILED) {
    ClosingWait wait{CreateEventW(nullptr, TRUE, FALSE, nullptr),
                     CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, WaitBriefly, &wait, 0, nullptr);
    WaitForSingleObject(wait.waiting, INFINITE);
    EXPECT_EQ(CloseHandle(wait.event), TRUE);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    CloseHandle(wait.waiting);
  }
  EXPECT_EQ(code, WAIT_TIMEOUT);
}

TEST(Sleep, LastsAtLeastTheTimeAsked) {
  DWORD before = GetTickCount();
  Sleep(15);
  // The tick count truncates to whole milliseconds on both readings.
  EXPECT_GE(GetTickCount() - before, 14u);
  Sleep(0);
}

}  // namespace
