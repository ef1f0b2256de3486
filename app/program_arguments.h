// The program's command line. A normal start takes at most the output to play
// through (-D NAME); --help, --version and --list-outputs print and end the
// program before it looks for a running one, takes over the screen or reads
// the settings. Anything else, and an output this machine does not have, is
// refused with one line, so that a mistyped option never starts the screen.
#pragma once

#include <cstdio>

// Returns -1 for a normal start (the output chosen, when one was named), or
// the status to exit with: 0 after --help, --version or --list-outputs
// (printed to out), 2 after one line on err.
int HandleProgramArguments(int argc, const char *const *argv, std::FILE *out, std::FILE *err);
