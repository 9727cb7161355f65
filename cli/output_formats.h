// The formats the command writes, and the container that takes a copied stream.
#pragma once

#include <string>

namespace cli {

struct OutputFormat {
  const char* Name;  // as -f takes it; also the engine's name and the file extension
  int MaxChannels;
  bool TakesBitRate;
};

// nullptr for a name the command does not know; "copy" is none of these.
const OutputFormat* FindOutputFormat(const std::string& name);

// "mp3, ac3, wav, flac, opus, m4a".
std::string OutputFormatNames();

inline constexpr const char* kCopy = "copy";

// The container a stream of this codec (the engine's codec name) is copied into, which is also
// the output's extension: aac gives m4a, vorbis ogg, pcm_s16le wav, an unlisted codec mka.
std::string CopyContainer(const std::string& codec);

}  // namespace cli
