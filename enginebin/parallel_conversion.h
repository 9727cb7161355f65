#pragma once
// The parallel engine: one worker thread per segment of the plan, each with its own opening of
// the input, and the joiner on the calling thread writing their packets into the one output.

#include "av_handles.h"
#include "segment_plan.h"

#include <cstdint>
#include <string>

namespace enginebin {

struct OutputSettings;
class OutputFile;
class ProgressPrinter;

struct ParallelOutcome {
  int64_t samples = 0;  // output samples written, the encoder's padding not counted
  bool input_ran_out = false;
  int64_t decoded_end = 0;  // microseconds on the input's timeline
  int damaged_packets = 0;
};

// Returns once the output holds the whole range (its trailer is not yet written). Every worker
// has ended when it returns or throws. Throws the failure of the earliest failing segment, the
// interruption text on a termination request, or PlanMismatch when the input does not fit the
// plan; the output then holds part of a join and must be started over.
ParallelOutcome convert_in_segments(const std::string& input_name, int audio_stream, const OutputSettings& settings,
                                    const SegmentPlan& plan, const EncoderSeams& seams, const AVCodecContext& encoder,
                                    OutputFile& output, ProgressPrinter& progress);

}  // namespace enginebin
