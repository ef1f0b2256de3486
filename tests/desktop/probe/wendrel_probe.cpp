// wendrel_probe [move]: prints what the running Wendrel shows, as Windows
// reports it from inside the program: the main window's class, title and
// place, the list's rows with their selection, focus and item data, the
// menu bar's place, buttons and menu states, open dialogs and message
// boxes, and the focused control; the client area, the frame's sizing,
// minimise and maximise, and whether the window is minimised, maximised and
// in the foreground. With "move" the window is moved first.
// Status 1 when no Wendrel window exists.
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/desktop/probe/probe_protocol.h"

int wmain(int argc, wchar_t **argv) {
  HWND main = FindWindowW(L"LMainWindow", L"Wendrel");
  if (main == nullptr) {
    std::fprintf(stderr, "wendrel_probe: no Wendrel window\n");
    return 1;
  }
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kProbeReportBytes,
                                      kProbeReportName);
  auto *report = static_cast<wchar_t *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kProbeReportBytes));
  if (report == nullptr) return 2;
  report[0] = L'\0';

  HMODULE hook = LoadLibraryW(L"wendrel_probe_hook.dll");
  auto *proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void *>(GetProcAddress(hook, "ProbeCallWndProc")));
  DWORD thread = GetWindowThreadProcessId(main, nullptr);
  HHOOK installed = proc != nullptr ? SetWindowsHookExW(WH_CALLWNDPROC, proc, hook, thread) : nullptr;
  if (installed == nullptr) {
    std::fprintf(stderr, "wendrel_probe: cannot hook the program\n");
    return 2;
  }
  WPARAM request = argc > 1 && std::wcscmp(argv[1], L"move") == 0 ? kProbeMoveWindow : kProbeReport;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, RegisterWindowMessageW(kProbeMessageName), request, 0, SMTO_BLOCK, 10000, &result);
  UnhookWindowsHookEx(installed);

  // UTF-8 on standard output, one line each.
  std::wstring text(report);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return text.empty() ? 2 : 0;
}
