#pragma once
// Media made for the tests with the ffmpeg program, once per test run, in a scratch folder that
// is removed when the run ends.

#include <string>

namespace enginebin_test {

// Source clips (three seconds unless said otherwise), by file name:
//   clip.avi clip.mp4 clip.mkv clip.mov clip.flv clip.mpg clip.wmv clip.3gp  video with audio
//     (clip.mkv carries 5.1 AC-3, the others mono or stereo in their container's usual codec)
//   pcm.avi pcm.mov    noise as 16-bit PCM, stereo 44100 Hz: decoded exactly, for sample checks
//   short.avi          half a second of video with audio
//   long.wav           two minutes of audio, for runs that must last a while
//   named.mov unnamed.wav   the same 4 s of 48 kHz stereo noise, its channels named in the first
//                      only (a plain WAV header names none)
//   noaudio.avi        video only
//   program.wav        100 s, stereo 48 kHz 16-bit PCM: stepped tones (0-25 s), silence (-40 s),
//                      a voice-like signal (-65 s), pink noise (-100 s); long enough to be cut
//   program.mp4        that as AAC (whose decoder draws noise from a running random state);
//   program.mkv        the same AAC in Matroska (timestamps in milliseconds)
//   program-mp3.mp4    program.wav as MP3 in MP4; program.ts  as MP2 in a transport stream
//                      (whose timestamps start at 1.4 s)
//   program-long.mp4 program-long-mp3.mp4   program.wav four times (400 s) as AAC (its index
//                      first) and as MP3; program-long-cut.mp4  the AAC one cut off at 60 %
//   rate-change.ts     40 s of MP2 at 44100 Hz, then 40 s at 32000 Hz
//   short-audio.mkv short-audio.webm short-audio.flv   10 s of video with 5 s of audio
//   whole.mp4          10 s of video with audio, its index before its data
//   cut.mp4            whole.mp4 cut off at half; cut-before-audio.mp4  cut before any audio
//   unknown.h264       a raw video stream, whose length cannot be known
//   junk.avi           bytes that are no media; empty.avi  zero bytes
std::string test_clip(const std::string& name);

// A new empty folder inside the scratch folder.
std::string fresh_folder(const std::string& name);

// The ffmpeg program that makes the clips.
std::string ffmpeg_program();

}  // namespace enginebin_test
