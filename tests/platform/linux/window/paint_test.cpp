#include <clocale>
#include <map>
#include <string>

#include "platform/linux/window/paint.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

// Each window paints its own lines at the top-left of its client area.
class Paint : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      ++paints[hwnd];
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      int row = 0;
      for (const std::wstring &line : lines[hwnd]) PaintText(hdc, row++, 0, line);
      EndPaint(hwnd, &ps);
      return 0;
    };
  }
  std::wstring Row(int row) { return DumpScreen().at(static_cast<size_t>(row)); }

  std::map<HWND, std::vector<std::wstring>> lines;
  std::map<HWND, int> paints;
};

TEST_F(Paint, TheTitleRowShowsTheMainWindowsTitleAndTheClientAreaItsText) {
  HWND main = TopLevel();
  lines[main] = {L"Frequency 1", L"Amplitude 1"};
  InvalidateRect(main, nullptr, TRUE);
  std::vector<std::wstring> screen = DumpScreen();
  ASSERT_EQ(screen.size(), 12u);
  EXPECT_EQ(screen[0], L" Wendrel" + std::wstring(32, L' '));
  EXPECT_EQ(ScreenAttributesAt(1, 0), kCellInverse);
  EXPECT_EQ(screen[1].substr(0, 12), L"Frequency 1 ");
  EXPECT_EQ(screen[2].substr(0, 11), L"Amplitude 1");
  EXPECT_EQ(screen[3], std::wstring(40, L' '));
}

TEST_F(Paint, TextIsClippedToTheClientAreaOfItsWindow) {
  HWND main = TopLevel();
  HWND child = Child(main, 110, 16, 13, 40, 26);  // 5 × 2 cells at column 2, row 2
  lines[child] = {L"abcdefgh", L"ij", L"hidden"};
  InvalidateRect(child, nullptr, TRUE);
  EXPECT_EQ(Row(2).substr(0, 9), L"  abcde  ");
  EXPECT_EQ(Row(3).substr(0, 9), L"  ij     ");
  EXPECT_EQ(Row(4).substr(0, 9), std::wstring(9, L' '));
  // Not invalidated with erase: what was drawn stays under the new drawing.
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(child, &ps);
  EXPECT_FALSE(ps.fErase);
  EXPECT_EQ(PaintText(hdc, 0, -2, L"xyz"), 1);  // only "z" lands, at column 0
  PaintFill(hdc, 1, 3, 5, 5, L'#', kCellInverse);
  EndPaint(child, &ps);
  EXPECT_EQ(Row(2).substr(0, 9), L"  zbcde  ");
  EXPECT_EQ(Row(3).substr(0, 9), L"  ij ##  ");
  EXPECT_EQ(ScreenAttributesAt(5, 3), kCellInverse);
  EXPECT_EQ(ScreenAttributesAt(7, 3), kCellNormal);
}

TEST_F(Paint, PopUpsAreDrawnAboveTheMainWindowAndChildrenAboveTheirParent) {
  HWND main = TopLevel();
  lines[main] = {std::wstring(40, L'm'), std::wstring(40, L'm'), std::wstring(40, L'm'),
                 std::wstring(40, L'm'), std::wstring(40, L'm')};
  HWND child = Child(main, 1, 0, 0, 24, 13);
  lines[child] = {L"kid"};
  HWND dialog = PopUp(16, 13, 80, 52, WS_CAPTION | WS_VISIBLE, main, L"Edit");  // 10 × 4 cells at (2, 1)
  lines[dialog] = {L"12345678"};
  std::vector<std::wstring> screen = DumpScreen();
  EXPECT_EQ(screen[1].substr(0, 14), L"ki Edit     mm");
  EXPECT_EQ(screen[2].substr(0, 14), L"mm\x2502" L"12345678\x2502mm");
  EXPECT_EQ(screen[3].substr(0, 14), L"mm\x2502        \x2502mm");
  EXPECT_EQ(screen[4].substr(0, 14), L"mm\x2514\x2500\x2500\x2500\x2500\x2500\x2500\x2500\x2500\x2518mm");
  EXPECT_EQ(screen[5].substr(0, 14), L"mmmmmmmmmmmmmm");
  EXPECT_EQ(ScreenAttributesAt(3, 1), kCellInverse);

  // Hiding the pop-up shows the main window again without repainting it.
  int mainPaints = paints[main];
  ShowWindow(dialog, SW_HIDE);
  screen = DumpScreen();
  EXPECT_EQ(screen[2].substr(0, 14), L"mmmmmmmmmmmmmm");
  EXPECT_EQ(paints[main], mainPaints);
}

TEST_F(Paint, TopmostWindowsStayAboveLaterOnes) {
  HWND main = TopLevel();
  HWND menu = PopUp(0, 13, 40, 13, WS_VISIBLE, main, L"", WS_EX_TOPMOST | WS_EX_NOACTIVATE);
  lines[menu] = {L"MENU!"};
  HWND later = PopUp(0, 13, 80, 13, WS_VISIBLE, main);
  lines[later] = {L"later---->"};
  EXPECT_EQ(Row(1).substr(0, 10), L"MENU!---->");
  EXPECT_EQ(GetWindow(later, GW_HWNDNEXT), main);
  EXPECT_EQ(GetWindow(main, GW_HWNDFIRST), menu);
}

