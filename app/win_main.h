// WinMain: the program's entry routine, as the platform calls a graphical
// program: it keeps the instance handle, runs the one main window and returns
// when the window no longer exists.
#pragma once

#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd);
