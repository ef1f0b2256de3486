#include "platform/linux/wave_out/wav_sink.h"

#include <array>
#include <cassert>
#include <cstring>

namespace {

constexpr uint32_t kHeaderBytes = 44;
// The RIFF size field must still hold the data size plus the rest of the header.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void PutLittle16(unsigned char *out, uint32_t value) {
  out[0] = static_cast<unsigned char>(value);
  out[1] = static_cast<unsigned char>(value >> 8);
}

void PutLittle32(unsigned char *out, uint32_t value) {
  PutLittle16(out, value & 0xFFFF);
  PutLittle16(out + 2, value >> 16);
}

std::array<unsigned char, kHeaderBytes> MakeHeader(const SinkFormat &format, uint32_t dataBytes) {
  std::array<unsigned char, kHeaderBytes> header{};
  uint32_t blockAlign = static_cast<uint32_t>(format.channels) * 2;
  std::memcpy(&header[0], "RIFF", 4);
  PutLittle32(&header[4], dataBytes + (kHeaderBytes - 8));
  std::memcpy(&header[8], "WAVEfmt ", 8);
  PutLittle32(&header[16], 16);
  PutLittle16(&header[20], 1);  // PCM
  PutLittle16(&header[22], static_cast<uint32_t>(format.channels));
  PutLittle32(&header[24], static_cast<uint32_t>(format.sampleRate));
  PutLittle32(&header[28], static_cast<uint32_t>(format.sampleRate) * blockAlign);
  PutLittle16(&header[32], blockAlign);
  PutLittle16(&header[34], 16);
  std::memcpy(&header[36], "data", 4);
  PutLittle32(&header[40], dataBytes);
  return header;
}

bool IsLittleEndianHost() {
  const uint16_t probe = 1;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

}  // namespace

std::unique_ptr<WavSink> WavSink::Create(const std::string &path, const SinkFormat &format) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return nullptr;
  auto header = MakeHeader(format, 0);
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<WavSink>(new WavSink(file, format));
}

WavSink::~WavSink() {
  if (file != nullptr) std::fclose(file);
}

bool WavSink::Write(const int16_t *samples, uint32_t frames, const std::atomic<bool> &) {
  assert(file != nullptr);
  if (failed) return false;
  uint64_t bytes = uint64_t(frames) * uint64_t(format.channels) * 2;
  // Past 4 GiB the header could no longer describe the file: stop there and
  // keep what is written readable.
  if (dataBytes + bytes > kMaxDataBytes) {
    failed = true;
    return false;
  }
  size_t count = size_t(frames) * size_t(format.channels);
  size_t written = 0;
  if (IsLittleEndianHost()) {
    written = std::fwrite(samples, 2, count, file);
  } else {
    for (size_t i = 0; i < count; ++i) {
      unsigned char pair[2];
      PutLittle16(pair, static_cast<uint16_t>(samples[i]));
      if (std::fwrite(pair, 1, 2, file) != 2) break;
      ++written;
    }
  }
  dataBytes += uint64_t(written) * 2;
  if (written != count) failed = true;
  return !failed;
}

bool WavSink::Finish() {
  assert(file != nullptr);
  auto header = MakeHeader(format, static_cast<uint32_t>(dataBytes));
  bool ok = std::fflush(file) == 0 && std::fseek(file, 0, SEEK_SET) == 0 &&
            std::fwrite(header.data(), 1, header.size(), file) == header.size();
  ok = std::fclose(file) == 0 && ok;
  file = nullptr;
  return ok && !failed;
}
