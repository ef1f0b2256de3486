#include "platform/platform.h"

HINSTANCE g_hInstance = nullptr;
