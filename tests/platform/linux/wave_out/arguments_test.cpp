#include "tests/platform/linux/wave_out/wave_out_fixture.h"

namespace {

struct OpenCase {
  const char *name;
  void (*edit)(WAVEFORMATEX &format, UINT &deviceId, DWORD &flags);
  MMRESULT expected;
};

const OpenCase kOpenCases[] = {
    {"Good", [](WAVEFORMATEX &, UINT &, DWORD &) {}, MMSYSERR_NOERROR},
    {"Mapper", [](WAVEFORMATEX &, UINT &id, DWORD &) { id = WAVE_MAPPER; }, MMSYSERR_NOERROR},
    {"Mapped", [](WAVEFORMATEX &, UINT &, DWORD &f) { f |= WAVE_MAPPED; }, MMSYSERR_NOERROR},
    {"Mono", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(1, 44100); }, MMSYSERR_NOERROR},
    {"LowestRate", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(2, 1); }, MMSYSERR_NOERROR},
    {"HighestRate", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(2, 384000); },
     MMSYSERR_NOERROR},
    {"RateZero", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(2, 0); }, WAVERR_BADFORMAT},
    {"RateTooHigh", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(2, 384001); },
     WAVERR_BADFORMAT},
    {"ThreeChannels", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(3, 44100); },
     WAVERR_BADFORMAT},
    {"NoChannels", [](WAVEFORMATEX &w, UINT &, DWORD &) { w = PcmFormat(0, 44100); },
     WAVERR_BADFORMAT},
    {"EightBits", [](WAVEFORMATEX &w, UINT &, DWORD &) { w.wBitsPerSample = 8; }, WAVERR_BADFORMAT},
    {"NotPcm", [](WAVEFORMATEX &w, UINT &, DWORD &) { w.wFormatTag = 3; }, WAVERR_BADFORMAT},
    {"BadAlign", [](WAVEFORMATEX &w, UINT &, DWORD &) { w.nBlockAlign = 2; }, WAVERR_BADFORMAT},
    {"BadByteRate", [](WAVEFORMATEX &w, UINT &, DWORD &) { w.nAvgBytesPerSec += 1; },
     WAVERR_BADFORMAT},
    {"SecondDevice", [](WAVEFORMATEX &, UINT &id, DWORD &) { id = 1; }, MMSYSERR_BADDEVICEID},
    {"WindowCallback", [](WAVEFORMATEX &, UINT &, DWORD &f) { f = CALLBACK_WINDOW; },
     MMSYSERR_NOTSUPPORTED},
    {"FunctionCallback", [](WAVEFORMATEX &, UINT &, DWORD &f) { f = CALLBACK_FUNCTION; },
     MMSYSERR_NOTSUPPORTED},
    {"UnknownCallback", [](WAVEFORMATEX &, UINT &, DWORD &f) { f = 0x40000; }, MMSYSERR_INVALFLAG},
    {"UnknownFlag", [](WAVEFORMATEX &, UINT &, DWORD &f) { f |= 0x100; }, MMSYSERR_INVALFLAG},
};

class OpenArguments : public WaveOutTest, public testing::WithParamInterface<OpenCase> {};

