#include "tests/platform/linux/wave_out/wave_out_fixture.h"

namespace {

TEST_F(WaveOutTest, OpenFailuresAreCountedOffSoARetryCanSucceed) {
  struct Case {
    int failures;
    MMRESULT first;
    MMRESULT retry;
  };
  for (Case c : {Case{1, MMSYSERR_ALLOCATED, MMSYSERR_NOERROR},
                 Case{2, MMSYSERR_ALLOCATED, MMSYSERR_ALLOCATED}, Case{0, MMSYSERR_NOERROR, 0}}) {
    SCOPED_TRACE(c.failures);
    WaveOutFaults faults;
    faults.openFailures = c.failures;
    SetWaveOutFaults(faults);
    MMRESULT result = Open("null", 2, 44100, CALLBACK_EVENT);
    EXPECT_EQ(result, c.first);
    if (result != MMSYSERR_NOERROR) {
      EXPECT_EQ(device, nullptr);
      result = Open("null", 2, 44100, CALLBACK_EVENT | WAVE_MAPPED);
      EXPECT_EQ(result, c.retry);
    }
    if (result == MMSYSERR_NOERROR) {
      EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    }
    device = nullptr;
  }
}

TEST_F(WaveOutTest, PrepareFailsWhereInjectedAndOnlyThere) {
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  WaveOutFaults faults;
  faults.preparesBeforeFailure = 2;
  faults.prepareFailures = 2;
  SetWaveOutFaults(faults);
  const MMRESULT expected[] = {MMSYSERR_NOERROR, MMSYSERR_NOERROR, MMSYSERR_NOMEM, MMSYSERR_NOMEM,
                               MMSYSERR_NOERROR};
  std::deque<TestBuffer> local;
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    local.emplace_back(16, 0);
    EXPECT_EQ(waveOutPrepareHeader(device, &local.back().header, sizeof(WAVEHDR)), expected[i]);
    EXPECT_EQ((local.back().header.dwFlags & WHDR_PREPARED) != 0, expected[i] == MMSYSERR_NOERROR);
  }
  for (TestBuffer &buffer : local) waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR));
}

TEST_F(WaveOutTest, AStalledDeviceCompletesItsQuotaAndThenNothing) {
  WaveOutFaults faults;
  faults.stallAfterBuffers = 2;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  for (int i = 0; i < 5; ++i) AddBuffer(64);
  WriteAll();
  ASSERT_TRUE(WaitUntil([this] { return DoneCount() == 2; }));
  EXPECT_TRUE(buffers[0].Done());
  EXPECT_TRUE(buffers[1].Done());
  // The event of the second buffer may still be on its way, so the event says
  // nothing here; the flags do. Nothing more may complete in the time the
  // device would take for the rest at its instant pace.
  Sleep(50);
  EXPECT_EQ(DoneCount(), 2);
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_EQ(DoneCount(), 5);
}

TEST_F(WaveOutTest, FaultsAreTakenAtOpenSoLaterChangesLeaveADeviceAlone) {
  WaveOutFaults faults;
  faults.stallAfterBuffers = 0;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  SetWaveOutFaults({});
  AddBuffer(64);
  WriteAll();
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
  EXPECT_EQ(DoneCount(), 0);
}

}  // namespace

