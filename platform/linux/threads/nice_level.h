// How the eight thread priority levels become per-thread nice values on Linux,
// relative to the nice value the process was started with. Internal to the
// threads service.
#pragma once

#include <sys/types.h>

// Sets thread `tid` to priority `level` (0 highest .. 7 lowest): nice offsets
// -15, -10, -5, 0, +5, +10, +15 and +19 from the process's own.
//
// An unprivileged process may raise a nice value but never lower it again (the
// kernel allows lowering only down to 20 - RLIMIT_NICE, usually not at all, or
// with CAP_SYS_NICE). So a level above normal goes as far as the system allows
// and otherwise stays where it is; a level below normal is applied only when
// the thread could later be brought back to normal, and is normal otherwise.
// An ordinary user's thread therefore never ends below normal priority: the
// player's feeder, started at the lowest level and raised to the highest once
// its ring is full, runs at normal throughout.
void ApplyNiceLevel(pid_t tid, int level);
