#include <string>

#include "window_test_support.h"

using namespace window_test;

namespace {

class WindowLifecycle : public WindowTest {};

TEST_F(WindowLifecycle, CreationSendsNcCreateThenCreateWithTheCreationParameterFirst) {
  int object = 0;
  LPVOID seen = nullptr;
  g_handler = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_CREATE) seen = reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams;
    return std::nullopt;
  };
  HWND hwnd = TopLevel(WS_VISIBLE, L"Wendrel", nullptr, 0, &object);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(seen, &object);
  auto order = Only({WM_NCCREATE, WM_CREATE, WM_SIZE, WM_SHOWWINDOW, WM_ACTIVATE});
  ASSERT_GE(order.size(), 5u);
  EXPECT_EQ(order[0], std::make_pair(hwnd, static_cast<UINT>(WM_NCCREATE)));
  EXPECT_EQ(order[1], std::make_pair(hwnd, static_cast<UINT>(WM_CREATE)));
  EXPECT_EQ(order[2], std::make_pair(hwnd, static_cast<UINT>(WM_SIZE)));
  EXPECT_EQ(order[3], std::make_pair(hwnd, static_cast<UINT>(WM_SHOWWINDOW)));
  EXPECT_EQ(order[4], std::make_pair(hwnd, static_cast<UINT>(WM_ACTIVATE)));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetActiveWindow(), hwnd);
}

TEST_F(WindowLifecycle, CreationFailsForAnUnknownClassADeadParentOrARefusedCreate) {
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND parent = TopLevel();
  DestroyWindow(parent);
  EXPECT_EQ(Child(parent, 1, 0, 0, 8, 13), nullptr);

  g_log.clear();
  g_handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(TopLevel(), nullptr);
  auto order = Only({WM_CREATE, WM_DESTROY, WM_NCDESTROY});
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[1].second, static_cast<UINT>(WM_DESTROY));
  EXPECT_FALSE(IsWindow(order[0].first));
}

TEST_F(WindowLifecycle, DestroySendsDestroyToTheParentFirstThenChildrenThenNcDestroyInnermostFirst) {
  HWND parent = TopLevel();
  HWND first = Child(parent, 110, 0, 0, 80, 26);
  HWND grandChild = Child(first, 7, 0, 0, 8, 13);
  HWND second = Child(parent, 111, 0, 26, 80, 26);
  HWND owned = PopUp(8, 13, 80, 39, WS_VISIBLE, parent);
  // Everything still exists while the parent handles its WM_DESTROY.
  bool childrenAliveDuringDestroy = false;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (hwnd == parent && message == WM_DESTROY) {
      childrenAliveDuringDestroy = IsWindow(first) && IsWindow(grandChild) && IsWindow(owned) &&
                                   GetDlgItem(parent, 110) == first;
    }
    return std::nullopt;
  };
  g_log.clear();
  ASSERT_TRUE(DestroyWindow(parent));
  EXPECT_TRUE(childrenAliveDuringDestroy);
  using P = std::pair<HWND, UINT>;
  std::vector<P> expected = {
      P{parent, WM_DESTROY},     P{owned, WM_DESTROY},       P{owned, WM_NCDESTROY},  P{first, WM_DESTROY},
      P{grandChild, WM_DESTROY}, P{second, WM_DESTROY},      P{grandChild, WM_NCDESTROY},
      P{first, WM_NCDESTROY},    P{second, WM_NCDESTROY},    P{parent, WM_NCDESTROY},
  };
  EXPECT_EQ(Only({WM_DESTROY, WM_NCDESTROY}), expected);
  for (HWND hwnd : {parent, first, grandChild, second, owned}) EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(DestroyWindow(parent));
}

