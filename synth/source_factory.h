// CreateSourceFromSettings: builds the source to play from the settings record,
// a tone bank for the tone waveforms or a noise source for noise. It does not
// limit or play the source; the player does.
#pragma once

#include "settings/tone_settings.h"
#include "synth/source_ref.h"

// A new source, whose only reference the returned handle holds. The source
// copies what it needs: later changes to settings do not reach it. Noise uses
// only the duration (durationMs when kFlagDuration is set, else continuous). If
// the source cannot be allocated the handle holds silence, which is invalid.
SourceRef CreateSourceFromSettings(const ToneSettings &settings);
