// The common controls and dialogs the system uses: the report list view, edit
// boxes, push buttons, static texts, dialogs from in-memory templates, message
// boxes, menus and the resources they are built from.
#pragma once

#include "platform/linux/win_types.h"
#include "platform/linux/controls/button_control.h"
#include "platform/linux/controls/common_controls.h"
#include "platform/linux/controls/dialog.h"
#include "platform/linux/controls/dialog_template.h"
#include "platform/linux/controls/edit_control.h"
#include "platform/linux/controls/list_view.h"
#include "platform/linux/controls/list_view_types.h"
#include "platform/linux/controls/menu.h"
#include "platform/linux/controls/message_box.h"
#include "platform/linux/resources/resources.h"
#include "platform/linux/controls/static_control.h"
