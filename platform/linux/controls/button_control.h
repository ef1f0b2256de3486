// Push buttons ("Button"): drawn as a bracketed caption, clicked by the mouse,
// by Space while focused, or by the dialog manager for Enter and Esc; a click
// sends BN_CLICKED to the parent.
#pragma once

#include "platform/linux/window/window.h"

#define WC_BUTTONW L"Button"

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_TYPEMASK 0x0000000FL
#define BS_LEFT 0x00000100L
#define BS_RIGHT 0x00000200L
#define BS_CENTER 0x00000300L

#define BM_CLICK 0x00F5
#define BN_CLICKED 0
