#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/helper_window.h"
#include "tests/support/resource_bytes.h"
#include "ui_test_support.h"

namespace {

// What one run of the edit dialog saw, in the way the program's value edit
// dialog uses it.
struct EditRun {
  std::wstring text;
  std::wstring caption = L"Sine 1 Frequency";
  std::function<void(HWND)> onInit;  // e.g. inject clicks once the controls exist
  std::function<void(HWND)> onPosted;
  LPARAM seenParam = 0;
  bool ownerEnabledInside = true;
  bool modified = false;
  HWND dialog = nullptr;
};

INT_PTR CALLBACK EditDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  EditRun *run = reinterpret_cast<EditRun *>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      run = reinterpret_cast<EditRun *>(lParam);
      run->seenParam = lParam;
      run->dialog = dialog;
      run->ownerEnabledInside = IsWindowEnabled(GetParent(dialog)) != FALSE;
      SetWindowTextW(dialog, run->caption.c_str());
      SetDlgItemTextW(dialog, 100, run->text.c_str());
      SendDlgItemMessageW(dialog, 100, EM_SETSEL, 0, static_cast<LPARAM>(run->text.size()));
      if (run->onInit) run->onInit(dialog);
      if (run->onPosted) PostMessageW(dialog, WM_USER + 1, 0, 0);
      return TRUE;
    }
    case WM_USER + 1:
      if (run && run->onPosted) run->onPosted(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        run->modified = SendDlgItemMessageW(dialog, 100, EM_GETMODIFY, 0, 0) != 0;
        if (run->modified) {
          WCHAR buffer[260];
          GetDlgItemTextW(dialog, 100, buffer, 260);
          run->text = buffer;
        }
        EndDialog(dialog, IDOK);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

const DLGTEMPLATE *EditTemplate() {
  HRSRC found = FindResourceW(nullptr, L"LTextEditDlg", RT_DIALOG);
  return static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(nullptr, found)));
}

// The screen cell in the middle of a dialog control.
POINT ControlCell(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  return POINT{(rect.left + rect.right) / 2 / kCellWidthPx, (rect.top + rect.bottom) / 2 / kCellHeightPx};
}

class DialogTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    helper = CreateHelperWindow();
  }
  void TearDown() override {
    g_helperAction = nullptr;
    HeadlessTest::TearDown();
  }

  INT_PTR Run(EditRun &run) {
    return DialogBoxIndirectParamW(nullptr, EditTemplate(), parent, EditDialogProc, reinterpret_cast<LPARAM>(&run));
  }

  HWND helper = nullptr;
};

