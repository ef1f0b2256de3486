// The value edit dialog and the editing of the selected rows, driven by keys
// on the headless screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/edit_selected_rows.h"
#include "app/text_edit_dialog.h"
#include "app_test_support.h"
#include "platform/linux/screen/terminal_input_parser.h"
#include "platform/linux/window/screen_session.h"
#include "settings/parameter_list.h"

using ::testing::HasSubstr;

namespace {

class TextEditDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { StartHeadlessScreen(80, 24); }
  void TearDown() override { StopScreen(); }

  Watchdog watchdog{60};
};

void Fill(WCHAR (&buffer)[kTextBufferLength], const wchar_t *text) {
  std::wcsncpy(buffer, text, kTextBufferLength - 1);
  buffer[kTextBufferLength - 1] = L'\0';
}

TEST_F(TextEditDialogTest, KeysDecideResultAndText) {
  struct Case {
    const char *name;
    const wchar_t *typed;  // typed before the closing key
    int backspaces;
    unsigned closingKey;
    bool result;
    const wchar_t *text;
  };
  const Case cases[] = {
      {"OK untouched keeps the caller's text", L"", 0, VK_RETURN, true, L"1059.46Hz"},
      {"typing replaces the selected text", L"440", 0, VK_RETURN, true, L"440"},
      {"cleared box gives an empty text", L"", 1, VK_RETURN, true, L""},
      {"cancel keeps the caller's text", L"440", 0, VK_ESCAPE, false, L"1059.46Hz"},
  };
  for (const Case &c : cases) {
    WCHAR text[kTextBufferLength];
    Fill(text, L"1059.46Hz");
    if (*c.typed) InjectText(c.typed);
    for (int i = 0; i < c.backspaces; ++i) TypeKey(VK_BACK);
    TypeKey(c.closingKey);
    EXPECT_EQ(EditText(text, L"Sine 1 Frequency", nullptr), c.result) << c.name;
    EXPECT_STREQ(text, c.text) << c.name;
  }
}

// A stock xterm sends ô both when ô is typed and for Alt+T; in the value's
// text box it is the character, and no menu opens.
TEST_F(TextEditDialogTest, TheTextTakesTheCharacterAStockXtermSendsForAltT) {
  TerminalInputParser parser(true);
  std::vector<InputEvent> events;
  parser.Feed("1\xc3\xb4\r", 0, events);
  for (const InputEvent &event : events) InjectKey(event.key);
  WCHAR text[kTextBufferLength];
  Fill(text, L"250ms");
  EXPECT_TRUE(EditText(text, L"Sine Duration", nullptr));
  EXPECT_STREQ(text, L"1\xf4");
}

TEST_F(TextEditDialogTest, ShowsCaptionAndValue) {
  WCHAR text[kTextBufferLength];
  Fill(text, L"250ms");
  std::wstring screen;
  RunInModalLoop([&] {
    screen = ScreenText();
    TypeKey(VK_ESCAPE);
  });
  EXPECT_FALSE(EditText(text, L"Sine Duration", nullptr));
  EXPECT_THAT(screen, HasSubstr(L"Sine Duration"));
  EXPECT_THAT(screen, HasSubstr(L"250ms"));
  EXPECT_THAT(screen, HasSubstr(L"OK"));
  EXPECT_THAT(screen, HasSubstr(L"Cancel"));
}

TEST_F(TextEditDialogTest, MissingTemplateAndBusyObjectRefuse) {
  WCHAR text[kTextBufferLength];
  Fill(text, L"1");
  TextEditDialog dialog(text, L"x");
  EXPECT_FALSE(dialog.DoModal(nullptr, L"LNoSuchDlg"));
  // Names are matched without regard to case.
  TypeKey(VK_RETURN);
  EXPECT_TRUE(dialog.DoModal(nullptr, L"ltexteditdlg"));
  EXPECT_EQ(dialog.hwnd, nullptr);
  // An object that already runs a dialog does not start another.
  dialog.hwnd = reinterpret_cast<HWND>(&dialog);
  EXPECT_FALSE(dialog.DoModal(nullptr, L"LTextEditDlg"));
}

// A parameter list of three tones on a plain parent window.
class EditSelectedRowsTest : public TextEditDialogTest {
 protected:
  void SetUp() override {
    TextEditDialogTest::SetUp();
    InitCommonControls();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"LTestParent";
    RegisterClassW(&wc);
    parent = CreateWindowExW(0, L"LTestParent", L"Test", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    list = CreateWindowExW(0, L"SysListView32", L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                           400, 200, parent, reinterpret_cast<HMENU>(110), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    settings.toneCount = 3;
    SetUpParameterList(list, settings);
  }
  void TearDown() override {
    DestroyWindow(parent);
    TextEditDialogTest::TearDown();
  }

  void Select(int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  std::wstring ValueText(int row) {
    WCHAR text[kTextBufferLength] = {};
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = kTextBufferLength;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }

  HWND parent = nullptr;
  HWND list = nullptr;
  ToneSettings settings;
};

TEST_F(EditSelectedRowsTest, CancelOnSecondOfThreeKeepsFirstAndLeavesRest) {
  Select(0);
  Select(1);
  Select(2);
  // Keys are taken in order by whichever dialog runs: the first confirms 440,
  // the second is cancelled with 550 typed.
  InjectText(L"440");
  TypeKey(VK_RETURN);
  InjectText(L"550");
  TypeKey(VK_ESCAPE);
  EXPECT_TRUE(EditSelectedRows(list, settings));
  EXPECT_EQ(settings.leftStartHz[0], 440.0);
  EXPECT_EQ(settings.leftStartHz[1], 1000.0);
  EXPECT_EQ(settings.leftStartHz[2], 1000.0);
  EXPECT_EQ(ValueText(0), L"440.00Hz");
  EXPECT_EQ(ValueText(1), L"1000.00Hz");
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
}

TEST_F(EditSelectedRowsTest, UntouchedOkParsesTheDisplayedText) {
  settings.leftStartHz[1] = 1000.0 * 1.0594630943592953;
  FillParameterList(list, settings);
  Select(1);
  TypeKey(VK_RETURN);
  EXPECT_TRUE(EditSelectedRows(list, settings));
  EXPECT_EQ(settings.leftStartHz[1], 1059.46);
  EXPECT_EQ(settings.leftStartHz[0], 1000.0);
}

TEST_F(EditSelectedRowsTest, NothingSelectedShowsNoDialog) {
  // A dialog would wait for a key that never comes, and the watchdog fires.
  ToneSettings before = settings;
  EXPECT_FALSE(EditSelectedRows(list, settings));
  EXPECT_EQ(std::memcmp(&before, &settings, sizeof(settings)), 0);
}

TEST_F(EditSelectedRowsTest, CancelFirstConfirmsNothing) {
  Select(2);
  TypeKey(VK_ESCAPE);
  EXPECT_FALSE(EditSelectedRows(list, settings));
  EXPECT_EQ(settings.leftStartHz[2], 1000.0);
}

}  // namespace
