// Message boxes: a modal box centred on the screen with its caption, its text
// (lines split at line breaks and wrapped to the screen) and an OK button.
// Enter, Esc and a click on OK all close it with IDOK, as a box with only an OK
// button does.
#pragma once

#include "platform/linux/window/window.h"

// Only MB_OK boxes are shown; MB_ICONEXCLAMATION (and the other icons) put a
// mark before the text.
int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
