// The common controls and dialogs the system uses: the report list view, edit
// boxes, push buttons, static texts, dialogs from in-memory templates, message
// boxes, menus and the resources they are built from.
#pragma once

#include "platform/win_types.h"
#include "platform/controls/button_control.h"
#include "platform/controls/common_controls.h"
#include "platform/controls/dialog.h"
#include "platform/controls/dialog_template.h"
#include "platform/controls/edit_control.h"
#include "platform/controls/list_view.h"
#include "platform/controls/list_view_types.h"
#include "platform/controls/menu.h"
#include "platform/controls/message_box.h"
#include "platform/controls/resources.h"
#include "platform/controls/static_control.h"
