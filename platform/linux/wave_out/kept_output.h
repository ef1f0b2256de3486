// The sound card stream of the device closed last, kept open for a moment so
// that an open of the same output and format that follows at once (the
// player's restart after a change while playing: Stop, then Start) takes it
// over instead of having the sound server tear one stream down and build
// another, which leaves a hole of silence between the old sound and the new.
// Not for holding an output: a stream nobody takes is closed within half a
// second, and only a stream that closed in good order is kept.
//
// A kept stream has been cut (after a reset) or has played out its sound, so
// it waits for its next write and needs no feeding meanwhile.
//
// Threads: any; called by the devices' playback threads.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/wave_out/audio_sink.h"

// Keeps sink, opened for choice and format; a stream kept before is closed.
void KeepOutput(const std::string &choice, const SinkFormat &format, std::unique_ptr<AudioSink> sink);

// The kept stream if it was opened for exactly choice and format, else null
// (a kept stream of another output or format is closed first, so may block).
std::unique_ptr<AudioSink> TakeKeptOutput(const std::string &choice, const SinkFormat &format);
