#include "command_line.h"

#include "console.h"
#include "engine_error.h"

#include <array>
#include <string_view>
#include <variant>

namespace enginebin {
namespace {

using FlagField = bool CommandLine::*;
using ValueField = std::optional<std::string> CommandLine::*;

struct OptionSpec {
  std::string_view name;  // without the leading '-'
  std::variant<FlagField, ValueField> target;
  std::string_view value_name;
  std::string_view help;
};

constexpr std::array kOptions{
    OptionSpec{"i", &CommandLine::input, "file", "input file"},
    OptionSpec{"y", &CommandLine::overwrite, "", "overwrite the output file"},
    OptionSpec{"acodec", &CommandLine::audio_codec, "codec", "audio codec: mp3 ac3 wav flac opus m4a, or copy"},
    OptionSpec{"f", &CommandLine::format, "format", "output format: mp3 ac3 wav flac opus m4a, or ogg mka for a copy"},
    OptionSpec{"ar", &CommandLine::sample_rate, "rate", "audio sample rate in Hz"},
    OptionSpec{"ac", &CommandLine::channels, "channels", "number of audio channels"},
    OptionSpec{"ab", &CommandLine::audio_bitrate, "kbit/s", "audio bit rate in kbit/s"},
    OptionSpec{"vol", &CommandLine::volume, "volume", "audio volume (256 = unchanged)"},
    OptionSpec{"ss", &CommandLine::start, "time", "start at this time (HH:MM:SS[.f] or seconds)"},
    OptionSpec{"t", &CommandLine::duration, "time", "length to convert (HH:MM:SS[.f] or seconds)"},
    OptionSpec{"bitexact", &CommandLine::bitexact, "", "write no version-dependent data"},
    OptionSpec{"track", &CommandLine::track, "N", "convert the Nth audio stream (from 1) instead of the first"},
    OptionSpec{"notags", &CommandLine::no_tags, "", "carry no title, artist, album, date, comment or language"},
    OptionSpec{"loudness", &CommandLine::loudness, "LUFS",
               "measure, then bring to this loudness (true peak <= -1 dBTP)"},
    OptionSpec{"summary", &CommandLine::summary, "", "close with the range written on the input's timeline"},
    OptionSpec{"threads", &CommandLine::threads, "count", "workers at once (default: one per usable core)"},
    OptionSpec{"vcodec", &CommandLine::video_codec, "codec", "accepted, ignored: no video is written"},
    OptionSpec{"r", &CommandLine::frame_rate, "rate", "accepted, ignored: no video is written"},
    OptionSpec{"s", &CommandLine::frame_size, "WxH", "accepted, ignored: no video is written"},
    OptionSpec{"b", &CommandLine::video_bitrate, "kbit/s", "accepted, ignored: no video is written"},
};

const OptionSpec* find_option(std::string_view name) {
  for (const auto& option : kOptions)
    if (option.name == name) return &option;
  return nullptr;
}

}  // namespace

CommandLine parse_command_line(std::span<const char* const> arguments) {
  CommandLine line;
  bool have_output = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument.size() < 2 || argument.front() != '-') {
      if (have_output)
        throw EngineError(
            format_text("Unexpected argument '%s' after the output file '%s'", arguments[i], line.output.c_str()));
      line.output = argument;
      have_output = true;
      continue;
    }
    const OptionSpec* option = find_option(argument.substr(1));
    if (option == nullptr) throw EngineError(format_text("Unrecognized option '%s'", arguments[i]));
    if (const auto* flag = std::get_if<FlagField>(&option->target)) {
      line.*(*flag) = true;
      continue;
    }
    if (i + 1 == arguments.size()) throw EngineError(format_text("Missing value for option '%s'", arguments[i]));
    line.*std::get<ValueField>(option->target) = arguments[++i];
  }
  return line;
}

std::string usage_text() {
  std::string text = "usage: nnn.exe [options] -i input [options] output\n";
  for (const auto& option : kOptions) {
    std::string syntax = "-" + std::string(option.name);
    if (!option.value_name.empty()) syntax += " " + std::string(option.value_name);
    text += format_text("  %-16s %.*s\n", syntax.c_str(), static_cast<int>(option.help.size()), option.help.data());
  }
  return text;
}

}  // namespace enginebin
