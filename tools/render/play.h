// `wendrel-render --play`: plays the settings through the sound player and the
// output that WENDREL_AUDIO names (alsa:default when unset, alsa:NAME, null,
// wav:PATH), on this thread's message loop, with no terminal screen. Not a
// renderer: what reaches the device is the player's own, so this is how a user
// tests a sound card from a shell.
#pragma once

#include <iosfwd>

#include "synth/source_ref.h"
#include "tools/render/command_line.h"

// Reads the settings and applies the edits as a render does (and writes
// --save), then plays until the duration ends, or until SIGINT or SIGTERM,
// which also end a finite play early. Returns the exit status: 0 when the play
// ran, 2 for an unreadable settings file or unplayable settings, 1 when the
// output could not be started or failed during the play.
int RunPlayJob(const RenderOptions &options, std::ostream &err);

// Plays source, printing the time heard on one updating line of standard
// error: the position the player reports, or for a continuous source, whose
// position never advances, the time since the start. 0 when the play ran, 1
// when playback could not start or its output failed (one line on standard
// error says which).
int PlaySource(const SourceRef &source, bool continuous);
