// `wendrel-render --play`: plays a source through the sound player and the
// output that WENDREL_AUDIO names, on this thread's message loop, with no
// terminal screen. Not a renderer: what reaches the device is the player's.
#pragma once

#include "synth/source_ref.h"

// Plays source until its duration ends, or until SIGINT or SIGTERM (which also
// end a finite play early), printing the time heard on one updating line of
// standard error: the position the player reports, or for a continuous source,
// whose position never advances, the time since the start. Returns the exit
// status: 0 when the play ran, 1 when playback could not start.
int PlaySource(const SourceRef &source, bool continuous);
