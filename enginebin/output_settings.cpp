#include "output_settings.h"

#include "command_line.h"
#include "console.h"
#include "engine_error.h"
#include "time_code.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace enginebin {
namespace {

struct AudioFormat {
  std::string_view name;
  const char* muxer;
  const char* encoder;  // null: a container for copied streams only
};

constexpr std::array kAudioFormats{
    AudioFormat{"mp3", "mp3", "libmp3lame"}, AudioFormat{"ac3", "ac3", "ac3"},
    AudioFormat{"wav", "wav", "pcm_s16le"},  AudioFormat{"flac", "flac", "flac"},
    AudioFormat{"opus", "opus", "libopus"},  AudioFormat{"m4a", "ipod", "aac"},
    AudioFormat{"ogg", "ogg", nullptr},      AudioFormat{"mka", "matroska", nullptr},
};

constexpr std::string_view kCopy = "copy";

const AudioFormat* find_audio_format(std::string_view name) {
  for (const auto& format : kAudioFormats)
    if (format.name == name) return &format;
  return nullptr;
}

std::string lower_case(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

const AudioFormat& format_from_extension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto separator = path.find_last_of("/\\");
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
    if (const AudioFormat* format = find_audio_format(lower_case(path.substr(dot + 1)))) return *format;
  throw EngineError(
      format_text("Cannot tell the output format of '%s' from its name "
                  "(give -f with one of: %s, %s)",
                  path.c_str(), kFormatNames, kCopyOnlyFormatNames));
}

int parse_integer(const std::optional<std::string>& text, std::string_view option, int minimum, int maximum) {
  int value = 0;
  const char* begin = text->data();
  const char* end = begin + text->size();
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end || value < minimum || value > maximum)
    throw EngineError(
        format_text("Invalid value '%s' for option '-%.*s' (expected a whole "
                    "number from %d to %d)",
                    text->c_str(), static_cast<int>(option.size()), option.data(), minimum, maximum));
  return value;
}

int64_t parse_time(const std::string& text, std::string_view option) {
  const auto micros = parse_time_code(text);
  if (!micros)
    throw EngineError(
        format_text("Invalid time '%s' for option '-%.*s' (expected HH:MM:SS[.f] "
                    "or seconds)",
                    text.c_str(), static_cast<int>(option.size()), option.data()));
  return *micros;
}

const AVCodec& find_encoder(const AudioFormat& format) {
  const AVCodec* encoder = avcodec_find_encoder_by_name(format.encoder);
  if (encoder == nullptr)
    throw EngineError(format_text("The encoder '%s' for '%.*s' is not available in this build", format.encoder,
                                  static_cast<int>(format.name.size()), format.name.data()));
  return *encoder;
}

bool supports_rate(const AVCodec& encoder, int rate) {
  if (encoder.supported_samplerates == nullptr) return true;
  for (const int* r = encoder.supported_samplerates; *r != 0; ++r)
    if (*r == rate) return true;
  return false;
}

std::string supported_rates_text(const AVCodec& encoder) {
  std::string text;
  for (const int* r = encoder.supported_samplerates; *r != 0; ++r)
    text += (text.empty() ? "" : ", ") + std::to_string(*r);
  return text;
}

int choose_sample_rate(const CommandLine& line, const AVCodec& encoder, const AVCodecParameters* input_audio) {
  if (line.sample_rate) {
    const int rate = parse_integer(line.sample_rate, "ar", 1, 768000);
    if (!supports_rate(encoder, rate))
      throw EngineError(format_text("The %s encoder cannot write %d Hz (it supports: %s)", encoder.name, rate,
                                    supported_rates_text(encoder).c_str()));
    return rate;
  }
  if (input_audio != nullptr && input_audio->sample_rate > 0 && supports_rate(encoder, input_audio->sample_rate))
    return input_audio->sample_rate;
  if (supports_rate(encoder, 44100)) return 44100;
  return encoder.supported_samplerates[0];
}

// The encoder's layout with this many channels, preferring the usual one for that count.
std::optional<AVChannelLayout> layout_for(const AVCodec& encoder, int channels) {
  AVChannelLayout usual{};
  av_channel_layout_default(&usual, channels);
  if (encoder.ch_layouts == nullptr) return usual;
  const AVChannelLayout* first_match = nullptr;
  for (const AVChannelLayout* layout = encoder.ch_layouts; layout->nb_channels != 0; ++layout) {
    if (av_channel_layout_compare(layout, &usual) == 0) return usual;
    if (layout->nb_channels == channels && first_match == nullptr && layout->order == AV_CHANNEL_ORDER_NATIVE)
      first_match = layout;
  }
  if (first_match != nullptr) return *first_match;
  return std::nullopt;
}

AVChannelLayout choose_layout(const CommandLine& line, const AVCodec& encoder, const AVCodecParameters* input_audio) {
  if (line.channels) {
    const int channels = parse_integer(line.channels, "ac", 1, 8);
    if (const auto layout = layout_for(encoder, channels)) return *layout;
    throw EngineError(format_text("The %s encoder cannot write %d channels", encoder.name, channels));
  }
  if (input_audio != nullptr && input_audio->ch_layout.nb_channels > 0)
    if (const auto layout = layout_for(encoder, std::min(input_audio->ch_layout.nb_channels, 8))) return *layout;
  if (const auto stereo = layout_for(encoder, 2)) return *stereo;
  return *layout_for(encoder, 1);
}

