// The pocket computer shell's services the system uses: the soft menu bar with
// its tool bar buttons, and the shell's handling of activation and setting
// changes.
#pragma once

#include "platform/win_types.h"
#include "platform/shell/menu_bar.h"
#include "platform/shell/shell_activation.h"
