// The main window's two controls, made while it handles WM_CREATE: the
// parameter list over the whole client area, and the tool bar buttons after
// the soft menu bar's drop-down buttons.
#pragma once

#include "platform/platform.h"
#include "settings/tone_settings.h"

// Creates the list (id kParameterListId) and fills it from settings.
void CreateParameterList(HWND parent, const ToneSettings &settings);

// Adds the tool bar images and the Play, Stop, Increase and Decrease buttons.
void AddToolBarButtons(HWND menuBar);
