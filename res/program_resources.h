// The program's resources as one compiled resource file (the standard .res
// layout), made from wendrel.rc at build time and embedded in the program. On
// Linux the entry code of each program that needs resources hands these bytes
// to the platform (RegisterProgramResources); the Windows executable carries
// the same resources in its own resource section and does not use them.
#pragma once

#include <cstdint>
#include <span>

// Lives for the whole run, aligned as the layout's 32-bit fields want.
std::span<const uint8_t> ProgramResourceFile();