TEST_F(Paint, InvalidWindowsArePaintedByTheLoopBeforeItWaits) {
  HWND main = TopLevel();
  Pump();
  paints.clear();
  InvalidateRect(main, nullptr, FALSE);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, main);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // handed out means validated
  DispatchMessageW(&msg);
  EXPECT_EQ(paints[main], 1);
}

TEST_F(Paint, UpdateWindowPaintsAtOnceAndDefaultPaintingBlanksTheClientArea) {
  HWND main = TopLevel();
  lines[main] = {L"before"};
  UpdateWindow(main);
  EXPECT_EQ(paints[main], 1);
  EXPECT_EQ(Row(1).substr(0, 6), L"before");
  g_handler = nullptr;  // DefWindowProcW paints: an erased client area
  InvalidateRect(main, nullptr, TRUE);
  UpdateWindow(main);
  EXPECT_EQ(Row(1).substr(0, 6), L"      ");
  EXPECT_TRUE(ValidateRect(main, nullptr));
}

TEST_F(Paint, WithoutUtf8FramesUseAscii) {
  StartHeadlessScreen(20, 6, false);
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  EXPECT_FALSE(ScreenIsUtf8());
  PopUp(0, 13, 48, 39, WS_BORDER | WS_VISIBLE, nullptr);
  std::vector<std::wstring> screen = DumpScreen();
  EXPECT_EQ(screen[1].substr(0, 6), L"+----+");
  EXPECT_EQ(screen[2].substr(0, 6), L"|    |");
  EXPECT_EQ(screen[3].substr(0, 6), L"+----+");
}

// While a wave device plays, the right end of the bottom row (the terminal's
// own) says so and for how long, as far as the device has played: in ASCII on
// a terminal that is not UTF-8; nothing while it is paused or once closed.
TEST_F(Paint, TheBottomRowSaysWhileAWaveDevicePlays) {
  StartHeadlessScreen(20, 6, false);
  setenv("WENDREL_AUDIO", "null", 1);  // paced in real time, no card
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT),
            MMSYSERR_NOERROR);
  std::vector<int16_t> samples(4410);  // a tenth of a second
  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(samples.data());
  header.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
  ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
  // The event is also set by the open; each wait is bounded, so that a
  // device that never completes fails the test.
  while ((header.dwFlags & WHDR_DONE) == 0) {
    ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    ResetEvent(done);
  }
  EXPECT_EQ(DumpScreen().back(), std::wstring(12, L' ') + L"> 0.1 s ");
  waveOutPause(device);
  EXPECT_EQ(DumpScreen().back(), std::wstring(20, L' '));
  waveOutRestart(device);
  EXPECT_EQ(DumpScreen().back(), std::wstring(12, L' ') + L"> 0.1 s ");
  waveOutUnprepareHeader(device, &header, sizeof header);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  EXPECT_EQ(DumpScreen().back(), std::wstring(20, L' '));
  CloseHandle(done);
  unsetenv("WENDREL_AUDIO");
}

TEST_F(Paint, TheCursorShowsTheFocusedWindowsCaretOnly) {
  HWND main = TopLevel();
  HWND edit = Child(main, 100, 16, 26, 80, 13);
  HWND other = Child(main, 101, 16, 52, 80, 13);
  SetCaretCell(edit, 0, 3);
  SetFocus(edit);
  DumpScreen();
  int column = -1;
  int row = -1;
  ASSERT_TRUE(ScreenCursor(&column, &row));
  EXPECT_EQ(column, 5);  // 2 + 3
  EXPECT_EQ(row, 3);     // title row + 2
  SetCaretCell(edit, 0, 10);  // outside the box: hidden
  DumpScreen();
  EXPECT_FALSE(ScreenCursor(&column, &row));
  SetCaretCell(edit, 0, 0);
  SetFocus(other);
  DumpScreen();
  EXPECT_FALSE(ScreenCursor(&column, &row));
}

TEST_F(Paint, DoubleWidthCharactersTakeTwoCellsAndAreNeverSplit) {
  struct Utf8Locale {
    std::string saved = setlocale(LC_CTYPE, nullptr);
    bool ok = setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    ~Utf8Locale() { setlocale(LC_CTYPE, saved.c_str()); }
  } locale;
  if (!locale.ok || CharacterColumns(L'\x4e2d') != 2) GTEST_SKIP() << "no UTF-8 locale here";
  HWND main = TopLevel();
  HWND child = Child(main, 1, 0, 0, 40, 13);  // 5 cells
  lines[child] = {L"a\x4e2d\x6587z"};          // widths 1 2 2 1: "z" does not fit
  EXPECT_EQ(Row(1).substr(0, 6), L"a\x4e2d\x6587   ");
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(child, &ps);
  PaintText(hdc, 0, 2, L"x");  // lands on the right half of the first wide one
  EndPaint(child, &ps);
  EXPECT_EQ(Row(1).substr(0, 6), L"a x\x6587  ");
}

TEST_F(Paint, ClientCellsAndDrawingOnDeadWindowsAreHarmless) {
  HWND main = TopLevel();
  HWND child = Child(main, 1, 0, 0, 80, 26);
  EXPECT_EQ(GetClientCells(child).columns, 10);
  EXPECT_EQ(GetClientCells(child).rows, 2);
  HDC hdc = GetDC(child);
  DestroyWindow(child);
  PaintText(hdc, 0, 0, L"ghost");
  PaintFill(hdc, 0, 0, 1, 1);
  EXPECT_EQ(GetClientCells(child).columns, 0);
  EXPECT_EQ(TextColumns(L"ab\t"), 2);
}

}  // namespace
