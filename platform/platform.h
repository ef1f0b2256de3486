// The one header through which the system reaches the machine: files, threads,
// waveform output, the window system, the soft menu bar and common controls,
// with the names, types and results of the calls the system is written against.
#pragma once

#ifdef _WIN32
#include "platform/windows/windows_platform.h"
#else
#include "platform/win_types.h"
#include "platform/core/handle.h"
#include "platform/files/files.h"
#include "platform/threads/threads.h"
#include "platform/wave_out/wave_out.h"
#include "platform/window/window.h"
#include "platform/controls/controls.h"
#include "platform/shell/shell.h"
#endif
