#pragma once
// Reading and decoding on threads of their own, ahead of the thread that resamples and encodes.
// Where decoding weighs as much as the rest (WAV from AAC, say), a conversion then takes about the
// longest of the three steps rather than their sum. The decoder gets the very packets, in the
// very order, that the plain pipeline gives it, so the output is the same to the byte.

#include "audio_decoder.h"
#include "av_handles.h"
#include "batch_channel.h"

#include <string>
#include <thread>

namespace enginebin {

class DecodeAhead {
 public:
  // Reads input from where it stands and decodes the packets of its stream audio_index with
  // decoder; neither may be touched by anyone else until this is gone.
  DecodeAhead(AVFormatContext& input, int audio_index, AudioDecoder& decoder, const std::string& input_name);
  // Stops both threads, wherever they are.
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The next decoded frame, the caller's until it asks again; null once the input has run out and
  // the decoder is drained. A failure of reading or decoding is thrown here, after every frame
  // decoded before it.
  AVFrame* next();

 private:
  void read();
  void decode();

  AVFormatContext& input_;
  const int audio_index_;
  AudioDecoder& decoder_;
  const std::string& input_name_;
  BatchChannel<PacketPtr> packets_;
  BatchChannel<FramePtr> frames_;
  AVFrame* current_ = nullptr;  // the frame handed out last
  std::thread reader_;
  std::thread decoder_thread_;
};

}  // namespace enginebin
