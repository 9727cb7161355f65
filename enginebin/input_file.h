#pragma once
// Opening the input and reading what its headers say.

#include "av_handles.h"

#include <string>

namespace enginebin {

// Opens the file and reads its stream parameters. Throws UnreadableInput when the file is not
// media the libraries can read (or cannot be opened at all).
InputContextPtr open_input(const std::string& path);

// The first audio stream, or nullptr when the input has none.
AVStream* first_audio_stream(AVFormatContext& input);

// Stops the demuxer from delivering anything but the chosen stream: video is never decoded.
void discard_all_streams_but(AVFormatContext& input, const AVStream& kept);

// Microseconds on the input's timeline where it starts (its first timestamp, or 0).
int64_t input_start_time(const AVFormatContext& input);

// The input opened once more, for a worker, with only the audio stream of that index kept. Throws
// PlanMismatch when that opening shows no such audio stream.
struct ReopenedInput {
  InputContextPtr input;
  AVStream* audio = nullptr;
};
ReopenedInput reopen_input(const std::string& path, int audio_stream);

// Whether opening the path again gives the same data from the start (a regular file; not a pipe
// or a device).
bool can_open_again(const std::string& path);

// "file:" keeps names with a colon from being taken for another protocol.
std::string file_url(const std::string& path);

}  // namespace enginebin
