#pragma once
// What the output is to be, checked against the encoders and muxers of this FFmpeg build.

#include "av_handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace enginebin {

struct CommandLine;

using Tags = std::vector<std::pair<std::string, std::string>>;  // key, value

struct OutputSettings {
  std::string path;
  bool overwrite = false;
  bool bitexact = false;
  const AVOutputFormat* muxer = nullptr;
  const AVCodec* encoder = nullptr;  // null for a copy of the stream
  bool copy = false;                 // the stream's packets as they are, without decoding
  AVSampleFormat sample_format = AV_SAMPLE_FMT_NONE;
  int sample_rate = 0;               // Hz
  AVChannelLayout channel_layout{};  // always a native-order layout, owns no memory
  int64_t bit_rate = 0;              // bit/s
  double gain = 1.0;                 // linear factor; -vol 256 is 1.0
  int64_t start = 0;                 // microseconds from the input's start
  std::optional<int64_t> duration;   // microseconds; none = to the end of the input
  bool tags = true;                  // carry the source's tags
  Tags file_tags;                    // of the whole file: title, artist, album, date, comment
  Tags stream_tags;                  // of the audio stream: its language
  std::optional<double> loudness;    // LUFS to normalise to; none = keep the level
  bool summary = false;              // close with the range written
  int workers = 0;                   // 0 = one per core the process may use
};

// The names that serve at once as codec, format and file extension.
inline constexpr const char* kFormatNames = "mp3, ac3, wav, flac, opus, m4a";
// The containers that only a copy of a stream goes into.
inline constexpr const char* kCopyOnlyFormatNames = "ogg, mka";

// Throws EngineError with a message naming the refused option and what is accepted.
// input_audio gives the defaults for options that the command line leaves out; it may be null.
OutputSettings resolve_output_settings(const CommandLine& line, const AVCodecParameters* input_audio);

}  // namespace enginebin