TEST_F(WindowLifecycle, HandlesOfDestroyedWindowsAreNeverHandedOutAgain) {
  std::vector<HWND> seen;
  for (int i = 0; i < 50; ++i) {
    HWND hwnd = TopLevel(0, L"");
    ASSERT_NE(hwnd, nullptr);
    for (HWND old : seen) ASSERT_NE(hwnd, old);
    seen.push_back(hwnd);
    DestroyWindow(hwnd);
  }
  for (HWND old : seen) {
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(SendMessageW(old, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(old, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongPtrW(old, GWLP_USERDATA), 0);
  }
  EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(WindowLifecycle, DefWindowProcClosesOnWmCloseAndTheLoopEndsWithoutAQuitMessage) {
  HWND hwnd = TopLevel();
  ASSERT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
  MSG msg;
  int turns = 0;
  while (IsWindow(hwnd)) {
    GetMessageW(&msg, nullptr, 0, 0);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++turns;
  }
  EXPECT_GE(turns, 1);
  EXPECT_EQ(OfKind(WM_DESTROY).size(), 1u);
}

TEST_F(WindowLifecycle, WindowWordsKeepWhatIsStoredAndRefuseBadIndexes) {
  HWND hwnd = TopLevel();
  HWND child = Child(hwnd, 110, 0, 0, 8, 13);
  int object = 0;
  const LONG_PTR pointer = reinterpret_cast<LONG_PTR>(&object);
  const int lastLong = static_cast<int>(DLGWINDOWEXTRA) - 4;
  struct Case {
    HWND hwnd;
    int index;
    bool pointerSized;  // SetWindowLongPtrW rather than SetWindowLongW
    LONG_PTR value;
    LONG_PTR kept;      // what reads back; 0 for a refused index
  } cases[] = {
      {hwnd, GWLP_USERDATA, true, pointer, pointer},  // a 64-bit pointer survives whole
      {hwnd, static_cast<int>(DWLP_USER), true, pointer, pointer},  // dialog words live in the extra bytes
      {hwnd, static_cast<int>(DWLP_MSGRESULT), true, 1, 1},
      // the 32-bit calls keep a LONG, as on 64-bit Windows: a pointer loses its upper half
      {hwnd, GWLP_USERDATA, false, pointer, static_cast<LONG>(pointer)},
      {hwnd, lastLong, false, 5, 5},             // the last four extra bytes
      {hwnd, lastLong, true, 5, 0},              // eight bytes do not fit there
      {hwnd, 2, false, 7, 7},                    // any byte offset inside
      {hwnd, static_cast<int>(DLGWINDOWEXTRA), false, 5, 0},  // past the extra bytes
      {hwnd, GWLP_WNDPROC, false, 5, 0},         // a pointer word is not for a 32-bit call
      {hwnd, -99, true, 5, 0},
      {child, GWLP_ID, false, 123, 123},
      {nullptr, GWLP_USERDATA, true, 5, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.index);
    if (c.pointerSized) {
      LONG_PTR previous = GetWindowLongPtrW(c.hwnd, c.index);
      EXPECT_EQ(SetWindowLongPtrW(c.hwnd, c.index, c.value), previous);
      EXPECT_EQ(GetWindowLongPtrW(c.hwnd, c.index), c.kept);
    } else {
      LONG previous = GetWindowLongW(c.hwnd, c.index);
      EXPECT_EQ(SetWindowLongW(c.hwnd, c.index, static_cast<LONG>(c.value)), previous);
      EXPECT_EQ(GetWindowLongW(c.hwnd, c.index), c.kept);
    }
  }
  EXPECT_EQ(GetDlgCtrlID(child), 123);
  EXPECT_EQ(GetDlgItem(hwnd, 123), child);
  EXPECT_EQ(GetDlgItem(hwnd, 110), nullptr);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE, WS_VISIBLE);
}

TEST_F(WindowLifecycle, ChildIdsParentsOwnersAndSiblings) {
  HWND top = TopLevel();
  HWND a = Child(top, 1, 0, 0, 8, 13);
  HWND b = Child(top, 2, 0, 13, 8, 13);
  HWND nested = Child(a, 3, 0, 0, 8, 13);
  HWND owned = PopUp(0, 0, 80, 26, WS_VISIBLE, a);  // owner is the child's top-level window
  struct Case {
    HWND got;
    HWND expected;
  } cases[] = {
      {GetParent(a), top},       {GetParent(nested), a},           {GetParent(top), nullptr},
      {GetParent(owned), top},   {GetWindow(owned, GW_OWNER), top}, {GetWindow(top, GW_CHILD), a},
      {GetWindow(a, GW_HWNDNEXT), b}, {GetWindow(b, GW_HWNDNEXT), nullptr}, {GetDlgItem(top, 2), b},
      {GetDlgItem(top, 3), nullptr},  {GetAncestor(nested, GA_ROOT), top},  {GetDlgItem(a, 3), nested},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
  EXPECT_TRUE(IsChild(top, nested));
  EXPECT_FALSE(IsChild(top, owned));
}

TEST_F(WindowLifecycle, ClassesAreFoundWithoutRegardToCaseAndStayWhileInUse) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"LSoundPlayer_Window";
  EXPECT_NE(RegisterClassW(&wc), 0);
  EXPECT_EQ(RegisterClassW(&wc), 0);
  WNDCLASSW found{};
  EXPECT_TRUE(GetClassInfoW(nullptr, L"lsoundplayer_window", &found));
  EXPECT_EQ(found.lpfnWndProc, RecordingProc);
  EXPECT_FALSE(GetClassInfoW(nullptr, L"LMainWindow", &found));
  HWND hidden = CreateWindowExW(0, L"LSoundPlayer_Window", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(IsWindowVisible(hidden));
  EXPECT_FALSE(UnregisterClassW(L"LSoundPlayer_Window", nullptr));
  DestroyWindow(hidden);
  EXPECT_TRUE(UnregisterClassW(L"LSoundPlayer_Window", nullptr));
  WNDCLASSW nameless{};
  nameless.lpfnWndProc = RecordingProc;
  EXPECT_EQ(RegisterClassW(&nameless), 0);
}

TEST_F(WindowLifecycle, WindowTextRoundTripsAndTruncatesToTheBuffer) {
  HWND hwnd = TopLevel();
  ASSERT_TRUE(SetWindowTextW(hwnd, L"Frequency"));
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 9);
  wchar_t buffer[5];
  EXPECT_EQ(GetWindowTextW(hwnd, buffer, 5), 4);
  EXPECT_EQ(std::wstring(buffer), L"Freq");
  wchar_t whole[32];
  EXPECT_EQ(GetWindowTextW(hwnd, whole, 32), 9);
  EXPECT_EQ(std::wstring(whole), L"Frequency");
  EXPECT_EQ(GetWindowTextW(hwnd, whole, 0), 0);
  EXPECT_EQ(GetWindowTextW(nullptr, whole, 32), 0);
}

TEST_F(WindowLifecycle, HelpBubblesFromAChildUpToItsTopLevelWindow) {
  HWND top = TopLevel();
  HWND child = Child(top, 110, 0, 0, 80, 26);
  HWND nested = Child(child, 5, 0, 0, 8, 13);
  HELPINFO help{};
  help.cbSize = sizeof help;
  g_handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (hwnd == top && message == WM_HELP) return 1;
    return std::nullopt;
  };
  g_log.clear();
  EXPECT_EQ(SendMessageW(nested, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
  auto helps = OfKind(WM_HELP);
  ASSERT_EQ(helps.size(), 3u);
  EXPECT_EQ(helps[0].hwnd, nested);
  EXPECT_EQ(helps[1].hwnd, child);
  EXPECT_EQ(helps[2].hwnd, top);
  EXPECT_EQ(helps[2].lParam, reinterpret_cast<LPARAM>(&help));
}

TEST_F(WindowLifecycle, ResetLeavesNothingBehind) {
  HWND hwnd = TopLevel();
  PostMessageW(hwnd, WM_USER, 0, 0);
  PostMessageW(nullptr, WM_USER + 1, 0, 0);
  ResetWindowSystem();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  WNDCLASSW found{};
  EXPECT_FALSE(GetClassInfoW(nullptr, kClass, &found));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