namespace {

// /dev/full takes the file's creation and refuses the first data that reaches
// the disk: a sink failing in the middle of a play.
TEST_F(WaveOutTest, ASinkThatFailsReturnsItsQueueAndSaysSo) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("wav:/dev/full"), MMSYSERR_NOERROR);
  for (int i = 0; i < 4; ++i) AddBuffer(8820);        // more than one stdio buffer each
  EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);  // all four queue before the failure
  WriteAll();
  MMTIME time{TIME_SAMPLES, {}};
  EXPECT_EQ(waveOutGetPosition(device, &time, sizeof(time)), MMSYSERR_NOERROR);
  EXPECT_EQ(time.u.sample, 0u);
  ResetEvent(event);
  EXPECT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
  // Once the sink has failed, a write is refused; until then each probe queues
  // behind the rest. The watchdog bounds the wait.
  for (;;) {
    TestBuffer &probe = AddBuffer(2);
    MMRESULT result = waveOutWrite(device, &probe.header, sizeof(WAVEHDR));
    if (result == MMSYSERR_ERROR) break;
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    std::this_thread::yield();
  }
  EXPECT_FALSE(buffers.back().Queued());
  // The failure returned everything queued at once and said so by the event,
  // without a reset; the data of the first buffer could not be stored, so no
  // buffer counts as played.
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(DoneCount(), int(buffers.size()) - 1);
  for (TestBuffer &buffer : buffers) EXPECT_FALSE(buffer.Queued());
  EXPECT_EQ(waveOutGetPosition(device, &time, sizeof(time)), MMSYSERR_NODRIVER);
  EXPECT_EQ(waveOutWrite(device, &buffers[0].header, sizeof(WAVEHDR)), MMSYSERR_ERROR);
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  for (TestBuffer &buffer : buffers) {
    EXPECT_EQ(waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  buffers.clear();
  EXPECT_EQ(waveOutClose(device), MMSYSERR_ERROR);  // closed all the same
  EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);
  device = nullptr;
}

}  // namespace

namespace {

int64_t MillisecondsOf(const std::function<void()> &call) {
  const auto begin = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               begin)
      .count();
}

// An output that stops answering for good, as a frozen sound server does:
// every call comes back within its time-out, the caller may free its buffers
// and open anew while the old playback thread is still blocked, and that
// thread, once it goes on, touches nothing of its former owner.
TEST_F(WaveOutTest, AnOutputThatStopsAnsweringNeverHoldsItsCaller) {
  WaveOutFaults faults;
  faults.frozen = true;
  faults.hangAfterBuffers = 1;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  for (int i = 0; i < 3; ++i) AddBuffer(882);
  WriteAll();
  ASSERT_TRUE(WaitUntil([this] { return buffers[0].Done(); }));
  // The second buffer reaches the sink, which does not return; nothing tells
  // of that but the record, and the watchdog bounds the wait.
  while (record.Buffers() < 2) std::this_thread::yield();
  EXPECT_TRUE(buffers[1].Queued());
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_EQ(DoneCount(), 3);
  for (TestBuffer &buffer : buffers) {
    EXPECT_EQ(waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  buffers.clear();
  // Half a second for the sink to finish, then the handle goes without it.
  MMRESULT closed = MMSYSERR_NOERROR;
  const int64_t closeMs = MillisecondsOf([&] { closed = waveOutClose(device); });
  EXPECT_EQ(closed, MMSYSERR_ERROR);
  EXPECT_LT(closeMs, 3000);
  device = nullptr;

  // A new device opens and plays while the old thread is still blocked.
  faults.hangAfterBuffers = -1;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  AddBuffer(882);
  WriteAll();
  ASSERT_TRUE(WaitUntil([this] { return DoneCount() == 1; }));
  EXPECT_EQ(waveOutUnprepareHeader(device, &buffers[0].header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  buffers.clear();
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  device = nullptr;

  // An open the output never answers fails within its time-out.
  faults.hangOpen = true;
  SetWaveOutFaults(faults);
  MMRESULT opened = MMSYSERR_NOERROR;
  const int64_t openMs = MillisecondsOf([&] { opened = Open("null"); });
  EXPECT_EQ(opened, MMSYSERR_NOTENABLED);
  EXPECT_EQ(device, nullptr);
  EXPECT_LT(openMs, 4000);

  // Thawed, the abandoned threads end; none of them signals a closed owner.
  ResetEvent(event);
  SetWaveOutFaults({});
  EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
}

}  // namespace