TEST_F(DialogTest, KeysEditTheTextAndEndTheDialog) {
  struct Case {
    const wchar_t *name;
    std::function<void()> input;
    INT_PTR result;
    const wchar_t *text;
    bool modified;
  } cases[] = {
      {L"Enter untouched", [] { Key(VK_RETURN); }, IDOK, L"1000.00Hz", false},
      {L"typing replaces", [] { InjectText(L"440"); Key(VK_RETURN); }, IDOK, L"440", true},
      {L"cleared", [] { Key(VK_DELETE); Key(VK_RETURN); }, IDOK, L"", true},
      {L"Esc", [] { InjectText(L"9"); Key(VK_ESCAPE); }, IDCANCEL, L"1000.00Hz", false},
      {L"End and Backspace",
       [] { Key(VK_END); Key(VK_BACK); Key(VK_BACK); Key(VK_BACK); InjectText(L"1"); Key(VK_RETURN); },
       IDOK, L"1000.01", true},
      {L"Home and Delete",
       [] { Key(VK_HOME); for (int i = 0; i < 4; ++i) Key(VK_DELETE); InjectText(L"2"); Key(VK_RETURN); },
       IDOK, L"2.00Hz", true},
      {L"Left ends the selection at its start", [] { Key(VK_LEFT); Key(VK_RIGHT); InjectText(L"5"); Key(VK_RETURN); },
       IDOK, L"15000.00Hz", true},
      {L"End and Left", [] { Key(VK_END); Key(VK_LEFT); Key(VK_LEFT); InjectText(L"5"); Key(VK_RETURN); },
       IDOK, L"1000.005Hz", true},
      {L"Tab to OK", [] { Key(VK_TAB); Key(VK_RETURN); }, IDOK, L"1000.00Hz", false},
      {L"Tab to Cancel", [] { InjectText(L"7"); Key(VK_TAB); Key(VK_TAB); Key(VK_RETURN); }, IDCANCEL, L"1000.00Hz", false},
      {L"Space on OK", [] { Key(VK_TAB); InjectText(L" "); }, IDOK, L"1000.00Hz", false},
      {L"Shift+Tab wraps to Cancel", [] { Key(VK_TAB, true); Key(VK_RETURN); }, IDCANCEL, L"1000.00Hz", false},
  };
  for (const Case &c : cases) {
    EditRun run;
    run.text = L"1000.00Hz";
    c.input();
    EXPECT_EQ(Run(run), c.result) << c.name;
    EXPECT_EQ(run.text, c.text) << c.name;
    EXPECT_EQ(run.modified, c.modified) << c.name;
    EXPECT_EQ(run.seenParam, reinterpret_cast<LPARAM>(&run)) << c.name;
    EXPECT_FALSE(run.ownerEnabledInside) << c.name;
    EXPECT_FALSE(IsWindow(run.dialog)) << c.name;
    EXPECT_TRUE(IsWindowEnabled(parent)) << c.name;
    Pump();  // nothing of the run may be left over for the next
  }
}

TEST_F(DialogTest, ClicksOnTheButtons) {
  for (int id : {IDOK, IDCANCEL}) {
    EditRun run;
    run.text = L"250ms";
    run.onInit = [id](HWND dialog) {
      InjectText(L"300");
      POINT cell = ControlCell(dialog, id);
      InjectClick(cell.x, cell.y);
    };
    EXPECT_EQ(Run(run), id);
    EXPECT_EQ(run.text, id == IDOK ? L"300" : L"250ms");
  }
}

TEST_F(DialogTest, ShowsCaptionTextAndButtonsOverTheOwner) {
  std::vector<std::wstring> screen;
  EditRun run;
  run.text = L"1000.00Hz";
  run.onPosted = [&](HWND dialog) {
    screen = DumpScreen();
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 100));
    EndDialog(dialog, IDCANCEL);
  };
  EXPECT_EQ(Run(run), IDCANCEL);
  auto rowWith = [&](const std::wstring &text) {
    for (size_t i = 0; i < screen.size(); ++i) {
      if (screen[i].find(text) != std::wstring::npos) return static_cast<int>(i);
    }
    return -1;
  };
  int caption = rowWith(L"Sine 1 Frequency");
  int value = rowWith(L"1000.00Hz");
  int buttons = rowWith(L"OK");
  ASSERT_GE(caption, 0);
  EXPECT_GT(value, caption);
  EXPECT_GT(buttons, value);
  EXPECT_NE(screen[static_cast<size_t>(buttons)].find(L"Cancel"), std::wstring::npos);
}

TEST_F(DialogTest, EditBoxStopsTypingAtItsWidth) {
  EditRun run;
  run.text = L"";
  InjectText(std::wstring(40, L'7'));
  Key(VK_RETURN);
  EXPECT_EQ(Run(run), IDOK);
  // 104 dialog units are 26 cells, less the frame's two.
  EXPECT_EQ(run.text, std::wstring(24, L'7'));
}

