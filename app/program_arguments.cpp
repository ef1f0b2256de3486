#include "app/program_arguments.h"

#include <cstring>

#include "wendrel_version.h"

namespace {

constexpr const char kHelp[] =
    "Usage: wendrel [-h | --help | --version]\n"
    "\n"
    "Wendrel plays test tones and noise. Started without arguments it takes over\n"
    "the terminal: one screen with the parameter list, the File, Tone and Help\n"
    "menus and the Play, Stop, Increase Value and Decrease Value buttons; see\n"
    "wendrel(1) for the keys. The settings are kept in Current.tdf in\n"
    "$XDG_CONFIG_HOME/wendrel/ (~/.config/wendrel/ by default). WENDREL_AUDIO\n"
    "chooses the sound output; wendrel-render --list-outputs lists what it can\n"
    "name.\n"
    "\n"
    "Options:\n"
    "  -h, --help   Print this help and exit\n"
    "  --version    Print the version and exit\n";

}  // namespace

int HandleProgramArguments(int argc, const char *const *argv, std::FILE *out, std::FILE *err) {
  if (argc <= 1) return -1;
  bool help = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      help = true;
    } else if (std::strcmp(argv[i], "--version") != 0) {
      std::fprintf(err, "wendrel: unknown argument '%s' (a normal start takes none; see wendrel --help)\n", argv[i]);
      return 2;
    }
  }
  if (help) {
    std::fputs(kHelp, out);
  } else {
    std::fputs("wendrel " WENDREL_VERSION "\n", out);
  }
  return std::fflush(out) == 0 ? 0 : 1;
}