// Muxers without a codec table answer "unknown"; those hold just their own codec.
bool can_hold(const AVOutputFormat& muxer, AVCodecID codec) {
  const int answer = avformat_query_codec(&muxer, codec, FF_COMPLIANCE_NORMAL);
  return answer > 0 || (answer < 0 && muxer.audio_codec == codec);
}

// Float keeps the resampler's gain and mixing free of intermediate clipping.
AVSampleFormat choose_sample_format(const AVCodec& encoder) {
  if (encoder.sample_fmts == nullptr) return AV_SAMPLE_FMT_FLTP;
  for (const AVSampleFormat* format = encoder.sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format)
    if (*format == AV_SAMPLE_FMT_FLTP) return *format;
  return encoder.sample_fmts[0];
}

// What a copy is: the input's stream as it is, into a container that can hold its codec.
void resolve_copy(const AudioFormat& format, const AVCodecParameters* input_audio, OutputSettings& settings) {
  settings.copy = true;
  if (settings.loudness)
    throw EngineError("-loudness changes the audio, which a copy keeps as it is (give an audio codec)");
  if (input_audio == nullptr) return;  // the missing stream is reported once the input is
  if (!can_hold(*settings.muxer, input_audio->codec_id))
    throw EngineError(format_text("A '%.*s' file cannot hold '%s' audio (copy it into mka)",
                                  static_cast<int>(format.name.size()), format.name.data(),
                                  avcodec_get_name(input_audio->codec_id)));
  settings.sample_rate = input_audio->sample_rate;
}

// Range, workers, tags, loudness and summary: what an encoded output and a copy both take.
void read_modern_options(const CommandLine& line, OutputSettings& settings) {
  if (line.threads) settings.workers = parse_integer(line.threads, "threads", 1, 256);
  if (line.start) settings.start = parse_time(*line.start, "ss");
  if (line.duration) {
    settings.duration = parse_time(*line.duration, "t");
    if (*settings.duration == 0)
      throw EngineError("Invalid time '" + *line.duration + "' for option '-t' (must be above zero)");
  }
  settings.tags = !line.no_tags;
  settings.summary = line.summary;
  if (line.loudness) {
    char* end = nullptr;
    const double target = std::strtod(line.loudness->c_str(), &end);
    if (line.loudness->empty() || *end != '\0' || !(target >= -70 && target <= 0))
      throw EngineError("Invalid value '" + *line.loudness + "' for option '-loudness' (expected LUFS from -70 to 0)");
    settings.loudness = target;
  }
}

}  // namespace

OutputSettings resolve_output_settings(const CommandLine& line, const AVCodecParameters* input_audio) {
  if (line.output.empty()) throw EngineError("No output file given");

  OutputSettings settings;
  settings.path = line.output;
  settings.overwrite = line.overwrite;
  settings.bitexact = line.bitexact;

  const bool copy = line.audio_codec && *line.audio_codec == kCopy;
  const AudioFormat* codec_choice = nullptr;
  if (line.audio_codec && !copy) {
    codec_choice = find_audio_format(*line.audio_codec);
    if (codec_choice == nullptr || codec_choice->encoder == nullptr)
      throw EngineError(
          format_text("Unknown audio codec '%s' (supported: %s, copy)", line.audio_codec->c_str(), kFormatNames));
  }
  const AudioFormat* format_choice = nullptr;
  if (line.format) {
    format_choice = find_audio_format(*line.format);
    if (format_choice == nullptr)
      throw EngineError(format_text("Unknown output format '%s' (supported: %s, and for a copy %s)",
                                    line.format->c_str(), kFormatNames, kCopyOnlyFormatNames));
  } else {
    format_choice = &format_from_extension(line.output);
  }
  if (codec_choice == nullptr && !copy) codec_choice = format_choice;
  if (codec_choice != nullptr && codec_choice->encoder == nullptr)
    throw EngineError(format_text("A '%.*s' file takes only a copied stream (give -acodec copy or one of: %s)",
                                  static_cast<int>(format_choice->name.size()), format_choice->name.data(),
                                  kFormatNames));

  settings.muxer = av_guess_format(format_choice->muxer, nullptr, nullptr);
  if (settings.muxer == nullptr)
    throw EngineError(format_text("The output format '%s' is not available in this build", format_choice->muxer));
  if (copy) {
    read_modern_options(line, settings);
    resolve_copy(*format_choice, input_audio, settings);
    return settings;
  }
  const AVCodec& encoder = find_encoder(*codec_choice);
  settings.encoder = &encoder;
  if (!can_hold(*settings.muxer, encoder.id))
    throw EngineError(format_text("A '%.*s' file cannot hold '%.*s' audio",
                                  static_cast<int>(format_choice->name.size()), format_choice->name.data(),
                                  static_cast<int>(codec_choice->name.size()), codec_choice->name.data()));

  settings.sample_format = choose_sample_format(encoder);
  settings.sample_rate = choose_sample_rate(line, encoder, input_audio);
  settings.channel_layout = choose_layout(line, encoder, input_audio);
  settings.bit_rate = line.audio_bitrate ? parse_integer(line.audio_bitrate, "ab", 1, 10000) * 1000LL : 128'000;
  if (line.volume) settings.gain = parse_integer(line.volume, "vol", 0, 65536) / 256.0;
  read_modern_options(line, settings);
  return settings;
}

}  // namespace enginebin
