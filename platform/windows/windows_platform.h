// The platform on Windows: the real Windows headers, then the few shims for
// what desktop Windows does differently from what the system is written
// against. Everything else the system calls is Windows' own.
#pragma once

// std::min and std::max must stay callable after <windows.h>.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>

#include "platform/windows/pocket_shell.h"
#include "platform/windows/settings_folder_files.h"
