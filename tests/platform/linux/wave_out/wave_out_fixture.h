// What the waveform output tests share: buffers with their headers, a device
// opened on a chosen sink, a record of what reached the sink, and a wait for a
// condition on the device's event that fails instead of hanging.
#pragma once

#include <stdlib.h>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "tests/support/watchdog.h"

struct TestBuffer {
  // Never an empty vector: an empty buffer still has data memory, as the
  // player's have.
  TestBuffer(size_t samples, int16_t first) : samples(samples == 0 ? 1 : samples) {
    for (size_t i = 0; i < samples; ++i) this->samples[i] = static_cast<int16_t>(first + i * 7);
    header.lpData = reinterpret_cast<LPSTR>(this->samples.data());
    header.dwBufferLength = static_cast<DWORD>(samples * 2);
  }
  bool Done() const { return (header.dwFlags & WHDR_DONE) != 0; }
  bool Queued() const { return (header.dwFlags & WHDR_INQUEUE) != 0; }

  std::vector<int16_t> samples;
  WAVEHDR header{};
};

// Everything handed to the sink, in order.
struct SinkRecord {
  static void Observe(const void *data, DWORD bytes, void *context) {
    auto *record = static_cast<SinkRecord *>(context);
    std::lock_guard lock(record->mutex);
    const auto *begin = static_cast<const unsigned char *>(data);
    record->bytes.insert(record->bytes.end(), begin, begin + bytes);
    ++record->buffers;
  }
  std::vector<unsigned char> Bytes() {
    std::lock_guard lock(mutex);
    return bytes;
  }
  int Buffers() {
    std::lock_guard lock(mutex);
    return buffers;
  }

  std::mutex mutex;
  std::vector<unsigned char> bytes;
  int buffers = 0;
};

inline WAVEFORMATEX PcmFormat(int channels, DWORD rate) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = rate;
  format.nBlockAlign = static_cast<WORD>(channels * 2);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  format.wBitsPerSample = 16;
  return format;
}

class WaveOutTest : public testing::Test {
 protected:
  void SetUp() override {
    SetWaveOutFaults({});
    SetWaveOutSinkObserver(SinkRecord::Observe, &record);
    event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }

  void TearDown() override {
    if (device != nullptr) {
      EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
      for (TestBuffer &buffer : buffers) {
        EXPECT_EQ(waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR)),
                  MMSYSERR_NOERROR);
      }
      EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    }
    SetWaveOutFaults({});
    SetWaveOutSinkObserver(nullptr, nullptr);
    CloseHandle(event);
    unsetenv("WENDREL_AUDIO");
  }

  MMRESULT Open(const char *audio, int channels = 2, DWORD rate = 44100,
                DWORD flags = CALLBACK_EVENT) {
    setenv("WENDREL_AUDIO", audio, 1);
    WAVEFORMATEX format = PcmFormat(channels, rate);
    return waveOutOpen(&device, 0, &format, reinterpret_cast<DWORD_PTR>(event), 0, flags);
  }

  // Adds a prepared buffer of the given samples.
  TestBuffer &AddBuffer(size_t samples) {
    buffers.emplace_back(samples, static_cast<int16_t>(buffers.size() * 1000));
    TestBuffer &buffer = buffers.back();
    EXPECT_EQ(waveOutPrepareHeader(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    return buffer;
  }

  void WriteAll() {
    for (TestBuffer &buffer : buffers) {
      ASSERT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  }

  int DoneCount() {
    int done = 0;
    for (TestBuffer &buffer : buffers) done += buffer.Done();
    return done;
  }

  // Waits on the device's event, as the player does (reset, look, wait), until
  // condition holds; each wait is bounded so a lost signal fails the test.
  bool WaitUntil(const std::function<bool()> &condition) {
    for (;;) {
      ResetEvent(event);
      if (condition()) return true;
      if (WaitForSingleObject(event, 10000) != WAIT_OBJECT_0) return condition();
    }
  }

  Watchdog watchdog;
  SinkRecord record;
  HANDLE event = nullptr;
  HWAVEOUT device = nullptr;
  std::deque<TestBuffer> buffers;  // stable addresses
};
