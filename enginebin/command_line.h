#pragma once
// The engine's command line, split into its options but not yet judged: values stay text until
// the input has been reported, so that a command whose output cannot be made still reports the
// input first.

#include <optional>
#include <span>
#include <string>

namespace enginebin {

struct CommandLine {
  std::optional<std::string> input;          // -i
  std::string output;                        // the one argument that is not an option
  bool overwrite = false;                    // -y
  bool bitexact = false;                     // -bitexact
  std::optional<std::string> audio_codec;    // -acodec: mp3 ac3 wav flac opus m4a, or copy
  std::optional<std::string> format;         // -f: mp3 ac3 wav flac opus m4a ogg mka
  std::optional<std::string> sample_rate;    // -ar, Hz
  std::optional<std::string> channels;       // -ac
  std::optional<std::string> audio_bitrate;  // -ab, kbit/s
  std::optional<std::string> volume;         // -vol, 256 = unity gain
  std::optional<std::string> start;          // -ss, time code or seconds
  std::optional<std::string> duration;       // -t, time code or seconds
  // The modern dialect: what the classic one cannot ask for.
  std::optional<std::string> track;     // -track: the Nth audio stream, from 1
  bool no_tags = false;                 // -notags
  std::optional<std::string> loudness;  // -loudness: target integrated loudness, LUFS
  bool summary = false;                 // -summary
  std::optional<std::string> threads;   // -threads, workers; 1 = sequential
  // Video options are accepted for the sake of callers that pass them; the output has no video.
  std::optional<std::string> video_codec;    // -vcodec
  std::optional<std::string> frame_rate;     // -r
  std::optional<std::string> frame_size;     // -s
  std::optional<std::string> video_bitrate;  // -b, kbit/s
};

// Splits argv (without the program name). Throws EngineError on an unknown option, an option
// without its value, or a second output file.
CommandLine parse_command_line(std::span<const char* const> arguments);

// One line per option, for a call without arguments.
std::string usage_text();

}  // namespace enginebin
