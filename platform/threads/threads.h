// Threads, events, waits, critical sections, local memory and the tick count,
// with the Win32 names, values and results the system is written against. Only
// the subset the system uses; named objects, wait-all and suspended threads are
// not offered.
#pragma once

#include "platform/threads/critical_section.h"
#include "platform/threads/event.h"
#include "platform/threads/local_memory.h"
#include "platform/threads/thread.h"
#include "platform/threads/wait.h"
