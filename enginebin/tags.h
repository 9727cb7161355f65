#pragma once
// The source's tags carried into the output, where its format holds them.

#include "av_handles.h"

namespace enginebin {

struct OutputSettings;

// Title, artist, album, date and comment of the input (of the file, or else of the audio stream,
// where Ogg and FLAC keep them), and the audio stream's language, into settings; nothing when
// settings.tags is off.
void read_tags(const AVFormatContext& input, const AVStream& audio, OutputSettings& settings);

// Puts the tags read on the output and its stream; before the header is written.
void write_tags(const OutputSettings& settings, AVFormatContext& output, AVStream& stream);

}  // namespace enginebin
