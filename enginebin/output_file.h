#pragma once
// The output file: its muxer, the file itself, header, packets and trailer.

#include "av_handles.h"

#include <cstdint>

namespace enginebin {

struct OutputSettings;
class OutputFileGuard;

class OutputFile {
 public:
  // Creates the file (through the guard, which names it) and writes its header.
  OutputFile(const OutputSettings& settings, const AVCodecContext& encoder, OutputFileGuard& guard);
  // The same for a stream copied as it is: its parameters and the time base of its packets.
  OutputFile(const OutputSettings& settings, const AVCodecParameters& copied, AVRational time_base,
             OutputFileGuard& guard);

  void write(AVPacket& packet, AVRational packet_time_base);
  // Writes the trailer and closes the file; only then is the output complete (and the guard may
  // give it its final name).
  void finish();

  // Bytes in the file so far.
  int64_t size() const { return size_; }

 private:
  // The muxer and its one stream, without parameters yet.
  void set_up();
  // Tags, then the file and its header.
  void open(OutputFileGuard& guard);
  void check_written(int result);

  const OutputSettings& settings_;
  OutputContextPtr context_;
  AVStream* stream_ = nullptr;
  int64_t size_ = 0;
};

}  // namespace enginebin
