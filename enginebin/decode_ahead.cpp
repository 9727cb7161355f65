#include "decode_ahead.h"

#include "engine_error.h"
#include "interruption.h"

#include <system_error>
#include <utility>

namespace enginebin {
namespace {

// A batch of 16 frames of 1024 samples is a third of a second of audio at 48 kHz; eight of them
// waiting keep the decoder a few seconds ahead in about a megabyte.
constexpr std::size_t kPacketBatch = 32;
constexpr std::size_t kFrameBatch = 16;
constexpr std::size_t kBatchesWaiting = 8;

}  // namespace

DecodeAhead::DecodeAhead(AVFormatContext& input, int audio_index, AudioDecoder& decoder, const std::string& input_name)
    : input_(input), audio_index_(audio_index), decoder_(decoder), input_name_(input_name),
      packets_(kPacketBatch, kBatchesWaiting), frames_(kFrameBatch, kBatchesWaiting) {
  // Threads start with their creator's signal mask: termination requests keep reaching the
  // thread that resamples, which looks at them between frames.
  const InterruptionHold hold;
  try {
    reader_ = std::thread(&DecodeAhead::read, this);
    decoder_thread_ = std::thread(&DecodeAhead::decode, this);
  } catch (const std::system_error& error) {
    packets_.cancel();
    if (reader_.joinable()) reader_.join();
    throw EngineError(std::string("Could not start the decoding thread (") + error.what() + ")");
  }
}

DecodeAhead::~DecodeAhead() {
  frames_.cancel();
  packets_.cancel();
  reader_.join();
  decoder_thread_.join();
}

AVFrame* DecodeAhead::next() {
  // Its samples go back to the decoder's pool at once; the frame itself goes round.
  if (current_ != nullptr) av_frame_unref(std::exchange(current_, nullptr));
  FramePtr* frame = frames_.next();
  current_ = frame != nullptr ? frame->get() : nullptr;
  return current_;
}

void DecodeAhead::read() {
  try {
    for (;;) {
      PacketPtr& packet = packets_.slot();
      if (!packet) packet = allocate_packet();
      av_packet_unref(packet.get());
      const int result = av_read_frame(&input_, packet.get());
      if (result == AVERROR_EOF) break;
      check_av(result, "Could not read", input_name_);
      if (packet->stream_index != audio_index_) {
        av_packet_unref(packet.get());
      } else if (!packets_.commit()) {
        return;
      }
    }
    packets_.finish();
  } catch (...) {
    packets_.finish(std::current_exception());
  }
}

void DecodeAhead::decode() {
  try {
    bool wanted = true;
    const auto hand_on = [&](AVFrame& decoded) {
      if (!wanted) return;
      FramePtr& frame = frames_.slot();
      if (!frame) frame = allocate_frame();
      av_frame_move_ref(frame.get(), &decoded);
      wanted = frames_.commit();
    };
    while (PacketPtr* packet = packets_.next()) {
      decoder_.decode(packet->get(), hand_on);
      if (!wanted) return;  // the consumer has gone, and the destructor stops the reader
    }
    decoder_.decode(nullptr, hand_on);
    frames_.finish();
  } catch (...) {
    frames_.finish(std::current_exception());
  }
}

}  // namespace enginebin
