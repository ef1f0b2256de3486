// Picks and opens the sink that WENDREL_AUDIO names, when a wave device opens.
// Not for the fault hooks: those are applied by the device.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/wave_out/audio_sink.h"
#include "platform/linux/wave_out/wave_out.h"

// The output every open plays through: the one SetAudioSinkChoice named, else
// the value of WENDREL_AUDIO, else "alsa:default" when that is unset or empty.
const char *AudioSinkChoice();
// Names the output of every later open. Called once, at start, before any
// device opens: AudioSinkChoice's text is read without a lock.
void SetAudioSinkChoice(const std::string &choice);

// Opens the sink choice names ("null", "wav:PATH" or "alsa:NAME") for format.
// Null with *error set to the waveOutOpen result for an unknown choice or a
// sink that cannot be opened.
std::unique_ptr<AudioSink> OpenAudioSink(const char *choice, const SinkFormat &format,
                                         MMRESULT *error);