TEST_P(OpenArguments, AreCheckedBeforeAnythingOpens) {
  const OpenCase &c = GetParam();
  WAVEFORMATEX format = PcmFormat(2, 44100);
  UINT deviceId = 0;
  DWORD flags = CALLBACK_EVENT;
  c.edit(format, deviceId, flags);
  setenv("WENDREL_AUDIO", "null", 1);
  HWAVEOUT opened = reinterpret_cast<HWAVEOUT>(&format);  // must be overwritten
  EXPECT_EQ(waveOutOpen(&opened, deviceId, &format, reinterpret_cast<DWORD_PTR>(event), 0, flags),
            c.expected);
  if (c.expected == MMSYSERR_NOERROR) {
    EXPECT_EQ(waveOutClose(opened), MMSYSERR_NOERROR);
  } else {
    EXPECT_EQ(opened, nullptr);
  }
  // The same check without opening anything.
  EXPECT_EQ(waveOutOpen(nullptr, deviceId, &format, reinterpret_cast<DWORD_PTR>(event), 0,
                        flags | WAVE_FORMAT_QUERY),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenArguments, testing::ValuesIn(kOpenCases),
                         [](const testing::TestParamInfo<OpenCase> &info) {
                           return info.param.name;
                         });

TEST_F(WaveOutTest, OpenRefusesMissingPointersAndBadEvents) {
  setenv("WENDREL_AUDIO", "null", 1);
  WAVEFORMATEX format = PcmFormat(2, 44100);
  HWAVEOUT opened = nullptr;
  auto eventValue = reinterpret_cast<DWORD_PTR>(event);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &format, eventValue, 0, CALLBACK_EVENT), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutOpen(&opened, 0, nullptr, eventValue, 0, CALLBACK_EVENT), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutOpen(&opened, 0, &format, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALPARAM);
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
  EXPECT_EQ(
      waveOutOpen(&opened, 0, &format, reinterpret_cast<DWORD_PTR>(thread), 0, CALLBACK_EVENT),
      MMSYSERR_INVALPARAM);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(opened, nullptr);
}

TEST_F(WaveOutTest, SinkChoicesThatCannotOpenFailWithAResult) {
  struct Case {
    const char *audio;
    MMRESULT expected;
  };
  for (Case c :
       {Case{"alsa:wendrel-no-such-device", MMSYSERR_NODRIVER}, Case{"bogus", MMSYSERR_NODRIVER},
        Case{"alsa:", MMSYSERR_NODRIVER}, Case{"wav:", MMSYSERR_NODRIVER},
        Case{"wav:/nonexistent-folder/x.wav", MMSYSERR_ERROR}}) {
    SCOPED_TRACE(c.audio);
    EXPECT_EQ(Open(c.audio), c.expected);
    EXPECT_EQ(device, nullptr);
  }
}

TEST_F(WaveOutTest, CallsRefuseBadHandlesAndHeaders) {
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  TestBuffer buffer(16, 0);
  WAVEHDR *header = &buffer.header;
  HWAVEOUT bad = reinterpret_cast<HWAVEOUT>(&buffer);
  for (HWAVEOUT handle : {HWAVEOUT(nullptr), bad}) {
    EXPECT_EQ(waveOutPrepareHeader(handle, header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutUnprepareHeader(handle, header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(handle, header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutPause(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutRestart(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(handle), MMSYSERR_INVALHANDLE);
  }
  EXPECT_EQ(waveOutPrepareHeader(device, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutPrepareHeader(device, header, 32), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutWrite(device, header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
  LPSTR data = header->lpData;
  header->lpData = nullptr;
  EXPECT_EQ(waveOutPrepareHeader(device, header, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
  header->lpData = data;
  EXPECT_EQ(header->dwFlags, 0u);

  // A header prepared twice stays prepared; unpreparing an unprepared one is fine.
  EXPECT_EQ(waveOutPrepareHeader(device, header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutPrepareHeader(device, header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutUnprepareHeader(device, header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutUnprepareHeader(device, header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(header->dwFlags, 0u);

  // A closed device's handle is dead.
  HWAVEOUT closed = device;
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  device = nullptr;
  EXPECT_EQ(waveOutReset(closed), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutClose(closed), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, AQueuedBufferCannotBeWrittenTwice) {
  WaveOutFaults faults;
  faults.stallAfterBuffers = 0;
  SetWaveOutFaults(faults);
  ASSERT_EQ(Open("null"), MMSYSERR_NOERROR);
  TestBuffer &buffer = AddBuffer(64);
  WriteAll();
  EXPECT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutPrepareHeader(device, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

}  // namespace
