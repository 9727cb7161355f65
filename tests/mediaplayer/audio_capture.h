// Where this suite's audio goes (SDL's disk driver, set up for every test), and how to read it.
#pragma once

#include <string>

#include "tests/mediaplayer/heard_audio.h"

namespace mediaplayer_test {

// The file the audio device writes; each opening of the device starts it again.
const std::string& CaptureFile();

// What has been heard since the device was last opened (the test media: 16-bit stereo at 48 kHz).
inline HeardAudio Heard() { return HeardAudio(CaptureFile(), CaptureFormat{48000, 2, false}); }

}  // namespace mediaplayer_test
