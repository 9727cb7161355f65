#pragma once
// How one conversion is cut into segments for the workers of the parallel engine. Every cut lies
// where a worker that starts fresh can produce exactly what the sequential engine produces: its
// resampler starts a whole number of resampling periods into the range, and its encoder starts on
// the sequential encoder's frame grid, at a frame where the frame sizes' padding pattern repeats.

#include "audio_pipeline.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace enginebin {

// How an encoder's packets may be cut and joined.
struct EncoderSeams {
  enum class Kind {
    samples,     // any sample may end a packet, and nothing carries over (PCM)
    frames,      // fixed frames that carry nothing over once the encoder has warmed up (AC-3)
    mp3_frames,  // fixed frames whose data may lie partly in earlier frames (the bit reservoir)
  };
  Kind kind = Kind::samples;
  int frame_size = 1;        // output samples per packet (1 for samples)
  int alignment_frames = 1;  // an encoder that starts on a multiple of this many frames pads its frames alike
  int warm_up_frames = 0;    // frames an encoder needs before its packets may replace another's
  int search_frames = 0;     // how far past the nominal seam the switch to the next encoder may move
  int settle_frames = 0;     // frames before the end of an encoder's input that its flush changes
  int initial_padding = 0;   // samples the encoder puts before the first one
  // Ranges shorter than this stay with one worker: below it the cuts cost more than they save
  // on two free cores. Found from the engine's measured processor time per second of range (on
  // the benchmark's input, in the comment at each encoder) against what a cut costs: about 25 ms
  // for the worker's own opening of the input and the search for the range's first sample, plus
  // the frames encoded twice around each seam. Under a loaded machine, where the second core is
  // not free, every range is faster with one worker.
  int64_t shortest_range = 0;  // seconds
};

// nullopt for encoders whose streams the joiner cannot splice.
std::optional<EncoderSeams> encoder_seams(const AVCodecContext& encoder);

struct PlanFacts {
  int workers = 1;
  std::optional<int64_t> range_samples;  // output samples the range is expected to hold
  int64_t sample_limit = 0;              // output samples the range may hold at most (-t), or max
  int input_rate = 0;                    // Hz, of the decoded input
  int output_rate = 0;                   // Hz
  std::optional<EncoderSeams> seams;
  // What decoding a second of the range's prefix costs a worker, against converting a second of
  // its own segment: 0 when the workers seek to their segments, more when each decodes the range
  // from its start. Later segments are then made shorter, so that all workers end together.
  double prefix_cost = 0.0;
};

struct SegmentPlan {
  std::vector<PipelineBounds> bounds;  // one per worker; a single one is the sequential engine
  std::vector<int64_t> join_from;      // output samples: where each segment's part of the output begins
};

// The range is cut only when it is long enough for the cuts to pay, into at most one segment per
// worker.
SegmentPlan plan_segments(const PlanFacts& facts);

// The prefix cost when each worker decodes the range from its start, by what the encoder costs
// (measured on the benchmark's AAC input: demultiplexing and decoding against the whole job).
double decoding_share(const EncoderSeams& seams);

// No segment is planned shorter than this.
inline constexpr int64_t kShortestSegment = 10;  // seconds

}  // namespace enginebin
