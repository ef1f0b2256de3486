#include "tools/render/slash_arguments.h"

#include <cstring>

#include <CLI/CLI.hpp>

namespace {

bool NamesAnOption(const CLI::App &app, const std::string &argument) {
  size_t end = argument.find(':');
  std::string name = argument.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  return app.get_option_no_throw("--" + name) != nullptr || app.get_option_no_throw("-" + name) != nullptr;
}

}  // namespace

bool AsksForHelpBySlash(const CLI::App &app, int argc, const char *const *argv) {
  if (!app.get_allow_windows_style_options()) return false;
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "/?") == 0) return true;
  }
  return false;
}

std::string ExplainSlashArgument(const CLI::App &app, int argc, const char *const *argv) {
  if (!app.get_allow_windows_style_options()) return {};
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    std::string argument = argv[i];
    if (argument.size() < 2 || argument[0] != '/' || NamesAnOption(app, argument)) continue;
    std::string backslashed = argument;
    for (char &c : backslashed) {
      if (c == '/') c = '\\';
    }
    // Under Wine the Unix root is drive Z:, and a path from the root of the
    // current drive needs no letter when the program starts in a Unix folder.
    return "'" + argument + "' reads as an option: on Windows a leading / starts one. Write the path with " +
           "backslashes (" + backslashed + ") or with its drive (Z:" + backslashed + " is " + argument +
           " under Wine)";
  }
  return {};
}
