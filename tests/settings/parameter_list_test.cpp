#include "settings/parameter_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_screen.h"

namespace {

constexpr DWORD kListStyle = 0x50004001;  // WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER
constexpr int kListId = 110;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Row {
  std::wstring label;
  std::wstring value;
  LPARAM code;
  bool selected;
  bool operator==(const Row &) const = default;
};

void PrintTo(const Row &row, std::ostream *os) {
  *os << "{" << testing::PrintToString(row.label) << ", " << testing::PrintToString(row.value) << ", 0x"
      << std::hex << row.code << (row.selected ? ", selected}" : "}");
}

// The list view on the in-memory screen, inside a plain parent window, as the
// main window holds it.
class ParameterListTest : public testing::Test {
 protected:
  void SetUp() override {
    StartHeadlessScreen(80, 24);
    InitCommonControls();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = L"ParameterListTestParent";
    ASSERT_NE(RegisterClassW(&wc), 0);
    parent = CreateWindowExW(0, L"ParameterListTestParent", L"Wendrel", WS_POPUP | WS_VISIBLE, 0, 0, 640, 260,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    list = CreateWindowExW(0, L"SysListView32", nullptr, kListStyle, 0, 0, 637, 260, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
  }

  void TearDown() override {
    if (parent != nullptr) {
      DestroyWindow(parent);
    }
    // A class outlives its windows on Windows; the next test registers it anew.
    UnregisterClassW(L"ParameterListTestParent", nullptr);
    StopScreen();
  }

  std::wstring CellText(int row, int subItem) {
    WCHAR text[kRowTextLength] = L"";
    LVITEMW item = {};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = int(kRowTextLength);
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item = {};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      EXPECT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      bool selected = (SendMessageW(list, LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED) & LVIS_SELECTED) != 0;
      rows.push_back({CellText(i, 0), CellText(i, 1), item.lParam, selected});
    }
    return rows;
  }

  void Select(int row) {
    LVITEMW item = {};
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    ASSERT_TRUE(SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
  }

  int SelectedCount() { return int(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)); }

  HWND parent = nullptr;
  HWND list = nullptr;
};

TEST_F(ParameterListTest, SetUpAddsTwoColumnsAndTheDefaultRow) {
  ToneSettings settings;
  SetUpParameterList(list, settings);
  RECT client = {};
  ASSERT_TRUE(GetClientRect(list, &client));
  int width = int(client.right);
  // A width whose 70 % is not whole, so that rounding instead of cutting shows.
  ASSERT_EQ(width % 10, 7);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), width * 70 / 100);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), width - width * 70 / 100);
  for (int column = 0; column < 2; ++column) {
    WCHAR title[16] = L"unchanged";
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    lvc.pszText = title;
    lvc.cchTextMax = 16;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&lvc)));
    EXPECT_EQ(lvc.fmt, LVCFMT_LEFT);
    EXPECT_EQ(lvc.iSubItem, column);
    EXPECT_EQ(std::wstring(title), L"");
  }
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"Sine 1 Frequency", L"1000.00Hz", 0x100, false}}));
}

TEST_F(ParameterListTest, FillShowsTheRowsOfATwoToneStereoSweep) {
  ToneSettings settings;
  settings.flags = kFlagStereo | kFlagSweep | kFlagDuration | kFlagVariableAmplitude;
  settings.toneCount = 2;
  settings.leftEndHz[0] = 2000.0;
  settings.rightStartHz[1] = 440.0;
  settings.amplitudeDb[0] = -3;
  SetUpParameterList(list, settings);
  EXPECT_EQ(Rows(), (std::vector<Row>{
                        {L"Sine 1 Start Left Frequency", L"1000.00Hz", 0x100, false},
                        {L"Sine 1 End Left Frequency", L"2000.00Hz", 0x300, false},
                        {L"Sine 1 Start Right Frequency", L"1000.00Hz", 0x200, false},
                        {L"Sine 1 End Right Frequency", L"1000.00Hz", 0x400, false},
                        {L"Sine 1 Relative Amplitude", L"-3dB", 0x500, false},
                        {L"Sine 2 Start Left Frequency", L"1000.00Hz", 0x101, false},
                        {L"Sine 2 End Left Frequency", L"1000.00Hz", 0x301, false},
                        {L"Sine 2 Start Right Frequency", L"440.00Hz", 0x201, false},
                        {L"Sine 2 End Right Frequency", L"1000.00Hz", 0x401, false},
                        {L"Sine 2 Relative Amplitude", L"0dB", 0x501, false},
                        {L"Sine Duration", L"1000ms", 0x600, false},
                    }));
}

