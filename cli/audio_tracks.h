// A source's audio tracks, as the engine's report of its input lists them.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct AudioTrack {
  int Number = 0;        // from 1, among the audio streams only
  std::string Codec;     // the engine's codec name: aac, mp3, pcm_s16le ...
  int SampleRate = 0;    // Hz
  std::string Channels;  // the layout as the engine names it: mono, stereo, 5.1(side) ...
  std::string Language;  // empty when the source does not say
  std::string Title;     // empty when the source does not say
};

// The audio streams of the input report's "  Stream #0.N(lang): Audio: codec, rate Hz, layout, ..."
// lines, with the "    title: ..." line that may follow each.
std::vector<AudioTrack> AudioTracksOf(const std::string& report);

// "1  aac  48000 Hz  eng  stereo  Director's comments": the track's line for --list-tracks.
std::string TrackLine(const AudioTrack& track);

}  // namespace cli
