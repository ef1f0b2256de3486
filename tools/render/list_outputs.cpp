#include "tools/render/list_outputs.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "platform/output_list.h"

int PrintAudioOutputs(std::ostream &out) {
  const std::vector<AudioOutputName> outputs = ListAudioOutputs();
  size_t width = 0;
  for (const AudioOutputName &output : outputs) width = std::max(width, output.name.size());
  for (const AudioOutputName &output : outputs) {
    out << output.name;
    if (!output.description.empty()) out << std::string(width + 2 - output.name.size(), ' ') << output.description;
    out << '\n';
  }
  out.flush();
  return out ? 0 : 1;
}
