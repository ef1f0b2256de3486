#include "app/win_main.h"

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd) {
  (void)hPrevInstance;
  (void)lpCmdLine;
  (void)nShowCmd;
  g_hInstance = hInstance;
  MainWindow window;
  window.Run();
  return 0;
}
