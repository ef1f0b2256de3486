#include "platform/platform.h"

// Each test program is its own program with its own instance handle; the
// player registers its window class for it.
HINSTANCE g_hInstance = nullptr;
