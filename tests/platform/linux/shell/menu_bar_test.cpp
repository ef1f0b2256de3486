#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../controls/ui_test_support.h"
#include "platform/linux/screen/terminal_input_parser.h"
#include "platform/linux/shell/menu_tracker.h"
#include "tests/support/helper_window.h"

namespace {

// The main window's set-up: the bar from resource 101, the window made shorter
// for it, then the tool bar images and the six buttons.
class MenuBarTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    SHMENUBARINFO info{};
    info.cbSize = 32;
    info.hwndParent = parent;
    info.nToolBarId = 101;
    ASSERT_TRUE(SHCreateMenuBar(&info));
    bar = info.hwndMB;
    ASSERT_NE(bar, nullptr);
    RECT rect{};
    GetWindowRect(parent, &rect);
    MoveWindow(parent, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top - 26, FALSE);
    EXPECT_EQ(CommandBar_AddBitmap(bar, nullptr, 1, 4, 16, 16), 0);
    TBBUTTON buttons[6] = {
        {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, 0, -1},    {0, 301, TBSTATE_ENABLED, TBSTYLE_BUTTON, 0, -1},
        {1, 302, TBSTATE_ENABLED, TBSTYLE_BUTTON, 0, -1}, {2, 303, TBSTATE_ENABLED, TBSTYLE_BUTTON, 0, -1},
        {3, 304, TBSTATE_ENABLED, TBSTYLE_BUTTON, 0, -1}, {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, 0, 0},
    };
    EXPECT_TRUE(SendMessageW(bar, TB_ADDBUTTONS, 6, reinterpret_cast<LPARAM>(buttons)));
    menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(menu, nullptr);

    helper = CreateHelperWindow();
    SetFocus(parent);
    Pump();
    Log().clear();
  }
  void TearDown() override {
    ParentHook() = nullptr;
    g_helperAction = nullptr;
    HeadlessTest::TearDown();
  }

  // Runs `action` inside the menu's loop once a pop-up has been opened.
  void WhenMenuOpens(std::function<void()> action) {
    ParentHook() = [this, action](HWND, UINT message, WPARAM, LPARAM) {
      if (message != WM_INITMENUPOPUP || g_helperAction) return;
      g_helperAction = action;
      PostMessageW(helper, kHelperMessage, 0, 0);
    };
  }

  std::vector<WORD> CommandIds() {
    std::vector<WORD> ids;
    for (const Received &r : Commands()) {
      if (r.code == 0) ids.push_back(r.id);  // an edit box's notifications are not commands
    }
    return ids;
  }

  HWND bar = nullptr;
  HMENU menu = nullptr;
  HWND helper = nullptr;
};

struct KeyStroke {
  unsigned vk;
  bool alt;
};
constexpr KeyStroke Alt(char letter) { return {static_cast<unsigned>(letter), true}; }
constexpr KeyStroke K(unsigned vk) { return {vk, false}; }

TEST_F(MenuBarTest, KeysOpenPopUpsAndChooseItems) {
  struct Case {
    const char *name;
    std::vector<KeyStroke> keys;
    std::vector<WORD> commands;
  } cases[] = {
      {"Alt+F Enter", {Alt('F'), K(VK_RETURN)}, {1001}},
      {"F10 skips the separator", {K(VK_F10), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)}, {1099}},
      {"Up wraps", {Alt('F'), K(VK_UP), K(VK_RETURN)}, {1099}},
      {"Right to Tone", {Alt('F'), K(VK_RIGHT), K(VK_RETURN)}, {2011}},
      {"Left wraps to Help", {Alt('F'), K(VK_LEFT), K(VK_RETURN)}, {9}},
      {"Help's second", {Alt('H'), K(VK_END), K(VK_RETURN)}, {903}},
      {"Number of Tones", {Alt('T'), K(VK_DOWN), K(VK_DOWN), K(VK_DOWN), K(VK_RIGHT), K(VK_DOWN), K(VK_RETURN)},
       {2102}},
      {"Enter opens the sub-menu", {Alt('T'), K(VK_DOWN), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN), K(VK_END), K(VK_RETURN)},
       {2116}},
      {"Left closes the sub-menu only",
       {Alt('T'), K(VK_DOWN), K(VK_DOWN), K(VK_DOWN), K(VK_RIGHT), K(VK_LEFT), K(VK_UP), K(VK_RETURN)}, {2013}},
      {"Esc closes", {Alt('H'), K(VK_ESCAPE)}, {}},
      {"Alt+letter switches", {Alt('F'), Alt('H'), K(VK_RETURN)}, {9}},
      {"Alt+X is nothing", {Alt('X')}, {}},
  };
  for (const Case &c : cases) {
    Log().clear();
    for (const KeyStroke &k : c.keys) Key(k.vk, false, false, k.alt);
    Pump();
    Pump();
    EXPECT_EQ(CommandIds(), c.commands) << c.name;
    EXPECT_FALSE(IsMenuTracking()) << c.name;
  }
}

