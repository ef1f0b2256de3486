// The sound outputs of this machine, for a user choosing one, and the choice
// itself. On Linux, ALSA's playback devices as its configuration describes
// them (the names and descriptions `aplay -L` shows, as "alsa:NAME"), then the
// null and WAV sinks. On Windows, the waveform output devices by number, the
// wave mapper ("mapper") first. A listing is not a check that a device opens:
// a listed card may be busy or unplugged.
//
// The programs name an output once, at start, before any device opens; every
// later open plays through it. Without a choice, WENDREL_AUDIO names it, else
// the machine's default plays. The system never learns which side it runs on:
// the player opens the device number ChosenWaveOutDevice gives.
#pragma once

#include <string>
#include <vector>

struct AudioOutputName {
  std::string name;         // as ChooseAudioOutput and WENDREL_AUDIO take it
  std::string description;  // one line
};

std::vector<AudioOutputName> ListAudioOutputs();

// The list as the programs' --list-outputs prints it: one output a line, its
// name first, so that a script can take the first word, and the descriptions
// in one column.
inline std::string AudioOutputLines(const std::vector<AudioOutputName> &outputs) {
  size_t width = 0;
  for (const AudioOutputName &output : outputs) width = output.name.size() > width ? output.name.size() : width;
  std::string lines;
  for (const AudioOutputName &output : outputs) {
    lines += output.name;
    if (!output.description.empty()) lines += std::string(width + 2 - output.name.size(), ' ') + output.description;
    lines += '\n';
  }
  return lines;
}

// Makes name the output of every later open. Empty when this machine has an
// output of that name; otherwise why not, as a phrase that names it ("no sound
// output named 'x'") for the program to complete with where the names are.
// Looks the name up without opening it, so a busy or frozen device never
// holds up the start.
std::string ChooseAudioOutput(const std::string &name);

// The output the next open plays through, as the list names it: the chosen
// one, else WENDREL_AUDIO, else the default.
std::string ChosenAudioOutput();

// The device number for waveOutOpen that plays through ChosenAudioOutput.
unsigned ChosenWaveOutDevice();
