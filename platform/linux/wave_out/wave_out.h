// Waveform audio output with the Win32 names, values and results: open a device
// for 16-bit PCM, register buffers, queue them, pause, restart, reset, close.
// Each open device has one playback thread that hands the queued buffers in
// order to a sink chosen at open by the environment variable WENDREL_AUDIO:
// unset or "alsa:default" the sound card, "alsa:NAME" another ALSA device,
// "null" nothing (paced by the clock), "wav:PATH" a 16-bit WAV file (paced by
// the clock; each open starts the file afresh, since the next play may have
// another format). Not for recording, looping or volume control.
//
// A device may stop answering for good (a frozen sound server, a card that
// stopped): no call waits for it without a time-out, and what its playback
// thread still holds outlives the handle.
//
// Threads: every call may come from any thread, but one device's calls are
// expected from one owner at a time. While a buffer is queued (WHDR_INQUEUE) the
// device owns it: the caller must not change or free it until WHDR_DONE is set.
// With CALLBACK_EVENT the event is set after WHDR_DONE has been set on a
// completed buffer, and also at open and at close, as on Win32. Every call
// answers MMSYSERR_INVALHANDLE for a handle that names no open device.
#pragma once

#include <atomic>

#include "platform/linux/win_types.h"

typedef UINT MMRESULT;
typedef CHAR *LPSTR;

#define MMSYSERR_BASE 0
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_BADERRNUM 9
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define MMSYSERR_HANDLEBUSY 12

#define WAVERR_BASE 32
#define WAVERR_BADFORMAT 32
#define WAVERR_STILLPLAYING 33
#define WAVERR_UNPREPARED 34
#define WAVERR_SYNC 35

#define WAVE_MAPPER ((UINT)-1)

#define WAVE_FORMAT_PCM 1

#define CALLBACK_TYPEMASK 0x00070000u
#define CALLBACK_NULL 0x00000000u
#define CALLBACK_WINDOW 0x00010000u
#define CALLBACK_TASK 0x00020000u
#define CALLBACK_THREAD CALLBACK_TASK
#define CALLBACK_FUNCTION 0x00030000u
#define CALLBACK_EVENT 0x00050000u

#define WAVE_FORMAT_QUERY 0x0001u
#define WAVE_ALLOWSYNC 0x0002u
#define WAVE_MAPPED 0x0004u
#define WAVE_FORMAT_DIRECT 0x0008u

#define TIME_MS 0x0001u
#define TIME_SAMPLES 0x0002u
#define TIME_BYTES 0x0004u

#define WHDR_DONE 0x00000001u
#define WHDR_PREPARED 0x00000002u
#define WHDR_BEGINLOOP 0x00000004u
#define WHDR_ENDLOOP 0x00000008u
#define WHDR_INQUEUE 0x00000010u

// Byte-packed as in the Win32 headers (18 bytes); every field still sits at its
// natural alignment.
#pragma pack(push, 1)
typedef struct tWAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
} WAVEFORMATEX, *PWAVEFORMATEX, *LPWAVEFORMATEX;
#pragma pack(pop)
typedef const WAVEFORMATEX *LPCWAVEFORMATEX;

// The flags word of a wave header is changed by the device's playback thread
// while its owner reads it, as on Win32. In C++ that is a data race unless every
// access is atomic, so here the word is a DWORD whose reads and writes are
// atomic; it reads, assigns and combines like a plain DWORD and keeps the
// header trivially copyable.
class WaveHeaderFlags {
 public:
  WaveHeaderFlags() = default;
  constexpr WaveHeaderFlags(DWORD value) : value(value) {}
  WaveHeaderFlags(const WaveHeaderFlags &other) = default;
  WaveHeaderFlags &operator=(const WaveHeaderFlags &other) = default;

  operator DWORD() const { return Atomic().load(std::memory_order_acquire); }
  WaveHeaderFlags &operator=(DWORD bits) {
    Atomic().store(bits, std::memory_order_release);
    return *this;
  }
  WaveHeaderFlags &operator|=(DWORD bits) {
    Atomic().fetch_or(bits, std::memory_order_acq_rel);
    return *this;
  }
  WaveHeaderFlags &operator&=(DWORD bits) {
    Atomic().fetch_and(bits, std::memory_order_acq_rel);
    return *this;
  }

 private:
  std::atomic_ref<DWORD> Atomic() const {
    return std::atomic_ref<DWORD>(const_cast<DWORD &>(value));
  }
  alignas(std::atomic_ref<DWORD>::required_alignment) DWORD value;
};

