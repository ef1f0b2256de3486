// The terminal program's command line. A normal start takes no arguments;
// --help and --version print and end the program before it looks for a
// running one, takes over the terminal or reads the settings. Anything else is
// refused, so that a mistyped option never starts the screen.
#pragma once

#include <cstdio>

// Returns -1 for a normal start (no arguments), or the status to exit with:
// 0 after --help or --version (printed to out), 2 after one line on err.
int HandleProgramArguments(int argc, const char *const *argv, std::FILE *out, std::FILE *err);
