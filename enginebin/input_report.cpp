#include "input_report.h"

#include "console.h"
#include "output_settings.h"
#include "time_code.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace enginebin {
namespace {

std::string start_text(int64_t start_time) {
  if (start_time == AV_NOPTS_VALUE) return "N/A";
  const char* sign = start_time < 0 ? "-" : "";
  const int64_t magnitude = start_time < 0 ? -start_time : start_time;
  return format_text("%s%lld.%06lld", sign, static_cast<long long>(magnitude / AV_TIME_BASE),
                     static_cast<long long>(magnitude % AV_TIME_BASE));
}

std::string bitrate_text(int64_t bit_rate) {
  if (bit_rate <= 0) return "N/A";
  return format_text("%lld kb/s", static_cast<long long>(bit_rate / 1000));
}

std::string layout_text(const AVChannelLayout& layout) {
  char text[128] = {};
  if (av_channel_layout_describe(&layout, text, sizeof text) < 0) return format_text("%d channels", layout.nb_channels);
  return text;
}

std::string stream_text(const AVStream& stream) {
  const AVCodecParameters& parameters = *stream.codecpar;
  const char* codec = avcodec_get_name(parameters.codec_id);
  switch (parameters.codec_type) {
    case AVMEDIA_TYPE_AUDIO: {
      std::string text =
          format_text("Audio: %s, %d Hz, %s", codec, parameters.sample_rate, layout_text(parameters.ch_layout).c_str());
      if (parameters.bit_rate > 0) text += ", " + bitrate_text(parameters.bit_rate);
      return text;
    }
    case AVMEDIA_TYPE_VIDEO: {
      std::string text = format_text("Video: %s, %dx%d", codec, parameters.width, parameters.height);
      if (stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0)
        text += format_text(", %.2f fps", av_q2d(stream.avg_frame_rate));
      return text;
    }
    default: {
      const char* type = av_get_media_type_string(parameters.codec_type);
      return format_text("%s: %s", type != nullptr ? type : "Data", codec);
    }
  }
}

// "(eng)" after the stream's number when it says its language.
std::string language_text(const AVStream& stream) {
  const AVDictionaryEntry* language = av_dict_get(stream.metadata, "language", nullptr, 0);
  if (language == nullptr || language->value[0] == '\0' || std::string(language->value) == "und") return "";
  return "(" + std::string(language->value) + ")";
}

// "    title: Commentary" under an audio stream that has a title, on one line whatever it holds.
std::string title_text(const AVStream& stream) {
  const AVDictionaryEntry* title = av_dict_get(stream.metadata, "title", nullptr, 0);
  if (stream.codecpar->codec_type != AVMEDIA_TYPE_AUDIO || title == nullptr || title->value[0] == '\0') return "";
  std::string text = title->value;
  for (char& c : text)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  return "    title: " + text + "\n";
}

}  // namespace

std::string input_report(const AVFormatContext& input, const std::string& name) {
  std::string text = format_text("Input #0, %s, from '%s':\n", input.iformat->name, name.c_str());
  const std::string duration = input.duration == AV_NOPTS_VALUE ? "N/A" : format_duration(input.duration);
  text += format_text("  Duration: %s, start: %s, bitrate: %s\n", duration.c_str(),
                      start_text(input.start_time).c_str(), bitrate_text(input.bit_rate).c_str());
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    const AVStream& stream = *input.streams[i];
    text += format_text("  Stream #0.%u%s: %s\n", i, language_text(stream).c_str(), stream_text(stream).c_str());
    text += title_text(stream);
  }
  return text;
}

std::string output_report(const OutputSettings& settings) {
  std::string text = format_text("Output #0, %s, to '%s':\n", settings.muxer->name, settings.path.c_str());
  text += format_text("  Stream #0.0: Audio: %s, %d Hz, %s", avcodec_get_name(settings.encoder->id),
                      settings.sample_rate, layout_text(settings.channel_layout).c_str());
  // A lossless encoder takes no bit rate.
  const AVCodecDescriptor* codec = avcodec_descriptor_get(settings.encoder->id);
  if (settings.bit_rate > 0 && (codec == nullptr || (codec->props & AV_CODEC_PROP_LOSSLESS) == 0))
    text += ", " + bitrate_text(settings.bit_rate);
  return text + "\n";
}

}  // namespace enginebin
