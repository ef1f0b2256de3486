#include "tools/render/list_outputs.h"

#include <ostream>

#include "platform/output_list.h"

int PrintAudioOutputs(std::ostream &out) {
  out << AudioOutputLines(ListAudioOutputs());
  out.flush();
  return out ? 0 : 1;
}
