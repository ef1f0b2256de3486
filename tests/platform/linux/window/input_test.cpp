#include <signal.h>

#include "platform/linux/window/input_hooks.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class Input : public WindowTest {
 protected:
  void TearDown() override {
    for (int id : routes) {
      RemoveKeyRoute(id);
      RemoveMouseRoute(id);
    }
    WindowTest::TearDown();
  }
  std::vector<int> routes;
};

KeyEvent Named(unsigned vk, bool shift = false, bool ctrl = false, bool alt = false) {
  return KeyEvent{vk, 0, shift, ctrl, alt};
}

TEST_F(Input, KeysGoToTheFocusedWindowWithTheirModifiers) {
  HWND main = TopLevel();
  HWND list = Child(main, 110, 0, 0, 320, 117);
  SetFocus(list);
  SHORT shiftDuringKey = 0;
  g_handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_KEYDOWN) shiftDuringKey = GetKeyState(VK_SHIFT);
    return std::nullopt;
  };
  g_log.clear();
  InjectKey(Named(VK_DOWN, true));
  Pump();
  auto keys = OfKind(WM_KEYDOWN);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].hwnd, list);
  EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_DOWN));
  EXPECT_LT(shiftDuringKey, 0);
  EXPECT_TRUE(OfKind(WM_CHAR).empty());

  g_log.clear();
  InjectText(L"7.");
  Pump();
  auto picked = Only({WM_KEYDOWN, WM_CHAR});
  ASSERT_EQ(picked.size(), 4u);
  EXPECT_EQ(picked[1].second, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(OfKind(WM_CHAR)[1].wParam, static_cast<WPARAM>(L'.'));
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(Input, AltKeysArriveAsSystemKeys) {
  HWND main = TopLevel();
  g_log.clear();
  KeyEvent altF = CharacterKey(L'f');
  altF.alt = true;
  InjectKey(altF);
  Pump();
  auto keys = OfKind(WM_SYSKEYDOWN);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].hwnd, main);
  EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('F'));
  EXPECT_TRUE(OfKind(WM_KEYDOWN).empty());
}

TEST_F(Input, KeyRoutesAreAskedNewestFirstAndTheKeyIsDispatchedToTheirWindow) {
  HWND main = TopLevel();
  HWND list = Child(main, 110, 0, 0, 320, 117);
  HWND bar = PopUp(0, 260, 320, 26, WS_VISIBLE, main, L"", WS_EX_NOACTIVATE);
  SetFocus(list);
  std::vector<std::string> calls;
  HWND seenFocus = nullptr;
  routes.push_back(AddKeyRoute([&](HWND focus, const KeyEvent &key) {
    calls.push_back("old");
    seenFocus = focus;
    return key.ch == L'p' ? bar : nullptr;
  }));
  routes.push_back(AddKeyRoute([&](HWND, const KeyEvent &key) {
    calls.push_back("new");
    return key.alt && key.vk == 'T' ? bar : nullptr;
  }));
  // What the taker does with a key (open a menu, run a modal loop) must run
  // inside DispatchMessageW: a loop run from inside GetMessageW cannot let the
  // outer loop see a window destroyed in it.
  bool dispatching = false;
  std::vector<bool> takerDispatched;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (hwnd == bar && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) takerDispatched.push_back(dispatching);
    return std::nullopt;
  };
  struct Case {
    KeyEvent key;
    std::vector<std::string> calls;
    HWND receiver;
  } cases[] = {
      {CharacterKey(L'p'), {"new", "old"}, bar},
      {KeyEvent{'T', L't', false, false, true}, {"new"}, bar},
      {CharacterKey(L'x'), {"new", "old"}, list},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.key.vk);
    calls.clear();
    g_log.clear();
    InjectKey(c.key);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      dispatching = true;
      DispatchMessageW(&msg);
      dispatching = false;
    }
    EXPECT_EQ(calls, c.calls);
    auto keys = Only({WM_KEYDOWN, WM_SYSKEYDOWN});
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].first, c.receiver);
  }
  EXPECT_EQ(takerDispatched, (std::vector<bool>{true, true}));
  EXPECT_EQ(seenFocus, list);
  RemoveKeyRoute(routes[0]);
  calls.clear();
  InjectKey(CharacterKey(L'p'));
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"new"});
}

TEST_F(Input, ARouteMayRemoveAnotherWhileKeysAreBeingRouted) {
  TopLevel();
  int laterCalls = 0;
  int older = AddKeyRoute([&](HWND, const KeyEvent &) -> HWND {
    ++laterCalls;
    return nullptr;
  });
  routes.push_back(older);
  routes.push_back(AddKeyRoute([&](HWND, const KeyEvent &) -> HWND {
    RemoveKeyRoute(older);
    return nullptr;
  }));
  InjectKey(CharacterKey(L'a'));
  Pump();
  EXPECT_EQ(laterCalls, 0);
}

