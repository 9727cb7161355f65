#include "cli/output_formats.h"

#include <array>
#include <string_view>

namespace cli {
namespace {

constexpr std::array kFormats{
    OutputFormat{"mp3", 2, true},   OutputFormat{"ac3", 6, true},  OutputFormat{"wav", 8, false},
    OutputFormat{"flac", 8, false}, OutputFormat{"opus", 8, true}, OutputFormat{"m4a", 8, true},
};

struct CodecContainer {
  std::string_view Codec;
  const char* Container;
};

// PCM that a WAV file holds as it is; other sample layouts go to Matroska.
constexpr std::array kContainers{
    CodecContainer{"aac", "m4a"},       CodecContainer{"mp3", "mp3"},       CodecContainer{"ac3", "ac3"},
    CodecContainer{"opus", "opus"},     CodecContainer{"vorbis", "ogg"},    CodecContainer{"flac", "flac"},
    CodecContainer{"pcm_u8", "wav"},    CodecContainer{"pcm_s16le", "wav"}, CodecContainer{"pcm_s24le", "wav"},
    CodecContainer{"pcm_s32le", "wav"}, CodecContainer{"pcm_f32le", "wav"}, CodecContainer{"pcm_f64le", "wav"},
    CodecContainer{"pcm_alaw", "wav"},  CodecContainer{"pcm_mulaw", "wav"},
};

}  // namespace

const OutputFormat* FindOutputFormat(const std::string& name) {
  for (const OutputFormat& format : kFormats)
    if (name == format.Name) return &format;
  return nullptr;
}

std::string OutputFormatNames() {
  std::string names;
  for (const OutputFormat& format : kFormats) names += (names.empty() ? "" : ", ") + std::string(format.Name);
  return names;
}

std::string CopyContainer(const std::string& codec) {
  for (const CodecContainer& entry : kContainers)
    if (entry.Codec == codec) return entry.Container;
  return "mka";
}

}  // namespace cli
