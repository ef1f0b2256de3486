#include "app/frame_window.h"

#include <cstring>

FrameWindow::FrameWindow() {
  std::memset(&activateInfo, 0, sizeof(activateInfo));
  // 12 bytes on the pocket computer; the record is wider with 64-bit handles,
  // and the shell checks the size against its own type.
  activateInfo.cbSize = sizeof(activateInfo);
}

bool FrameWindow::PreTranslateMessage(HWND hwndMessage, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)hwndMessage;
  (void)message;
  (void)wParam;
  (void)lParam;
  return false;
}

void FrameWindow::Run() {
  HWND running = FindWindowW(kMainWindowClass, kMainWindowTitle);
  if (running != nullptr) {
    SetForegroundWindow(running);
    return;
  }
  if (CreateFrame() == nullptr) return;

  // There is no quit message: destroying the window clears hwnd, and IsWindow
  // of a null handle is false.
  MSG msg;
  std::memset(&msg, 0, sizeof(msg));
  while (IsWindow(hwnd)) {
    GetMessageW(&msg, nullptr, 0, 0);
    if (!PreTranslateMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

HWND FrameWindow::CreateFrame() {
  WNDCLASSW wc;
  std::memset(&wc, 0, sizeof(wc));
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = FrameWindowProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = g_hInstance;
  wc.hIcon = LoadIconW(g_hInstance, MAKEINTRESOURCEW(1));
  wc.hCursor = nullptr;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kMainWindowClass;
  RegisterClassW(&wc);

  HWND created = CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, WS_VISIBLE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 g_hInstance, this);
  hwnd = created;
  if (created == nullptr) return nullptr;

  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return created;
}

LRESULT CALLBACK FrameWindow::FrameWindowProc(HWND hwndFrame, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
    auto *frame = static_cast<FrameWindow *>(create->lpCreateParams);
    SetWindowLongPtrW(hwndFrame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));

    SHMENUBARINFO mbi;
    std::memset(&mbi, 0, sizeof(mbi));
    mbi.cbSize = sizeof(mbi);
    mbi.hwndParent = hwndFrame;
    mbi.dwFlags = 0;
    mbi.nToolBarId = kMenuBarResource;
    mbi.hInstRes = g_hInstance;
    mbi.nBmpId = 0;
    mbi.cBmpImages = 0;
    frame->hwndMenuBar = SHCreateMenuBar(&mbi) ? mbi.hwndMB : nullptr;

    if (frame->hwndMenuBar != nullptr) {
      // The bar sits below the window, so the window gives up its height.
      RECT rc;
      GetWindowRect(hwndFrame, &rc);
      MoveWindow(hwndFrame, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top - kMenuBarHeight, FALSE);
    }
    frame->hwnd = hwndFrame;
    frame->OnCreate();
    return 0;
  }

  auto *frame = reinterpret_cast<FrameWindow *>(GetWindowLongPtrW(hwndFrame, GWLP_USERDATA));
  if (frame == nullptr) return DefWindowProcW(hwndFrame, message, wParam, lParam);

  switch (message) {
    case WM_DESTROY:
      if (frame->hwnd != nullptr) frame->OnDestroy();
      frame->hwnd = nullptr;
      if (frame->hwndMenuBar != nullptr) {
        DestroyWindow(frame->hwndMenuBar);
        frame->hwndMenuBar = nullptr;
      }
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwndFrame, wParam, lParam, &frame->activateInfo, 0);
      return 0;
    case WM_CLOSE:
      if (frame->OnCancel()) {
        DestroyWindow(hwndFrame);
        return 0;
      }
      // A refusal must end here: the default procedure would destroy the
      // window all the same.
      return 0;
    case WM_SETTINGCHANGE:
      SHHandleWMSettingChange(hwndFrame, wParam, lParam, &frame->activateInfo);
      return 0;
    default:
      if (frame->hwnd == hwndFrame && frame->HandleMessage(message, wParam, lParam) != 0) return 0;
      return DefWindowProcW(hwndFrame, message, wParam, lParam);
  }
}
