#include "audio/wave_buffer.h"

#include <algorithm>

namespace {

// A fixed block, whose handle is its address on every Windows. The buffers
// were once asked for as LMEM_MOVEABLE (2), which the pocket computer treats
// the same way, but desktop Windows then returns a handle that is no pointer:
// the samples written through it wreck the heap, and the first LocalFree
// crashes.
constexpr UINT kBufferAllocFlags = LMEM_FIXED;
constexpr DWORD kRetryIntervalMs = 50;

}  // namespace

WaveBuffer::WaveBuffer() : data(nullptr), capacity(0), header{}, levels{} {}

WaveBuffer::~WaveBuffer() {
  // The owner unprepares every buffer before it closes the device; a buffer
  // still holding memory here was never registered with a device that lives.
  if (data != nullptr) {
    LocalFree(data);
  }
}

bool WaveBuffer::Prepare(HWAVEOUT device, int32_t bytes) {
  if (data != nullptr) {
    return true;
  }
  capacity = bytes;
  data = static_cast<BYTE *>(LocalAlloc(kBufferAllocFlags, static_cast<UINT>(capacity)));
  if (data == nullptr) {
    return false;
  }
  header.lpData = reinterpret_cast<LPSTR>(data);
  header.dwBufferLength = static_cast<DWORD>(capacity);
  header.dwFlags = 0;
  header.lpNext = nullptr;
  header.reserved = 0;
  if (waveOutPrepareHeader(device, &header, sizeof(header)) != MMSYSERR_NOERROR) {
    LocalFree(data);
    data = nullptr;
    return false;
  }
  header.dwFlags |= WHDR_DONE;
  header.dwUser = kNoPosition;
  return true;
}

bool WaveBuffer::Write(HWAVEOUT device, int32_t bytes) {
  header.dwBufferLength = std::min(static_cast<DWORD>(bytes), static_cast<DWORD>(capacity));
  header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE | WHDR_BEGINLOOP | WHDR_ENDLOOP);
  if (waveOutWrite(device, &header, sizeof(header)) == MMSYSERR_NOERROR) {
    return true;
  }
  // Not queued, so the device will never mark it done.
  header.dwFlags |= WHDR_DONE;
  return false;
}

void WaveBuffer::Unprepare(HWAVEOUT device, int32_t &budgetMs) {
  if (data == nullptr) {
    return;
  }
  MMRESULT result = waveOutUnprepareHeader(device, &header, sizeof(header));
  while (result == WAVERR_STILLPLAYING && budgetMs > 0) {
    Sleep(kRetryIntervalMs);
    budgetMs -= static_cast<int32_t>(kRetryIntervalMs);
    result = waveOutUnprepareHeader(device, &header, sizeof(header));
  }
  LocalFree(data);
  data = nullptr;
}
