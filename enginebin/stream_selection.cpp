#include "stream_selection.h"

#include "console.h"
#include "engine_error.h"
#include "input_file.h"

#include <charconv>

namespace enginebin {

AVStream* chosen_audio_stream(AVFormatContext& input, const std::optional<std::string>& track,
                              const std::string& input_name) {
  if (!track) return first_audio_stream(input);
  int number = 0;
  const auto [end, error] = std::from_chars(track->data(), track->data() + track->size(), number);
  if (error != std::errc() || end != track->data() + track->size() || number < 1)
    throw EngineError("Invalid value '" + *track + "' for option '-track' (expected a whole number from 1)");
  int seen = 0;
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    if (input.streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    if (++seen == number) return input.streams[i];
  }
  if (seen == 0) return nullptr;
  throw EngineError(format_text("'%s' has no audio track %d (it has %d)", input_name.c_str(), number, seen));
}

}  // namespace enginebin
