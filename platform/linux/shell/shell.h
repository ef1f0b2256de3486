// The pocket computer shell's services the system uses: the soft menu bar with
// its tool bar buttons, and the shell's handling of activation and setting
// changes.
#pragma once

#include "platform/linux/win_types.h"
#include "platform/linux/shell/menu_bar.h"
#include "platform/linux/shell/shell_activation.h"
