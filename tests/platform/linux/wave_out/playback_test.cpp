#include <chrono>
#include <cstring>

#include "tests/platform/linux/wave_out/wave_out_fixture.h"

namespace {

std::vector<unsigned char> BytesOf(const std::deque<TestBuffer> &buffers) {
  std::vector<unsigned char> bytes;
  for (const TestBuffer &buffer : buffers) {
    const auto *begin = reinterpret_cast<const unsigned char *>(buffer.samples.data());
    bytes.insert(bytes.end(), begin, begin + buffer.header.dwBufferLength);
  }
  return bytes;
}

struct SinkCase {
  const char *name;
  const char *audio;
  bool instant;
  size_t samplesPerBuffer;
};

class CompletesInOrder : public WaveOutTest, public testing::WithParamInterface<SinkCase> {};

TEST_P(CompletesInOrder, MarksEachDoneAndSetsTheEvent) {
  const SinkCase &c = GetParam();
  WaveOutFaults faults;
  faults.instantPacing = c.instant;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open(c.audio), MMSYSERR_NOERROR);
  for (int i = 0; i < 6; ++i) {
    TestBuffer &buffer = AddBuffer(c.samplesPerBuffer);
    EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED);
  }
  const auto begin = std::chrono::steady_clock::now();
  WriteAll();
  // Done buffers always form a prefix of the queue, and none is both done and
  // queued.
  ASSERT_TRUE(WaitUntil([this] {
    bool gap = false;
    for (TestBuffer &buffer : buffers) {
      DWORD flags = buffer.header.dwFlags;
      EXPECT_NE(flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE | WHDR_INQUEUE);
      if (!(flags & WHDR_DONE))
        gap = true;
      else
        EXPECT_FALSE(gap) << "a later buffer finished before an earlier one";
    }
    return DoneCount() == 6;
  }));
  for (TestBuffer &buffer : buffers) EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
  if (!c.instant) {
    // No sooner than the sound lasts (stereo at 44100 Hz): a sink that takes
    // everything at once, as ALSA's null device does, must not make the
    // device race through its buffers.
    const auto heard = std::chrono::microseconds(6 * c.samplesPerBuffer / 2 * 1000000 / 44100);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, heard * 9 / 10);
  }
  EXPECT_EQ(record.Bytes(), BytesOf(buffers));
  EXPECT_EQ(record.Buffers(), 6);
}

INSTANTIATE_TEST_SUITE_P(Sinks, CompletesInOrder,
                         testing::Values(SinkCase{"NullInstant", "null", true, 4410 * 2},
                                         // Paced by the clock: six buffers of 2 ms.
                                         SinkCase{"NullPaced", "null", false, 88 * 2},
                                         // The real ALSA path, through ALSA's own null device.
                                         SinkCase{"AlsaNull", "alsa:null", false, 4410 * 2}),
                         [](const testing::TestParamInfo<SinkCase> &info) {
                           return info.param.name;
                         });

TEST_F(WaveOutTest, AFinishedBufferCanBeWrittenAgain) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null", 1), MMSYSERR_NOERROR);
  TestBuffer &buffer = AddBuffer(100);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(WaitUntil([&buffer] { return buffer.Done(); }));
  }
  EXPECT_EQ(record.Buffers(), 3);
}

TEST_F(WaveOutTest, ResetReturnsEveryQueuedBufferDoneAtOnce) {
  WaveOutFaults faults;
  faults.stallAfterBuffers = 0;  // nothing would ever complete by itself
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  for (int i = 0; i < 4; ++i) AddBuffer(4410 * 2);
  WriteAll();
  for (TestBuffer &buffer : buffers) {
    EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    EXPECT_EQ(waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  }
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);

  ResetEvent(event);
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  for (TestBuffer &buffer : buffers) EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  // The fixture's tear-down unprepares and closes: both must now succeed.
}

TEST_F(WaveOutTest, ResetWhilePlayingLeavesNothingQueued) {
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);  // paced: 100 ms a buffer
  for (int i = 0; i < 5; ++i) AddBuffer(4410 * 2);
  WriteAll();
  ASSERT_TRUE(WaitUntil([this] { return record.Buffers() >= 1; }));
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  for (TestBuffer &buffer : buffers) EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
  // Playing goes on normally after a reset.
  TestBuffer &again = buffers.front();
  ASSERT_EQ(waveOutWrite(device, &again.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitUntil([&again] { return again.Done(); }));
}

TEST_F(WaveOutTest, PauseHoldsCompletionUntilRestart) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);  // twice is once
  for (int i = 0; i < 3; ++i) AddBuffer(64);
  WriteAll();
  ResetEvent(event);
  // Nothing can be signalled while paused; a short bounded wait shows none is.
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
  EXPECT_EQ(DoneCount(), 0);
  EXPECT_EQ(record.Buffers(), 0);

  EXPECT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitUntil([this] { return DoneCount() == 3; }));
  EXPECT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);  // running already
  EXPECT_EQ(record.Bytes(), BytesOf(buffers));
}

TEST_F(WaveOutTest, APausedDeviceStaysPausedThroughAReset) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
  TestBuffer &buffer = AddBuffer(64);
  WriteAll();
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_TRUE(buffer.Done());
  ASSERT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
  EXPECT_FALSE(buffer.Done());
  EXPECT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitUntil([&buffer] { return buffer.Done(); }));
}

TEST_F(WaveOutTest, OpenAndCloseEachSetTheEvent) {
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ResetEvent(event);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  device = nullptr;
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
}

TEST_F(WaveOutTest, PartialFramesAndEmptyBuffersPlayNothingButStillComplete) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null", 2), MMSYSERR_NOERROR);
  TestBuffer &odd = AddBuffer(7);  // three whole stereo frames and half of one
  TestBuffer &empty = AddBuffer(2);
  empty.header.dwBufferLength = 0;
  WriteAll();
  ASSERT_TRUE(WaitUntil([&] { return odd.Done() && empty.Done(); }));
  std::vector<unsigned char> expected(reinterpret_cast<unsigned char *>(odd.samples.data()),
                                      reinterpret_cast<unsigned char *>(odd.samples.data()) + 12);
  EXPECT_EQ(record.Bytes(), expected);
}

TEST_F(WaveOutTest, AnOpenWithoutAnEventStillPlays) {
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  setenv("WENDREL_AUDIO", "null", 1);
  WAVEFORMATEX format = PcmFormat(1, 8000);
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  TestBuffer &buffer = AddBuffer(80);
  WriteAll();
  // No event to wait on: the watchdog bounds this.
  while (!buffer.Done()) std::this_thread::yield();
  EXPECT_EQ(record.Buffers(), 1);
}

}  // namespace
