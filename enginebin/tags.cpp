#include "tags.h"

#include "output_settings.h"

#include <array>

namespace enginebin {
namespace {

constexpr std::array kFileTags{"title", "artist", "album", "date", "comment"};

// The value under the key (in any letter case), or null.
const char* tag(const AVDictionary* tags, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
  return entry != nullptr && entry->value[0] != '\0' ? entry->value : nullptr;
}

void set_all(const Tags& tags, AVDictionary** target) {
  for (const auto& [key, value] : tags) av_dict_set(target, key.c_str(), value.c_str(), 0);
}

}  // namespace

void read_tags(const AVFormatContext& input, const AVStream& audio, OutputSettings& settings) {
  if (!settings.tags) return;
  for (const char* key : kFileTags) {
    const char* value = tag(input.metadata, key);
    if (value == nullptr) value = tag(audio.metadata, key);
    if (value != nullptr) settings.file_tags.emplace_back(key, value);
  }
  // "und" is the containers' way of saying nothing.
  if (const char* language = tag(audio.metadata, "language"); language != nullptr && std::string(language) != "und")
    settings.stream_tags.emplace_back("language", language);
}

void write_tags(const OutputSettings& settings, AVFormatContext& output, AVStream& stream) {
  set_all(settings.file_tags, &output.metadata);
  set_all(settings.stream_tags, &stream.metadata);
}

}  // namespace enginebin
