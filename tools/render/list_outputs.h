// `wendrel-render --list-outputs`: what WENDREL_AUDIO can name on this machine,
// one output a line, its name first so that a script can take the first word.
#pragma once

#include <iosfwd>

// Prints the list; returns the exit status (0, or 1 when it cannot be written).
int PrintAudioOutputs(std::ostream &out);
