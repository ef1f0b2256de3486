// The single-line edit box ("Edit"): typing, caret and selection keys, the
// modified flag and the EM_ messages the dialogs use. Without ES_AUTOHSCROLL
// typing stops when the text fills the box's width, as the platform's edit box
// does; with it the text scrolls.
#pragma once

#include "platform/linux/window/window.h"

#define WC_EDITW L"Edit"

#define ES_LEFT 0x0000
#define ES_CENTER 0x0001
#define ES_RIGHT 0x0002
#define ES_MULTILINE 0x0004
#define ES_AUTOHSCROLL 0x0080
#define ES_READONLY 0x0800

#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9
#define EM_LIMITTEXT 0x00C5
#define EM_REPLACESEL 0x00C2
#define EM_SETLIMITTEXT EM_LIMITTEXT

#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_MAXTEXT 0x0501
