// Why the sound output could not be opened, in words a user can act on. The
// player learns only an MMRESULT and the program's message box keeps its own
// short text, so the details are kept here for each program to print where its
// screen allows: the renderer at once, the terminal program after it has given
// the terminal back. Any thread may call these.
#pragma once

#include <string>

// "unable to start playback on OUTPUT (REASON); ..." naming the output of the
// last open and the command that lists the usable ones; empty when the last
// open succeeded or none was tried.
std::string OutputOpenFailure();

#ifndef _WIN32
#include "platform/linux/wave_out/wave_out.h"

// Called by waveOutOpen for every open of the output that WENDREL_AUDIO names:
// MMSYSERR_NOERROR forgets an earlier failure.
void NoteOutputOpen(const char *choice, MMRESULT result);
#endif
