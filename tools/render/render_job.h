// One run of wendrel-render after its command line was checked: read the
// settings, apply the edits, render, and write the WAV, the levels and the
// saved record. Every output goes to a temporary file first, so a run that
// fails writes nothing.
#pragma once

#include <iosfwd>
#include <string>

#include "settings/tone_settings.h"

#include "tools/render/command_line.h"

// Returns the exit status: 0, 2 for bad input (an unreadable settings file, an
// output that cannot be created, too many frames), 1 when writing fails
// midway. A failure prints one line to err.
int RunRenderJob(const RenderOptions &options, std::ostream &err);

// Prints "wendrel-render: message" as the one line of a failure; returns status.
int FailRender(std::ostream &err, int status, const std::string &message);

// The record a run starts from: the defaults, read over by --settings (a short
// file replaces only its leading bytes, as at the program's start), then the
// command line's edits. Returns false after printing the failure line.
bool ReadRenderSettings(const RenderOptions &options, ToneSettings &settings, std::ostream &err);

// Command-line file names are relative to the working folder, even bare ones
// that the file calls would look for in the settings folder.
std::wstring CommandLinePathToWide(const std::string &path);