// A stock xterm sends Alt+T as ô (in UTF-8, two bytes): decoded by the
// terminal's parser, it opens the Tone pop-up as Esc t does.
TEST_F(MenuBarTest, TheEightBitAltOfAStockXtermOpensPopUps) {
  TerminalInputParser parser(true);
  std::vector<InputEvent> events;
  parser.Feed("\xc3\xb4\r", 0, events);
  ASSERT_EQ(events.size(), 2u);
  for (const InputEvent &event : events) InjectKey(event.key);
  Pump();
  Pump();
  EXPECT_EQ(CommandIds(), std::vector<WORD>{2011});
  EXPECT_FALSE(IsMenuTracking());
}

TEST_F(MenuBarTest, GreyedItemsAreNotChosen) {
  EnableMenuItem(menu, 1001, MF_BYCOMMAND | MF_GRAYED);
  EnableMenuItem(menu, 2013, MF_BYCOMMAND | MF_GRAYED);
  struct Case {
    std::vector<KeyStroke> keys;
    std::vector<WORD> commands;
  } cases[] = {
      {{Alt('F'), K(VK_RETURN), K(VK_ESCAPE)}, {}},
      {{Alt('F'), K(VK_RETURN), K(VK_DOWN), K(VK_RETURN)}, {1002}},
      {{Alt('T'), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN), K(VK_ESCAPE)}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    Log().clear();
    for (const KeyStroke &k : c.keys) Key(k.vk, false, false, k.alt);
    Pump();
    Pump();
    EXPECT_EQ(CommandIds(), c.commands);
  }
}

TEST_F(MenuBarTest, ToolBarKeysAndClicksSendTheirCommands) {
  std::vector<std::wstring> screen = DumpScreen();
  ASSERT_EQ(screen.size(), 24u);
  EXPECT_EQ(screen[22].substr(0, 32), L" File  Tone  Help   \u25B6  \u25A0  +  \u2212  ");
  struct Case {
    wchar_t ch;
    int column;  // where a click on the same button lands
    WORD command;
  } cases[] = {{L'p', 21, 301}, {L's', 24, 302}, {L'+', 27, 303}, {L'-', 30, 304}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << static_cast<char>(c.ch));
    Log().clear();
    InjectText(std::wstring(1, c.ch));
    Pump();
    InjectClick(c.column, 22);
    Pump();
    EXPECT_EQ(CommandIds(), (std::vector<WORD>{c.command, c.command})) << static_cast<char>(c.ch);
    for (const Received &r : Commands()) EXPECT_EQ(r.lParam, reinterpret_cast<LPARAM>(bar));
  }
  // Keys that are no button, and separators, send nothing.
  Log().clear();
  InjectText(L"xq");
  InjectClick(18, 22);
  InjectClick(60, 22);
  Pump();
  EXPECT_TRUE(CommandIds().empty());
}

TEST_F(MenuBarTest, ShortcutsWaitWhileTheParentIsDisabledOrAnEditBoxHasTheFocus) {
  EnableWindow(parent, FALSE);
  InjectText(L"p");
  Key('F', false, false, true);
  InjectClick(21, 22);
  InjectClick(2, 22);
  Pump();
  EXPECT_TRUE(CommandIds().empty());
  EXPECT_FALSE(IsMenuTracking());
  EnableWindow(parent, TRUE);

  HWND edit = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 80, 13, parent, nullptr, nullptr, nullptr);
  SetFocus(edit);
  InjectText(L"p+");
  Pump();
  EXPECT_TRUE(CommandIds().empty());
  WCHAR typed[8];
  GetWindowTextW(edit, typed, 8);
  EXPECT_STREQ(typed, L"p+");
}