TEST_F(ParameterListTest, RefillReplacesEveryRowAndDropsTheSelection) {
  ToneSettings settings;
  settings.toneCount = 3;
  SetUpParameterList(list, settings);
  Select(0);
  Select(2);
  ASSERT_EQ(SelectedCount(), 2);

  struct Case {
    const char *what;
    uint16_t flags;
    uint8_t waveform;
    std::vector<Row> rows;
  } const cases[] = {
      {"white noise with a duration",
       kFlagDuration | kFlagStereo,
       kWaveformWhiteNoise,
       {{L"White Noise Duration", L"1000ms", 0x600, false}}},
      {"pink noise without a duration", kFlagStereo | kFlagVariableAmplitude, kWaveformPinkNoise, {}},
      {"three mono tones",
       0,
       kWaveformSawTooth,
       {{L"Saw Tooth 1 Frequency", L"1000.00Hz", 0x100, false},
        {L"Saw Tooth 2 Frequency", L"1000.00Hz", 0x101, false},
        {L"Saw Tooth 3 Frequency", L"1000.00Hz", 0x102, false}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    settings.flags = c.flags;
    settings.waveform = c.waveform;
    FillParameterList(list, settings);
    EXPECT_EQ(Rows(), c.rows);
    EXPECT_EQ(SelectedCount(), 0);
  }
}

TEST_F(ParameterListTest, AddAppendsOneRow) {
  ToneSettings settings;
  settings.flags = kFlagStereo;
  SetUpParameterList(list, settings);
  AddParameterRow(list, settings, 0x20F);
  AddParameterRow(list, settings, 0x600);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"Sine 1 Left Frequency", L"1000.00Hz", 0x100, false},
                                      {L"Sine 1 Right Frequency", L"1000.00Hz", 0x200, false},
                                      {L"Sine 16 Right Frequency", L"1000.00Hz", 0x20F, false},
                                      {L"Sine Duration", L"1000ms", 0x600, false}}));
}

TEST_F(ParameterListTest, StepsEverySelectedRowAndNoOther) {
  ToneSettings settings;
  settings.flags = kFlagDuration | kFlagVariableAmplitude;
  settings.toneCount = 2;
  settings.leftStartHz[1] = 440.0;
  SetUpParameterList(list, settings);
  // Rows: 0x100, 0x500, 0x101, 0x501, 0x600.
  Select(0);
  Select(2);
  Select(3);
  Select(4);

  StepSelectedRowsDown(list, settings);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"Sine 1 Frequency", L"943.87Hz", 0x100, true},
                                      {L"Sine 1 Relative Amplitude", L"0dB", 0x500, false},
                                      {L"Sine 2 Frequency", L"415.30Hz", 0x101, true},
                                      {L"Sine 2 Relative Amplitude", L"-1dB", 0x501, true},
                                      {L"Sine Duration", L"900ms", 0x600, true}}));
  EXPECT_EQ(settings.amplitudeDb[0], 0);
  EXPECT_EQ(settings.durationMs, 900u);

  StepSelectedRowsUp(list, settings);
  StepSelectedRowsUp(list, settings);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"Sine 1 Frequency", L"1059.46Hz", 0x100, true},
                                      {L"Sine 1 Relative Amplitude", L"0dB", 0x500, false},
                                      {L"Sine 2 Frequency", L"466.16Hz", 0x101, true},
                                      {L"Sine 2 Relative Amplitude", L"0dB", 0x501, true},
                                      {L"Sine Duration", L"2000ms", 0x600, true}}));
}

TEST_F(ParameterListTest, StepWithoutSelectionChangesNothing) {
  ToneSettings settings;
  settings.flags = kFlagDuration;
  SetUpParameterList(list, settings);
  const ToneSettings before = settings;
  StepSelectedRowsUp(list, settings);
  StepSelectedRowsDown(list, settings);
  EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"Sine 1 Frequency", L"1000.00Hz", 0x100, false},
                                      {L"Sine Duration", L"1000ms", 0x600, false}}));
}

// Item data is only a number: a row whose data is no row code (put there by
// anyone but FillParameterList) must neither change the record nor be cut down
// to a code that names a field.
TEST_F(ParameterListTest, RowsWithForeignItemDataAreLeftAlone) {
  ToneSettings settings;
  SetUpParameterList(list, settings);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const LPARAM foreign[] = {LPARAM(0x10100), LPARAM(-1), LPARAM(0x110)};
  for (LPARAM data : foreign) {
    WCHAR label[] = L"foreign";
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = label;
    item.lParam = data;
    ASSERT_GE(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);
  }
  for (int row = 0; row < 3; ++row) {
    Select(row);
  }
  EXPECT_EQ(GetParameterRowCode(list, 0), 0u);
  EXPECT_EQ(GetParameterRowCode(list, 1), 0u);
  EXPECT_EQ(GetParameterRowCode(list, 2), 0x110u);
  const ToneSettings before = settings;
  StepSelectedRowsUp(list, settings);
  EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
  EXPECT_EQ(CellText(0, 0), L"foreign");
  EXPECT_EQ(CellText(0, 1), L"");
}

}  // namespace
