#include <future>
#include <thread>

#include "window_test_support.h"

using namespace window_test;

namespace {

class MessageQueue : public WindowTest {};

TEST_F(MessageQueue, SendCallsTheProcedureAtOncePostWaitsForTheLoopInOrder) {
  HWND hwnd = TopLevel(0, L"");
  g_handler = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message >= WM_USER) return static_cast<LRESULT>(wParam * 2);
    return std::nullopt;
  };
  g_log.clear();
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 21, 0), 42);
  ASSERT_EQ(g_log.size(), 1u);
  g_log.clear();
  EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 1, 1, 10));
  EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 2, 2, 20));
  EXPECT_TRUE(g_log.empty());
  Pump();
  std::vector<Recorded> expected = {{hwnd, WM_USER + 1, 1, 10}, {hwnd, WM_USER + 2, 2, 20}};
  EXPECT_EQ(g_log, expected);
}

TEST_F(MessageQueue, MessagesForAWindowDestroyedWhileTheyWaitAreDropped) {
  HWND doomed = TopLevel(0, L"");
  HWND other = TopLevel(0, L"");
  PostMessageW(doomed, WM_USER, 0, 0);
  PostMessageW(other, WM_USER, 0, 0);
  DestroyWindow(doomed);
  g_log.clear();
  Pump();
  auto users = OfKind(WM_USER);
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].hwnd, other);
}

TEST_F(MessageQueue, PeekWithoutRemoveLeavesTheMessageAndFiltersSelect) {
  HWND a = TopLevel(0, L"");
  HWND b = TopLevel(0, L"");
  PostMessageW(a, WM_USER, 1, 0);
  PostMessageW(b, WM_USER + 5, 2, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 9, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, a);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7770)), 0, 0), -1);
}

TEST_F(MessageQueue, QuitComesAfterThePostedMessagesAndEndsGetMessage) {
  HWND hwnd = TopLevel(0, L"");
  PostMessageW(hwnd, WM_USER, 0, 0);
  PostQuitMessage(7);
  MSG msg;
  EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessageQueue, PostingToTheThreadWithoutAWindowReachesItsOwnQueue) {
  EXPECT_TRUE(PostMessageW(nullptr, WM_USER + 3, 4, 5));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_EQ(DispatchMessageW(&msg), 0);
}

TEST_F(MessageQueue, AMessagePostedFromAnotherThreadWakesGetMessageAndRunsOnTheWindowsThread) {
  HWND hwnd = TopLevel(0, L"");
  std::thread::id handledOn;
  g_handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) handledOn = std::this_thread::get_id();
    return std::nullopt;
  };
  Pump();  // nothing left: the next GetMessageW blocks until the post
  std::promise<void> aboutToWait;
  std::thread feeder([&] {
    aboutToWait.get_future().wait();
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
  });
  aboutToWait.set_value();
  MSG msg;
  do {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
  } while (msg.message != WM_USER);
  feeder.join();
  EXPECT_EQ(handledOn, std::this_thread::get_id());
  EXPECT_NE(handledOn, std::thread::id());
}

TEST_F(MessageQueue, ManyPostsFromTwoThreadsAllArriveEachThreadInOrder) {
  HWND hwnd = TopLevel(0, L"");
  constexpr int kEach = 500;
  std::vector<int> fromA;
  std::vector<int> fromB;
  g_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_USER) (lParam == 0 ? fromA : fromB).push_back(static_cast<int>(wParam));
    return std::nullopt;
  };
  auto poster = [hwnd](LPARAM which) {
    for (int i = 0; i < kEach; ++i) PostMessageW(hwnd, WM_USER, static_cast<WPARAM>(i), which);
  };
  std::thread a(poster, 0);
  std::thread b(poster, 1);
  MSG msg;
  while (fromA.size() + fromB.size() < 2u * kEach) {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
  }
  a.join();
  b.join();
  for (int i = 0; i < kEach; ++i) {
    ASSERT_EQ(fromA[static_cast<size_t>(i)], i);
    ASSERT_EQ(fromB[static_cast<size_t>(i)], i);
  }
}

TEST_F(MessageQueue, SendFromAnotherThreadDoesNotCallTheProcedureThere) {
  HWND hwnd = TopLevel(0, L"");
  g_log.clear();
  LRESULT result = 1;
  std::thread other([&] { result = SendMessageW(hwnd, WM_USER, 0, 0); });
  other.join();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(g_log.empty());
}

TEST_F(MessageQueue, TranslateMessageTurnsKeysIntoCharacters) {
  HWND hwnd = TopLevel(0, L"");
  struct Case {
    KeyEvent key;
    UINT expectedChar;  // 0: no WM_CHAR
  } cases[] = {
      {CharacterKey(L'7'), L'7'},
      {CharacterKey(L'\xe9'), L'\xe9'},
      {KeyEvent{VK_RETURN, 0, false, false, false}, 13},
      {KeyEvent{VK_BACK, 0, false, false, false}, 8},
      {KeyEvent{VK_ESCAPE, 0, false, false, false}, 27},
      {KeyEvent{VK_LEFT, 0, false, false, false}, 0},
      {KeyEvent{'A', L'a', false, false, true}, 0},  // Alt+A types nothing
  };
  SetFocus(hwnd);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.key.vk);
    g_log.clear();
    InjectKey(c.key);
    Pump();
    auto chars = OfKind(WM_CHAR);
    if (c.expectedChar == 0) {
      EXPECT_TRUE(chars.empty());
    } else {
      ASSERT_EQ(chars.size(), 1u);
      EXPECT_EQ(chars[0].wParam, c.expectedChar);
      EXPECT_EQ(chars[0].hwnd, hwnd);
    }
  }
}

}  // namespace