TEST_F(DialogTest, PostedMessagesFromAnotherThreadRunInsideTheModalLoop) {
  std::thread poster;
  EditRun run;
  run.text = L"x";
  run.onInit = [&](HWND dialog) {
    g_helperAction = [dialog] { EndDialog(dialog, 77); };
    poster = std::thread([this] { PostMessageW(helper, kHelperMessage, 0, 0); });
  };
  EXPECT_EQ(Run(run), 77);
  poster.join();
}

TEST_F(DialogTest, UnusableTemplatesFail) {
  EditRun run;
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, parent, EditDialogProc, reinterpret_cast<LPARAM>(&run)), -1);
  // One item of a class nobody registered: the dialog cannot be built.
  ResourceBytes bytes;
  bytes.Dword(WS_POPUP | WS_CAPTION | WS_VISIBLE);
  bytes.Dword(0);
  bytes.Word(1);
  for (int i = 0; i < 4; ++i) bytes.Word(20);
  bytes.Word(0);
  bytes.Word(0);
  bytes.Text(L"Broken");
  bytes.AlignTo(4);
  bytes.Dword(WS_CHILD | WS_VISIBLE);
  bytes.Dword(0);
  for (int i = 0; i < 4; ++i) bytes.Word(8);
  bytes.Word(100);
  bytes.Text(L"NoSuchClass");
  bytes.Text(L"");
  bytes.Word(0);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE *>(bytes.bytes.data()), parent,
                                    EditDialogProc, reinterpret_cast<LPARAM>(&run)),
            -1);
  EXPECT_EQ(run.dialog, nullptr);
  EXPECT_TRUE(IsWindowEnabled(parent));
  EXPECT_EQ(EndDialog(parent, 1), FALSE);
}

TEST_F(DialogTest, MessageBoxShowsCaptionAndLinesAndReturnsOk) {
  struct Case {
    unsigned key;
    UINT type;
  } cases[] = {{VK_RETURN, MB_OK}, {VK_ESCAPE, MB_OK | MB_ICONEXCLAMATION}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key);
    std::vector<std::wstring> screen;
    bool ownerEnabled = true;
    g_helperAction = [&] {
      screen = DumpScreen();
      ownerEnabled = IsWindowEnabled(parent) != FALSE;
    };
    PostMessageW(helper, kHelperMessage, 0, 0);
    Key(c.key);
    EXPECT_EQ(MessageBoxW(parent, L"Step 1.\r\nStep 2.\r\n\r\nThe end.", L"Wendrel Help", c.type), IDOK);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(parent));
    int caption = -1, first = -1, last = -1, ok = -1;
    for (size_t i = 0; i < screen.size(); ++i) {
      if (screen[i].find(L"Wendrel Help") != std::wstring::npos) caption = static_cast<int>(i);
      if (screen[i].find(L"Step 1.") != std::wstring::npos) first = static_cast<int>(i);
      if (screen[i].find(L"The end.") != std::wstring::npos) last = static_cast<int>(i);
      if (screen[i].find(L"OK") != std::wstring::npos) ok = static_cast<int>(i);
    }
    ASSERT_GE(caption, 0);
    EXPECT_EQ(first, caption + 2);
    EXPECT_EQ(last, first + 3);
    EXPECT_GT(ok, last);
    bool icon = false;
    for (const std::wstring &row : screen) icon |= row.find(L"(!)") != std::wstring::npos;
    EXPECT_EQ(icon, (c.type & MB_ICONEXCLAMATION) != 0);
  }
  // A click on OK ends it too.
  g_helperAction = [&] {
    int row = RowWith(L"[   OK   ]");
    ASSERT_GE(row, 0);
    std::wstring text = DumpScreen()[static_cast<size_t>(row)];
    InjectClick(static_cast<int>(text.find(L"OK")), row);
  };
  PostMessageW(helper, kHelperMessage, 0, 0);
  EXPECT_EQ(MessageBoxW(parent, L"Unable to start playback.", L"Sound Play Error", MB_OK | MB_ICONEXCLAMATION), IDOK);
}

}  // namespace
