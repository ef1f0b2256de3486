#include "app/program_arguments.h"

#include <cstring>
#include <string>

#include "platform/output_list.h"
#include "wendrel_version.h"

namespace {

#ifdef _WIN32
constexpr const char kHelp[] =
    "Usage: wendrel [-D NAME | --device NAME] [-h | --help | --version | --list-outputs]\n"
    "\n"
    "Wendrel plays test tones and noise: one window with the parameter list, the\n"
    "File, Tone and Help menus and the Play, Stop, Increase Value and Decrease\n"
    "Value buttons. The settings are kept in Current.tdf in %APPDATA%\\Wendrel\\.\n"
    "\n"
    "Options:\n"
    "  -D, --device NAME  Play through the waveform output NAME as --list-outputs\n"
    "                     prints it: mapper (the device chosen in the sound\n"
    "                     settings) or a device number; default: WENDREL_AUDIO,\n"
    "                     else device 0\n"
    "  --list-outputs     List the waveform output devices, one a line, and exit\n"
    "  -h, --help         Print this help and exit\n"
    "  --version          Print the version and exit\n";
#else
constexpr const char kHelp[] =
    "Usage: wendrel [-D NAME | --device NAME] [-h | --help | --version | --list-outputs]\n"
    "\n"
    "Wendrel plays test tones and noise. Started without arguments it takes over\n"
    "the terminal: one screen with the parameter list, the File, Tone and Help\n"
    "menus and the Play, Stop, Increase Value and Decrease Value buttons; see\n"
    "wendrel(1) for the keys. The settings are kept in Current.tdf in\n"
    "$XDG_CONFIG_HOME/wendrel/ (~/.config/wendrel/ by default).\n"
    "\n"
    "Options:\n"
    "  -D, --device NAME  Play through the sound output NAME as --list-outputs\n"
    "                     prints it: alsa:NAME (an ALSA device), null or\n"
    "                     wav:PATH; default: WENDREL_AUDIO, else alsa:default\n"
    "  --list-outputs     List the sound outputs of this machine, one a line, and\n"
    "                     exit\n"
    "  -h, --help         Print this help and exit\n"
    "  --version          Print the version and exit\n";
#endif

enum class Request { Start, Help, Version, ListOutputs };

}  // namespace

int HandleProgramArguments(int argc, const char *const *argv, std::FILE *out, std::FILE *err) {
  if (argc <= 1) return -1;
  Request request = Request::Start;
  const char *device = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
      request = Request::Help;
    } else if (std::strcmp(argument, "--version") == 0) {
      if (request != Request::Help) request = Request::Version;
    } else if (std::strcmp(argument, "--list-outputs") == 0) {
      if (request == Request::Start) request = Request::ListOutputs;
    } else if (std::strcmp(argument, "-D") == 0 || std::strcmp(argument, "--device") == 0) {
      if (i + 1 >= argc) {
        std::fprintf(err, "wendrel: %s needs the name of an output; wendrel --list-outputs lists them\n", argument);
        return 2;
      }
      device = argv[++i];
    } else if (std::strncmp(argument, "--device=", 9) == 0) {
      device = argument + 9;
    } else if (std::strncmp(argument, "-D", 2) == 0) {
      device = argument + 2;  // -Dnull, as aplay takes it
    } else {
      std::fprintf(err, "wendrel: unknown argument '%s' (see wendrel --help)\n", argument);
      return 2;
    }
  }
  switch (request) {
    case Request::Help:
      std::fputs(kHelp, out);
      break;
    case Request::Version:
      std::fputs("wendrel " WENDREL_VERSION "\n", out);
      break;
    case Request::ListOutputs:
      std::fputs(AudioOutputLines(ListAudioOutputs()).c_str(), out);
      break;
    case Request::Start:
      if (device != nullptr) {
        // Refused here, before the screen is taken: a play that would fail
        // later says less, and only once the user has pressed Play.
        const std::string refused = ChooseAudioOutput(device);
        if (!refused.empty()) {
          std::fprintf(err, "wendrel: %s; wendrel --list-outputs lists them\n", refused.c_str());
          return 2;
        }
      }
      return -1;
  }
  return std::fflush(out) == 0 ? 0 : 1;
}
