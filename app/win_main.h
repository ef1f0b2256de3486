// wWinMain: the program's entry routine, as the platform calls a graphical
// program with a wide command line: it keeps the instance handle, runs the one
// main window and returns when the window no longer exists. Windows declares
// WinMain itself with a narrow command line, so the wide entry is the one both
// builds share.
#pragma once

#include "platform/platform.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd);
