// Placeholder until the service is built.
#pragma once

#include "platform/win_types.h"
