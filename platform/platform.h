// The one header through which the system reaches the machine: files, threads,
// waveform output, the window system, the soft menu bar and common controls,
// with the names, types and results of the calls the system is written against.
#pragma once

#ifdef _WIN32
#include "platform/windows/windows_platform.h"
#else
#include "platform/linux/win_types.h"
#include "platform/linux/handles/handle.h"
#include "platform/linux/files/files.h"
#include "platform/linux/threads/threads.h"
#include "platform/linux/wave_out/wave_out.h"
#include "platform/linux/window/window.h"
#include "platform/linux/controls/controls.h"
#include "platform/linux/shell/shell.h"
#endif

// The module's instance handle: set by the program's entry routine before
// anything else runs, read by every call that registers a window class,
// creates a window or loads a resource. The platform owns it, so that every
// layer above can read it and no program defines a stand-in.
extern HINSTANCE g_hInstance;
