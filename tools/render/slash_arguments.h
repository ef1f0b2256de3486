// A leading / on Windows. There CLI11 reads "/name" as an option, as Windows
// programs do ("/?" asks for help), so a Unix-style path, usual under Wine,
// reads as an unknown option and the parse fails with a message that names
// neither the cause nor the cure. These find such an argument and say both.
#pragma once

#include <string>

namespace CLI {
class App;
}

// True when an argument before "--" is "/?" and app reads a leading / as an
// option's prefix.
bool AsksForHelpBySlash(const CLI::App &app, int argc, const char *const *argv);

// For the first argument before "--" that starts with / and names none of
// app's options, while app reads a leading / as an option's prefix: one line
// saying so and what to write instead. Empty otherwise.
std::string ExplainSlashArgument(const CLI::App &app, int argc, const char *const *argv);
