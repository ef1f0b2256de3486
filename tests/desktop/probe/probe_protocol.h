// What wendrel_probe and its hook library, loaded into the running program,
// agree on: the message the probe sends to the main window, and the shared
// memory the hook writes its report into.
#pragma once

#include <windows.h>

inline constexpr const wchar_t *kProbeMessageName = L"WendrelProbeReport";
inline constexpr const wchar_t *kProbeReportName = L"WendrelProbeReportText";
// The report, UTF-16, zero-terminated.
constexpr DWORD kProbeReportBytes = 1 << 20;

// wParam of the probe message: what the hook does before it reports.
enum ProbeRequest : WPARAM {
  kProbeReport = 0,
  // Moves the main window by 40 and 30 pixels first, to see its bar follow.
  kProbeMoveWindow = 1,
};

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam);
