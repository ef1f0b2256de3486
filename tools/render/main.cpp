// wendrel-render: renders what Wendrel would play for a settings record to a
// WAV file, without a sound card and faster than real time.
#include <clocale>
#include <iostream>

#include <CLI/CLI.hpp>

#include "platform/output_list.h"
#include "tools/render/command_line.h"
#include "tools/render/list_outputs.h"
#include "tools/render/play.h"
#include "tools/render/render_job.h"

int main(int argc, char **argv) {
  // File names on the command line are multibyte text in the user's locale;
  // the file calls take them as wide text and convert them back.
  std::setlocale(LC_ALL, "");

  CLI::App app{"", "wendrel-render"};
  RenderOptions options;
  AddRenderOptions(app, options);
  // Further modes add their options here, before parsing.
  bool play = false;
  AddPlayOption(app, options, play);

  int status = ParseRenderCommandLine(app, options, argc, argv, std::cout, std::cerr);
  if (status >= 0) return status;
  if (options.listOutputs) return PrintAudioOutputs(std::cout);
  if (app.count("--device") > 0) {
    // Refused before anything is rendered or opened, as any other bad input.
    const std::string refused = ChooseAudioOutput(options.device);
    if (!refused.empty()) {
      std::cerr << "wendrel-render: " << refused << "; wendrel-render --list-outputs lists them\n";
      return 2;
    }
  }
  return play ? RunPlayJob(options, std::cerr) : RunRenderJob(options, std::cerr);
}
