// nnn.exe: extracts the audio of a media file into an MP3, AC3, WAV, FLAC, Opus or M4A file, or
// copies it as it is.
//
// The program that starts it reads its console output: the input report ("  Duration: ...")
// as soon as the input's headers are read, then the progress reports. The exit code is 0 only
// when the whole requested range was written and the file closed. The output is written under a
// temporary name beside the output path and renamed only then, so after any failure the output
// path holds what it held before.

#include "command_line.h"
#include "console.h"
#include "conversion.h"
#include "engine_error.h"
#include "input_file.h"
#include "input_report.h"
#include "interruption.h"
#include "loudness_pass.h"
#include "output_file_guard.h"
#include "output_settings.h"
#include "stream_copy.h"
#include "stream_selection.h"
#include "tags.h"

#include <exception>
#include <span>

using namespace enginebin;

namespace {

constexpr int kFailure = 1;

void convert(const CommandLine& line, OutputFileGuard& guard) {
  const std::string& input_name = *line.input;
  InputContextPtr input = open_input(input_name);
  write_console(input_report(*input, input_name));

  AVStream* audio = chosen_audio_stream(*input, line.track, input_name);
  OutputSettings settings = resolve_output_settings(line, audio ? audio->codecpar : nullptr);
  if (audio == nullptr) throw EngineError("'" + input_name + "' has no audio stream");
  if (same_file(input_name, settings.path))
    throw EngineError("The output file '" + settings.path + "' is the input file");
  if (!settings.overwrite && path_exists(settings.path))
    throw EngineError("The output file '" + settings.path + "' already exists (give -y to replace it)");

  discard_all_streams_but(*input, *audio);
  read_tags(*input, *audio, settings);
  if (settings.copy) return copy_audio(*input, *audio, input_name, settings, guard);
  if (settings.loudness) normalise_loudness(*input, *audio, input_name, settings);
  convert_audio(*input, *audio, input_name, settings, guard);
}

}  // namespace

int main(int argc, char** argv) {
  // Library warnings would only interleave with the reports the runner reads.
  av_log_set_level(AV_LOG_ERROR);

  const std::span<const char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
  if (arguments.empty()) {
    write_console(usage_text());
    return kFailure;
  }

  CommandLine line;
  try {
    line = parse_command_line(arguments);
  } catch (const EngineError& error) {
    write_console(std::string(error.what()) + "\n");
    return kFailure;
  }
  if (!line.input) {
    write_console("No input file given (-i)\n");
    return kFailure;
  }

  const std::string interrupted = interruption_text(*line.input) + "\n";
  install_interruption_handlers(interrupted);

  OutputFileGuard guard(line.output);
  try {
    convert(line, guard);
    guard.keep(line.overwrite);
    return 0;
  } catch (const std::exception& error) {
    // A library call cut short by the request reports that in its own words.
    write_console(interruption_requested() ? interrupted : std::string(error.what()) + "\n");
    return kFailure;
  }
}
