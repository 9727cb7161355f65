#include "cli/audio_tracks.h"

#include <cstdlib>
#include <sstream>

namespace cli {
namespace {

constexpr std::string_view kStream = "  Stream #0.";
constexpr std::string_view kAudio = ": Audio: ";
constexpr std::string_view kTitle = "    title: ";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "aac, 48000 Hz, stereo, 128 kb/s" into the track.
void ReadAudioText(const std::string& text, AudioTrack& track) {
  std::vector<std::string> parts;
  for (std::size_t begin = 0; begin <= text.size();) {
    std::size_t end = text.find(", ", begin);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 2;
  }
  track.Codec = parts[0];
  if (parts.size() > 1) track.SampleRate = std::atoi(parts[1].c_str());
  if (parts.size() > 2) track.Channels = parts[2];
}

}  // namespace

std::vector<AudioTrack> AudioTracksOf(const std::string& report) {
  std::vector<AudioTrack> tracks;
  bool lastWasAudio = false;
  for (const std::string& line : Lines(report)) {
    if (line.rfind("Output #", 0) == 0) break;  // the streams written, not read
    if (line.rfind(kStream, 0) == 0) {
      const std::size_t audio = line.find(kAudio);
      lastWasAudio = audio != std::string::npos;
      if (!lastWasAudio) continue;
      AudioTrack track;
      track.Number = static_cast<int>(tracks.size()) + 1;
      const std::size_t open = line.find('(', kStream.size());
      if (open < audio && line[audio - 1] == ')') track.Language = line.substr(open + 1, audio - 1 - open - 1);
      ReadAudioText(line.substr(audio + kAudio.size()), track);
      tracks.push_back(track);
    } else if (lastWasAudio && line.rfind(kTitle, 0) == 0) {
      tracks.back().Title = line.substr(kTitle.size());
    } else if (line.rfind("    ", 0) != 0) {
      lastWasAudio = false;
    }
  }
  return tracks;
}

std::string TrackLine(const AudioTrack& track) {
  const auto column = [](const std::string& text, std::size_t width) {
    const std::string shown = text.empty() ? "-" : text;
    return shown + std::string(shown.size() < width ? width - shown.size() : 1, ' ');
  };
  std::string line = "  " + column(std::to_string(track.Number), 4) + column(track.Codec, 11) +
                     column(track.SampleRate > 0 ? std::to_string(track.SampleRate) + " Hz" : "", 10) +
                     column(track.Language, 5) + column(track.Channels, 12) + (track.Title.empty() ? "" : track.Title);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace cli
