#pragma once
// Which audio stream of the input a conversion takes.

#include "av_handles.h"

#include <optional>
#include <string>

namespace enginebin {

// The Nth audio stream (track, from 1, as -track gives it) or, without it, the first. nullptr when
// the input has no audio at all. Throws EngineError for a track number that is no number, or
// that the input does not have.
AVStream* chosen_audio_stream(AVFormatContext& input, const std::optional<std::string>& track,
                              const std::string& input_name);

}  // namespace enginebin
