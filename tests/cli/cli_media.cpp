#include "tests/cli/cli_media.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <vector>

#include "tests/enginebin/child_process.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

namespace cli_test {
namespace {

using enginebin_test::ffmpeg_program;
using enginebin_test::run_process;

// Made once per test run, in the engine tests' scratch folder.
std::string made(const std::string& name, const std::vector<std::string>& recipe) {
  static std::mutex guard;
  static std::map<std::string, std::string> clips;
  std::lock_guard lock(guard);
  if (const auto found = clips.find(name); found != clips.end()) return found->second;
  const std::string path = enginebin_test::fresh_folder("cli-media") + "/" + name;
  std::vector<std::string> command = {ffmpeg_program(), "-nostdin", "-v", "error", "-y"};
  command.insert(command.end(), recipe.begin(), recipe.end());
  command.push_back(path);
  const auto result = run_process(command);
  if (result.exit_code != 0) throw std::runtime_error("could not make " + name + ": " + result.output);
  return clips[name] = path;
}

std::vector<std::string> Tone(int frequency, int rate) {
  return {"-f", "lavfi", "-i", "sine=frequency=" + std::to_string(frequency) + ":sample_rate=" + std::to_string(rate)};
}

const std::vector<std::string> kVideo = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10"};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

std::string two_track_clip() {
  return made("two tracks.mkv", Joined({kVideo,
                                        Tone(440, 48000),
                                        Tone(1000, 44100),
                                        {"-map",
                                         "0",
                                         "-map",
                                         "1",
                                         "-map",
                                         "2",
                                         "-t",
                                         "3",
                                         "-c:v",
                                         "mpeg4",
                                         "-c:a",
                                         "aac",
                                         "-metadata:s:a:0",
                                         "language=eng",
                                         "-metadata:s:a:0",
                                         "title=Main",
                                         "-metadata:s:a:1",
                                         "language=fre",
                                         "-metadata:s:a:1",
                                         "title=Commentary"}}));
}

std::string tagged_clip() {
  return made("tagged.mp4", Joined({kVideo,
                                    Tone(440, 44100),
                                    {"-t", "3", "-c:v", "mpeg4", "-c:a", "aac", "-metadata", "title=A Title",
                                     "-metadata", "artist=An Artist", "-metadata", "album=An Album", "-metadata",
                                     "date=2019", "-metadata", "comment=A comment"}}));
}

std::string quiet_noise() {
  return made("quiet noise.wav", {"-f", "lavfi", "-i", "anoisesrc=color=pink:sample_rate=44100:amplitude=0.05:seed=7",
                                  "-af", "aformat=channel_layouts=stereo", "-t", "10"});
}

std::map<std::string, std::string> tags_of(const std::string& path) {
  std::map<std::string, std::string> tags;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, ("file:" + path).c_str(), nullptr, nullptr) < 0) return tags;
  avformat_find_stream_info(input, nullptr);
  const auto add = [&](const AVDictionary* dictionary) {
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
      std::string key = entry->key;
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      tags.emplace(key, entry->value);
    }
  };
  add(input->metadata);
  const int audio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (audio >= 0) add(input->streams[audio]->metadata);
  avformat_close_input(&input);
  return tags;
}

std::string audio_packet_bytes(const std::string& path, int track) {
  std::string bytes;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, ("file:" + path).c_str(), nullptr, nullptr) < 0) return bytes;
  avformat_find_stream_info(input, nullptr);
  int stream = -1;
  for (unsigned i = 0, seen = 0; i < input->nb_streams && stream < 0; ++i)
    if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && ++seen == static_cast<unsigned>(track))
      stream = static_cast<int>(i);
  AVPacket* packet = av_packet_alloc();
  while (stream >= 0 && av_read_frame(input, packet) >= 0) {
    if (packet->stream_index == stream) bytes.append(reinterpret_cast<const char*>(packet->data), packet->size);
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&input);
  return bytes;
}

Loudness measured_loudness(const std::string& path) {
  const auto result = run_process({ffmpeg_program(), "-nostdin", "-hide_banner", "-nostats", "-i", path, "-af",
                                   "ebur128=peak=true", "-f", "null", "-"});
  // The summary at the end: "I: -23.0 LUFS" and, under "True peak:", "Peak: -1.2 dBFS".
  std::smatch integrated, peak;
  const std::string& out = result.output;
  const std::size_t summary = out.rfind("Summary:");
  const std::string tail = summary == std::string::npos ? out : out.substr(summary);
  if (!std::regex_search(tail, integrated, std::regex(R"(I:\s+(-?[0-9.]+) LUFS)")) ||
      !std::regex_search(tail, peak, std::regex(R"(Peak:\s+(-?[0-9.]+) dBFS)")))
    throw std::runtime_error("no loudness measured for " + path + ": " + out);
  return {std::stod(integrated[1]), std::stod(peak[1])};
}

double tone_frequency(const std::string& wav) {
  const auto facts = enginebin_test::inspect_audio(wav);
  const std::vector<int16_t> samples = enginebin_test::decode_s16(wav);
  if (!facts || samples.empty()) return 0;
  // The middle of the tone, away from an encoder's ramps; a crossing counts once the signal has
  // gone clearly to the other side, so that noise near zero does not add any.
  const auto channels = static_cast<std::size_t>(facts->channels);
  const std::size_t frames = samples.size() / channels;
  const std::size_t begin = frames / 5, end = frames - frames / 5;
  constexpr int kThreshold = 500;
  int crossings = 0, side = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const int value = samples[i * channels];
    const int now = value > kThreshold ? 1 : value < -kThreshold ? -1 : side;
    if (side != 0 && now != side) ++crossings;
    side = now;
  }
  return crossings / 2.0 / (static_cast<double>(end - begin) / facts->sample_rate);
}

}  // namespace cli_test