TEST_F(MenuBarTest, OpenPopUpShowsMarksGreyAndSubMenuArrow) {
  CheckMenuRadioItem(menu, 3041, 3047, 3042, MF_BYCOMMAND);
  CheckMenuItem(menu, 3051, MF_BYCOMMAND | MF_CHECKED);
  EnableMenuItem(menu, 2013, MF_BYCOMMAND | MF_GRAYED);
  std::vector<std::wstring> screen;
  std::vector<uint8_t> editAttributes;
  WhenMenuOpens([&] {
    screen = DumpScreen();
    int row = RowWith(L"Edit Value...");
    if (row >= 0) {
      size_t column = screen[static_cast<size_t>(row)].find(L"Edit Value...");
      editAttributes.push_back(ScreenAttributesAt(static_cast<int>(column), row));
    }
    Key(VK_ESCAPE);
  });
  Key('T', false, false, true);
  Pump();
  ASSERT_FALSE(screen.empty());
  auto line = [&](const std::wstring &text) {
    for (const std::wstring &row : screen) {
      if (row.find(text) != std::wstring::npos) return row;
    }
    return std::wstring();
  };
  std::wstring square = line(L"Square"), sine = line(L"Sine"), variable = line(L"Variable Amplitude");
  std::wstring tones = line(L"Number of Tones"), increase = line(L"Increase Value");
  ASSERT_FALSE(square.empty());
  EXPECT_NE(square.find(L"\u2022 Square"), std::wstring::npos);
  EXPECT_EQ(sine.find(L"\u2022"), std::wstring::npos);
  EXPECT_NE(variable.find(L"\u2713 Variable Amplitude"), std::wstring::npos);
  EXPECT_NE(tones.find(L"\u25B8"), std::wstring::npos);
  ASSERT_EQ(editAttributes.size(), 1u);
  EXPECT_TRUE(editAttributes[0] & kCellDim);
  // It opens upwards from its button: Tone's pop-up starts at the button's
  // column, its last row right above the bar, and more items than fit scroll.
  size_t column = increase.find(L"Increase Value");
  EXPECT_EQ(column, 6u + 1u + 2u);  // button column, frame, mark cells
  EXPECT_EQ(line(L"Pink Noise"), L"");
  EXPECT_NE(screen[20].find(L"\u25BC"), std::wstring::npos);
  EXPECT_EQ(screen[22].substr(0, 5), L" File");
}

// How an item of an open pop-up looks on the screen.
struct Look {
  std::wstring mark;  // the two cells before the item's text
  bool dim;
  bool operator==(const Look &) const = default;
};
void PrintTo(const Look &look, std::ostream *out) {
  *out << "mark " << testing::PrintToString(look.mark) << (look.dim ? ", dim" : "");
}

// The program changes item states while a pop-up is open (a tone ends, its
// report greys Stop): the open pop-up must show the change without a key.
TEST_F(MenuBarTest, AnOpenPopUpShowsItemStatesChangedWhileItIsOpen) {
  EnableMenuItem(menu, 1002, MF_BYCOMMAND | MF_GRAYED);
  struct Case {
    const char *name;
    std::vector<KeyStroke> keys;
    int popUps;  // open once the keys are in
    std::function<void()> change;
    std::wstring item;
    Look before, after;
  } cases[] = {
      {"grey", {Alt('F')}, 1, [this] { EnableMenuItem(menu, 1001, MF_BYCOMMAND | MF_GRAYED); }, L"Play",
       {L"  ", false}, {L"  ", true}},
      {"enable", {Alt('F')}, 1, [this] { EnableMenuItem(menu, 1002, MF_BYCOMMAND | MF_ENABLED); }, L"Stop",
       {L"  ", true}, {L"  ", false}},
      {"check", {Alt('T')}, 1, [this] { CheckMenuItem(menu, 3051, MF_BYCOMMAND | MF_CHECKED); },
       L"Variable Amplitude", {L"  ", false}, {L"\u2713 ", false}},
      {"radio in the open sub-menu", {Alt('T'), K(VK_DOWN), K(VK_DOWN), K(VK_DOWN), K(VK_RIGHT)}, 2,
       [this] { CheckMenuRadioItem(menu, 2101, 2116, 2116, MF_BYCOMMAND); }, L"16", {L"  ", false},
       {L"\u2022 ", false}},
  };
  auto look = [](const std::wstring &item) {
    int row = RowWith(item);
    if (row < 0) return Look{L"absent", false};
    size_t column = DumpScreen()[static_cast<size_t>(row)].find(item);
    if (column < 2) return Look{L"misplaced", false};
    return Look{DumpScreen()[static_cast<size_t>(row)].substr(column - 2, 2),
                (ScreenAttributesAt(static_cast<int>(column), row) & kCellDim) != 0};
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Look before{}, after{};
    int opened = 0;
    // Runs from a posted message inside the menu's loop, once the last pop-up
    // is open and painted.
    ParentHook() = [&](HWND, UINT message, WPARAM, LPARAM) {
      if (message != WM_INITMENUPOPUP || ++opened != c.popUps) return;
      g_helperAction = [&] {
        before = look(c.item);
        c.change();
        after = look(c.item);
        Key(VK_F10);
      };
      PostMessageW(helper, kHelperMessage, 0, 0);
    };
    for (const KeyStroke &k : c.keys) Key(k.vk, false, false, k.alt);
    Pump();
    EXPECT_FALSE(IsMenuTracking());
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(after, c.after);
    g_helperAction = nullptr;
  }
}

