#include "input_file.h"

#include "console.h"
#include "engine_error.h"
#include "interruption.h"

#include <sys/stat.h>

namespace enginebin {

std::string file_url(const std::string& path) { return "file:" + path; }

int64_t input_start_time(const AVFormatContext& input) {
  return input.start_time == AV_NOPTS_VALUE ? 0 : input.start_time;
}

ReopenedInput reopen_input(const std::string& path, int audio_stream) {
  ReopenedInput reopened{open_input(path)};
  if (audio_stream >= static_cast<int>(reopened.input->nb_streams) ||
      reopened.input->streams[audio_stream]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
    throw PlanMismatch("the input shows other streams when opened again");
  reopened.audio = reopened.input->streams[audio_stream];
  discard_all_streams_but(*reopened.input, *reopened.audio);
  return reopened;
}

bool can_open_again(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

InputContextPtr open_input(const std::string& path) {
  AVFormatContext* opened = avformat_alloc_context();
  if (opened == nullptr) throw EngineError("Could not open input file '" + path + "' (out of memory)");
  // An input that never delivers (a pipe without a writer, a stalled mount) must not outlast a
  // termination request.
  opened->interrupt_callback = interrupt_callback();
  const int open_result = avformat_open_input(&opened, file_url(path).c_str(), nullptr, nullptr);
  if (interruption_requested()) throw EngineError(interruption_text(path));
  if (open_result < 0) {
    std::string text = path + ": Unknown format";
    if (open_result != AVERROR_INVALIDDATA)
      text += "\n" + describe_failure("Could not open input file", path, open_result);
    throw UnreadableInput(text);
  }
  InputContextPtr input(opened);
  const int info_result = avformat_find_stream_info(input.get(), nullptr);
  if (interruption_requested()) throw EngineError(interruption_text(path));
  if (info_result < 0)
    throw UnreadableInput(path + ": Unknown format\n" +
                          describe_failure("Could not read the stream parameters of", path, info_result));
  return input;
}

AVStream* first_audio_stream(AVFormatContext& input) {
  for (unsigned i = 0; i < input.nb_streams; ++i)
    if (input.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return input.streams[i];
  return nullptr;
}

void discard_all_streams_but(AVFormatContext& input, const AVStream& kept) {
  for (unsigned i = 0; i < input.nb_streams; ++i)
    if (input.streams[i] != &kept) input.streams[i]->discard = AVDISCARD_ALL;
}

}  // namespace enginebin
