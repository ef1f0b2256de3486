// The screen the tests' windows live on: on Linux the platform's in-memory
// headless screen, started and stopped around each test; Windows has its
// desktop already, so there is nothing to start.
#pragma once

#ifdef _WIN32
inline void StartHeadlessScreen(int /*columns*/, int /*rows*/) {}
inline void StopScreen() {}
#else
#include "platform/linux/window/screen_session.h"
#endif