TEST_F(Input, ShellCloseKeysAndSignalsPostCloseToTheMainWindowOnly) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"LSoundPlayer_Window";
  RegisterClassW(&wc);
  // The player's hidden window exists before the main window.
  HWND hidden = CreateWindowExW(0, L"LSoundPlayer_Window", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  HWND main = TopLevel();
  HWND dialog = PopUp(16, 26, 200, 104, WS_CAPTION | WS_VISIBLE, main, L"Edit");
  routes.push_back(AddKeyRoute([dialog](HWND, const KeyEvent &) { return dialog; }));  // takes everything else
  const struct {
    const char *name;
    std::function<void()> act;
  } cases[] = {
      {"ctrl q", [] { InjectKey(Named('Q', false, true)); }},
      {"ctrl c", [] { InjectKey(Named('C', false, true)); }},
      {"SIGINT", [] { raise(SIGINT); }},
      {"SIGTERM", [] { raise(SIGTERM); }},
      {"SIGHUP", [] { raise(SIGHUP); }},
  };
  g_handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CLOSE) return 0;  // recorded, not acted upon
    return std::nullopt;
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    c.act();
    Pump();
    auto closes = OfKind(WM_CLOSE);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].hwnd, main);
  }
  EXPECT_TRUE(IsWindow(hidden));
  EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(Input, F1SendsHelpToTheFocusedWindowWhichPassesItUp) {
  HWND main = TopLevel();
  HWND list = Child(main, 110, 0, 0, 320, 117);
  SetFocus(list);
  LPARAM received = 0;
  int ctrlId = 0;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (hwnd == main && message == WM_HELP) {
      received = lParam;
      ctrlId = reinterpret_cast<HELPINFO *>(lParam)->iCtrlId;
      return 1;
    }
    return std::nullopt;
  };
  g_log.clear();
  InjectKey(Named(VK_F1));
  Pump();
  auto helps = OfKind(WM_HELP);
  ASSERT_EQ(helps.size(), 2u);
  EXPECT_EQ(helps[0].hwnd, list);
  EXPECT_NE(received, 0);
  EXPECT_EQ(ctrlId, 110);
  EXPECT_TRUE(OfKind(WM_KEYDOWN).empty());
}

TEST_F(Input, ClicksGoToTheDeepestEnabledWindowInClientPixels) {
  HWND main = TopLevel();  // client area starts at row 1
  HWND list = Child(main, 110, 0, 0, 320, 117);
  HWND disabledChild = Child(main, 111, 0, 117, 80, 13, WS_VISIBLE | WS_DISABLED);
  struct Case {
    const char *name;
    int column;
    int row;
    bool shift;
    bool ctrl;
    bool doubleClick;
    HWND target;
    UINT message;
    WPARAM keys;
    int x;
    int y;
  } cases[] = {
      {"plain click", 3, 4, false, false, false, list, WM_LBUTTONDOWN, MK_LBUTTON, 24, 39},
      {"ctrl click", 0, 1, false, true, false, list, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 0, 0},
      {"shift click", 39, 9, true, false, false, list, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 312, 104},
      {"double click", 5, 2, false, false, true, list, WM_LBUTTONDBLCLK, MK_LBUTTON, 40, 13},
      {"disabled child passes to its parent", 2, 10, false, false, false, main, WM_LBUTTONDOWN, MK_LBUTTON, 16, 117},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    MouseEvent mouse;
    mouse.column = c.column;
    mouse.row = c.row;
    mouse.shift = c.shift;
    mouse.ctrl = c.ctrl;
    mouse.doubleClick = c.doubleClick;
    InjectMouse(mouse);
    Pump();
    auto clicks = Only({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    ASSERT_EQ(clicks.size(), 1u);
    Recorded r = OfKind(c.message).at(0);
    EXPECT_EQ(r.hwnd, c.target);
    EXPECT_EQ(r.wParam, c.keys);
    EXPECT_EQ(static_cast<int>(static_cast<SHORT>(LOWORD(r.lParam))), c.x);
    EXPECT_EQ(static_cast<int>(static_cast<SHORT>(HIWORD(r.lParam))), c.y);
  }
  (void)disabledChild;
}

TEST_F(Input, ClicksOnADisabledWindowAreDroppedAndMouseRoutesComeFirst) {
  HWND main = TopLevel();
  HWND list = Child(main, 110, 0, 0, 320, 117);
  EnableWindow(main, FALSE);
  g_log.clear();
  InjectClick(3, 3);
  Pump();
  EXPECT_TRUE(Only({WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());

  EnableWindow(main, TRUE);
  HWND routedUnder = nullptr;
  routes.push_back(AddMouseRoute([&](HWND under, const MouseEvent &mouse) {
    routedUnder = under;
    return mouse.action == MouseAction::LeftDown ? main : nullptr;
  }));
  g_log.clear();
  InjectClick(3, 3);
  Pump();
  EXPECT_EQ(routedUnder, list);
  auto clicks = Only({WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(clicks, (std::vector<std::pair<HWND, UINT>>{{main, WM_LBUTTONDOWN}, {list, WM_LBUTTONUP}}));
}

TEST_F(Input, TheCaptureWindowGetsClicksAnywhere) {
  HWND main = TopLevel();
  HWND popup = PopUp(0, 13, 80, 39, WS_VISIBLE, main, L"", WS_EX_TOPMOST | WS_EX_NOACTIVATE);
  SetCapture(popup);
  g_log.clear();
  InjectClick(30, 8);
  Pump();
  auto downs = OfKind(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, popup);
  EXPECT_EQ(LOWORD(downs[0].lParam), 240);
  ReleaseCapture();
}

TEST_F(Input, KeysWithNoWindowToTakeThemAreDropped) {
  InjectKey(CharacterKey(L'a'));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