// The Win32 field list; dwUser and reserved are pointer-sized, so the header is
// larger than 32 bytes on a 64-bit system: pass sizeof(WAVEHDR) as cbwh. While
// a buffer is queued the device links it through lpNext.
typedef struct wavehdr_tag {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  WaveHeaderFlags dwFlags;
  DWORD dwLoops;
  struct wavehdr_tag *lpNext;
  DWORD_PTR reserved;
} WAVEHDR, *PWAVEHDR, *NPWAVEHDR, *LPWAVEHDR;

// A position in the units that wType names; only the Win32 fields that the
// supported units use.
typedef struct mmtime_tag {
  UINT wType;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
    DWORD ticks;
  } u;
} MMTIME, *PMMTIME, *LPMMTIME;

// One device, the sink that WENDREL_AUDIO names.
UINT waveOutGetNumDevs();

// Opens device 0 or WAVE_MAPPER (with or without WAVE_MAPPED) for WAVE_FORMAT_PCM
// with 16 bits per sample, 1 or 2 channels, 1 to 384000 frames per second, a
// block alignment of channels x 2 and the matching average byte rate.
// Notification: CALLBACK_NULL, or CALLBACK_EVENT with an event handle in
// dwCallback. WAVE_FORMAT_QUERY checks the format and opens nothing (phwo may
// then be null). Results: MMSYSERR_NOERROR; MMSYSERR_INVALPARAM (null phwo or
// pwfx, bad event handle); MMSYSERR_BADDEVICEID; MMSYSERR_INVALFLAG (unknown
// bits), MMSYSERR_NOTSUPPORTED (window, thread or function callbacks);
// WAVERR_BADFORMAT (also a rate the sound card refuses); MMSYSERR_NOMEM;
// MMSYSERR_ALLOCATED (device busy); MMSYSERR_NODRIVER (no sound card, unknown
// ALSA device, unknown WENDREL_AUDIO); MMSYSERR_ERROR (WAV file not creatable);
// MMSYSERR_NOTENABLED when the output does not answer within a second and a
// half (a frozen sound server): the attempt is abandoned and closes itself
// whenever the output answers, so a later open can succeed.
MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR dwInstance, DWORD fdwOpen);

// Fails with WAVERR_STILLPLAYING while buffers are queued. Otherwise the handle
// is gone after the call; MMSYSERR_ERROR then says the sink could not finish
// (a WAV file whose sizes could not be written, say), or, for an output that
// may block (ALSA), that it did not finish within half a second: it is then
// released whenever it answers, without the caller. An ALSA stream that
// closed in good order stays open for up to half a second more, for an open
// of the same output and format to take over, so that a restart leaves no
// hole of silence; nothing of it is heard meanwhile.
MMRESULT waveOutClose(HWAVEOUT hwo);

// Sets WHDR_PREPARED (other flags untouched). A prepared header stays prepared.
// MMSYSERR_INVALPARAM for a null header or data, or cbwh other than
// sizeof(WAVEHDR).
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);

// Clears WHDR_PREPARED; WAVERR_STILLPLAYING while the device holds the buffer.
// An unprepared header is left as it is and succeeds.
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);

// Queues dwBufferLength bytes (whole frames; a partial frame at the end is not
// played): clears WHDR_DONE, sets WHDR_INQUEUE. WAVERR_UNPREPARED for an
// unprepared header, WAVERR_STILLPLAYING for one already queued, MMSYSERR_ERROR
// once the sink has failed for good (a card that went away, a sound server
// that died, a full disk): the buffer is then not queued. At that failure every
// queued buffer comes back at once, WHDR_DONE set, and the event is set, so
// the owner learns of it from its next write or waveOutGetPosition.
//
// A buffer is done once it has been handed to the sink, except the last one
// queued on a sound card, which is done once the card has played it (within
// two seconds): the end of a play is heard whole before its owner closes.
MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);

// Holds playback: no buffer completes until waveOutRestart. Pausing a paused
// device, or restarting a running one, changes nothing.
MMRESULT waveOutPause(HWAVEOUT hwo);
MMRESULT waveOutRestart(HWAVEOUT hwo);

// Stops at once: every queued buffer comes back with WHDR_DONE set and
// WHDR_INQUEUE cleared before this returns, and the event is set. A paused
// device stays paused.
MMRESULT waveOutReset(HWAVEOUT hwo);

// The frames of the buffers completed since the open or the last reset, in
// TIME_SAMPLES, TIME_MS or (for any other wType, which is changed to it)
// TIME_BYTES. MMSYSERR_NODRIVER once the sink has failed for good;
// MMSYSERR_INVALPARAM for a null pmmt or cbmmt other than sizeof(MMTIME).
MMRESULT waveOutGetPosition(HWAVEOUT hwo, LPMMTIME pmmt, UINT cbmmt);
