// Threads, events, waits, critical sections, local memory and the tick count,
// with the Win32 names, values and results the system is written against. Only
// the subset the system uses; named objects, wait-all and suspended threads are
// not offered.
#pragma once

#include "platform/linux/threads/critical_section.h"
#include "platform/linux/threads/event.h"
#include "platform/linux/threads/local_memory.h"
#include "platform/linux/threads/thread.h"
#include "platform/linux/threads/wait.h"
