// Static text ("Static"): a label drawn left-aligned, centred or right-aligned
// on its first row; it takes no input.
#pragma once

#include "platform/linux/window/window.h"

#define WC_STATICW L"Static"

#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_TYPEMASK 0x0000001FL