TEST_F(MenuBarTest, ClicksChooseButtonsAndItems) {
  // Open File with a click, then click its Stop item.
  WhenMenuOpens([] {
    int row = RowWith(L"Stop");
    ASSERT_GE(row, 0);
    InjectClick(static_cast<int>(DumpScreen()[static_cast<size_t>(row)].find(L"Stop")), row);
  });
  InjectClick(2, 22);
  Pump();
  Pump();
  EXPECT_EQ(CommandIds(), std::vector<WORD>{1002});

  // A click on a greyed item leaves the menu open; one outside closes it.
  EnableMenuItem(menu, 1001, MF_BYCOMMAND | MF_GRAYED);
  Log().clear();
  g_helperAction = nullptr;
  WhenMenuOpens([] {
    int row = RowWith(L"Play");
    InjectClick(static_cast<int>(DumpScreen()[static_cast<size_t>(row)].find(L"Play")), row);
    InjectClick(70, 5);
  });
  InjectClick(2, 22);
  Pump();
  Pump();
  EXPECT_TRUE(CommandIds().empty());
  EXPECT_FALSE(IsMenuTracking());
}

TEST_F(MenuBarTest, PostedMessagesFromAnotherThreadRunWhileAPopUpIsOpen) {
  std::thread poster;
  bool dispatched = false;
  ParentHook() = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITMENUPOPUP || poster.joinable()) return;
    g_helperAction = [&] {
      dispatched = IsMenuTracking();
      Key(VK_ESCAPE);
    };
    poster = std::thread([this] { PostMessageW(helper, kHelperMessage, 0, 0); });
  };
  Key('H', false, false, true);
  Pump();
  poster.join();
  EXPECT_TRUE(dispatched);
  EXPECT_FALSE(IsMenuTracking());
}

TEST_F(MenuBarTest, BarShowsAsciiImagesOnAPlainTerminal) {
  HeadlessTest::TearDown();
  utf8 = false;
  SetUp();
  EXPECT_EQ(DumpScreen()[22].substr(0, 32), L" File  Tone  Help   >  #  +  -  ");
}

TEST(MenuBar, CreationFailsWithoutParentOrResource) {
  RegisterTheProgramsResources();
  StartHeadlessScreen(80, 24);
  SHMENUBARINFO info{};
  info.cbSize = 32;
  info.nToolBarId = 101;
  info.hwndMB = reinterpret_cast<HWND>(1);
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(info.hwndMB, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"Plain";
  RegisterClassW(&wc);
  info.hwndParent = CreateWindowExW(0, L"Plain", L"Wendrel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  info.nToolBarId = 555;
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(info.hwndMB, nullptr);
  // Nothing sent to a missing bar does anything.
  EXPECT_EQ(SendMessageW(info.hwndMB, SHCMBM_GETMENU, 0, 0), 0);
  EXPECT_EQ(CommandBar_AddBitmap(nullptr, nullptr, 1, 4, 16, 16), -1);
  info.nToolBarId = 101;
  ASSERT_TRUE(SHCreateMenuBar(&info));
  EXPECT_EQ(CommandBar_AddBitmap(info.hwndMB, nullptr, 7, 4, 16, 16), -1);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETMENU, 0, 0));
  EXPECT_TRUE(IsMenu(menu));
  // The bar owns its menu: it goes with the bar.
  DestroyWindow(info.hwndParent);
  EXPECT_FALSE(IsWindow(info.hwndMB));
  EXPECT_FALSE(IsMenu(menu));

  SHACTIVATEINFO activate{};
  activate.cbSize = 12;
  EXPECT_TRUE(SHHandleWMActivate(nullptr, WA_ACTIVE, 0, &activate, 0));
  EXPECT_EQ(activate.fActive, 1u);
  EXPECT_TRUE(SHHandleWMSettingChange(nullptr, 0, 0, &activate));
  StopScreen();
}

}  // namespace
