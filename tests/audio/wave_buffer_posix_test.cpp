#include "audio/wave_buffer.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/linux/wave_out/wave_out_faults.h"
#include "tests/audio/instant_null_output.h"

namespace {

class WaveBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseInstantNullOutput(&Observe, this);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 44100;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 88200;
    format.wBitsPerSample = 16;
    done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(waveOutOpen(&device, 0, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT), MMSYSERR_NOERROR);
  }
  void TearDown() override {
    waveOutReset(device);
    int32_t budget = 0;
    for (WaveBuffer &buffer : buffers) {
      buffer.Unprepare(device, budget);
    }
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    CloseHandle(done);
    ReleaseInstantNullOutput();
  }

  static void Observe(const void *, DWORD bytes, void *context) {
    static_cast<WaveBufferTest *>(context)->sinkBytes += bytes;
  }

  // Waits, on the device's event, until buffer is done.
  void WaitDone(WaveBuffer &buffer) {
    while ((buffer.header.dwFlags & WHDR_DONE) == 0) {
      ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0) << "the device never finished the buffer";
      ResetEvent(done);
    }
  }

  HWAVEOUT device = nullptr;
  HANDLE done = nullptr;
  WaveBuffer buffers[2];
  std::atomic<DWORD> sinkBytes{0};
};

TEST_F(WaveBufferTest, PrepareRegistersAFreeBufferWithoutAPosition) {
  WaveBuffer &buffer = buffers[0];
  ASSERT_TRUE(buffer.Prepare(device, 400));
  ASSERT_NE(buffer.data, nullptr);
  EXPECT_EQ(buffer.capacity, 400);
  EXPECT_EQ(buffer.header.lpData, reinterpret_cast<LPSTR>(buffer.data));
  EXPECT_EQ(buffer.header.dwBufferLength, 400u);
  EXPECT_EQ(buffer.header.dwFlags & (WHDR_DONE | WHDR_PREPARED), WHDR_DONE | WHDR_PREPARED);
  EXPECT_EQ(buffer.header.dwUser, WaveBuffer::kNoPosition);
  EXPECT_EQ(buffer.levels.count, 0);
}

TEST_F(WaveBufferTest, PrepareOnAPreparedBufferChangesNothing) {
  WaveBuffer &buffer = buffers[0];
  ASSERT_TRUE(buffer.Prepare(device, 400));
  BYTE *data = buffer.data;
  buffer.header.dwUser = 1234;
  EXPECT_TRUE(buffer.Prepare(device, 800));
  EXPECT_EQ(buffer.data, data);
  EXPECT_EQ(buffer.capacity, 400);
  EXPECT_EQ(buffer.header.dwUser, 1234u);
}

TEST_F(WaveBufferTest, AFailedPrepareLeavesNoMemory) {
  WaveOutFaults faults;
  faults.preparesBeforeFailure = 0;
  SetWaveOutFaults(faults);
  EXPECT_FALSE(buffers[0].Prepare(device, 400));
  EXPECT_EQ(buffers[0].data, nullptr);
  // The fault was for one call: the next one succeeds.
  EXPECT_TRUE(buffers[0].Prepare(device, 400));
}

TEST_F(WaveBufferTest, WriteQueuesAtMostTheCapacity) {
  struct Case {
    int32_t bytes;
    DWORD queued;
  };
  WaveBuffer &buffer = buffers[0];
  ASSERT_TRUE(buffer.Prepare(device, 400));
  DWORD total = 0;
  for (Case c : {Case{100, 100}, Case{400, 400}, Case{401, 400}, Case{100000, 400}, Case{-1, 400}}) {
    SCOPED_TRACE(c.bytes);
    buffer.header.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
    waveOutPause(device);
    buffer.Write(device, c.bytes);
    EXPECT_EQ(buffer.header.dwBufferLength, c.queued);
    EXPECT_EQ(buffer.header.dwFlags & (WHDR_DONE | WHDR_BEGINLOOP | WHDR_ENDLOOP), 0u);
    waveOutRestart(device);
    WaitDone(buffer);
    total += c.queued;
  }
  EXPECT_EQ(sinkBytes.load(), total);
}

TEST_F(WaveBufferTest, UnprepareRetriesWithinASharedBudgetAndFreesAnyway) {
  struct Case {
    int32_t budget;
    int32_t afterFirst;  // 50 ms is taken per retry while the budget is above 0
  };
  for (Case c : {Case{0, 0}, Case{50, 0}, Case{120, -30}}) {
    SCOPED_TRACE(c.budget);
    waveOutPause(device);
    for (WaveBuffer &buffer : buffers) {
      ASSERT_TRUE(buffer.Prepare(device, 400));
      buffer.Write(device, 400);
    }
    int32_t budget = c.budget;
    buffers[0].Unprepare(device, budget);
    EXPECT_EQ(budget, c.afterFirst);
    EXPECT_EQ(buffers[0].data, nullptr);
    buffers[1].Unprepare(device, budget);
    EXPECT_EQ(budget, c.afterFirst) << "the second buffer got a budget of its own";
    EXPECT_EQ(buffers[1].data, nullptr);
    int32_t untouched = 70;
    buffers[1].Unprepare(device, untouched);
    EXPECT_EQ(untouched, 70);
    waveOutReset(device);
    waveOutRestart(device);
  }
}

TEST_F(WaveBufferTest, UnprepareOfAReturnedBufferNeedsNoBudget) {
  WaveBuffer &buffer = buffers[0];
  ASSERT_TRUE(buffer.Prepare(device, 400));
  buffer.Write(device, 400);
  WaitDone(buffer);
  int32_t budget = 1000;
  buffer.Unprepare(device, budget);
  EXPECT_EQ(budget, 1000);
  EXPECT_EQ(buffer.data, nullptr);
}

}  // namespace
