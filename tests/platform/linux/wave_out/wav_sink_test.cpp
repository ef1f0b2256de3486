#include <unistd.h>

#include <fstream>
#include <iterator>

#include "tests/platform/linux/wave_out/wave_out_fixture.h"

namespace {

uint32_t Little32(const std::vector<unsigned char> &bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

uint16_t Little16(const std::vector<unsigned char> &bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::vector<unsigned char> ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct WavCase {
  const char *name;
  int channels;
  DWORD rate;
  std::vector<size_t> bufferSamples;
};

class WavSinkFile : public WaveOutTest, public testing::WithParamInterface<WavCase> {};

TEST_P(WavSinkFile, HoldsExactlyWhatWasPlayed) {
  const WavCase &c = GetParam();
  std::string path =
      testing::TempDir() + "wendrel_wav_sink_" + std::to_string(getpid()) + "_" + c.name + ".wav";
  WaveOutFaults faults;
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open(("wav:" + path).c_str(), c.channels, c.rate), MMSYSERR_NOERROR);
  for (size_t samples : c.bufferSamples) AddBuffer(samples);
  WriteAll();
  ASSERT_TRUE(WaitUntil([this] { return DoneCount() == int(buffers.size()); }));
  std::vector<unsigned char> played = record.Bytes();
  for (TestBuffer &buffer : buffers)
    waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR));
  buffers.clear();
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  device = nullptr;

  std::vector<unsigned char> file = ReadFile(path);
  ASSERT_GE(file.size(), 44u);
  uint32_t dataBytes = static_cast<uint32_t>(file.size() - 44);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(Little32(file, 4), 36 + dataBytes);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Little32(file, 16), 16u);
  EXPECT_EQ(Little16(file, 20), 1u);
  EXPECT_EQ(Little16(file, 22), c.channels);
  EXPECT_EQ(Little32(file, 24), c.rate);
  EXPECT_EQ(Little32(file, 28), c.rate * c.channels * 2);
  EXPECT_EQ(Little16(file, 32), c.channels * 2);
  EXPECT_EQ(Little16(file, 34), 16u);
  EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
  EXPECT_EQ(Little32(file, 40), dataBytes);

  // Whole frames of every buffer, in order: what the sink was handed.
  std::vector<unsigned char> expected;
  int16_t first = 0;
  for (size_t samples : c.bufferSamples) {
    TestBuffer buffer(samples, first);
    first = static_cast<int16_t>(first + 1000);
    size_t whole = samples / c.channels * c.channels;
    for (size_t i = 0; i < whole; ++i) {
      expected.push_back(static_cast<unsigned char>(buffer.samples[i] & 0xFF));
      expected.push_back(static_cast<unsigned char>((buffer.samples[i] >> 8) & 0xFF));
    }
  }
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 44, file.end()), expected);
  EXPECT_EQ(played, expected);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Formats, WavSinkFile,
                         testing::Values(WavCase{"Stereo44100", 2, 44100, {8820, 8820, 100}},
                                         WavCase{"Mono8000", 1, 8000, {800, 1, 0, 799}},
                                         WavCase{"StereoPartialFrame", 2, 48000, {9, 4}},
                                         WavCase{"NothingPlayed", 2, 44100, {}}),
                         [](const testing::TestParamInfo<WavCase> &info) {
                           return info.param.name;
                         });

}  // namespace
